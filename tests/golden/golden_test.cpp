// Whole-object conversions checked against hand-written expectations: every
// folder beside this file that holds an object.txt is one case (format in
// README.md). The term list is the real dialect's (data/reserved_word.tsv).

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "../support/dialect_core.h"
#include "conversion/alarm_object.h"
#include "conversion/analizer_object.h"
#include "conversion/convert_object.h"
#include "parser/parser_text_word_list.h"
#include "parser/parser_word_list.h"
#include "rewriting/builtin_rules.h"
#include "rewriting/name_rules.h"
#include "rewriting/operator_rules.h"
#include "rewriting/statement_rules.h"
#include "rewriting/table_rules.h"
#include "text/error.h"
#include "text/string_helpers.h"

namespace ambrix {
namespace {

namespace fs = std::filesystem;

const fs::path kCasesDir = AMBRIX_TEST_DIR;

// The rules a "rule:" case can run on a whole text, by name.
using TRule = std::function<void(const TConvertContext&, TParserWordList&)>;
const std::map<std::string, TRule>& Rules() {
  static const std::map<std::string, TRule> rules{
      {"ReplaceOwnerDbo", ReplaceOwnerDbo},
      {"ConvertNationalTypes", ConvertNationalTypes},
      {"ConvertReservedWords", ConvertReservedWords},
      {"ConvertDistributedTransactions", ConvertDistributedTransactions},
      {"ConvertCreateTables", ConvertCreateTables},
      {"ConvertAlterTables", ConvertAlterTables},
      {"ConvertTableVariables", ConvertTableVariables},
      {"JoinComparisonOperators", JoinComparisonOperators},
      {"ConvertReturnExpressions", ConvertReturnExpressions},
      {"ConvertFetchFrom", ConvertFetchFrom},
      {"ConvertStatementBlocks", ConvertStatementBlocks},
      {"SplitDropStatements", SplitDropStatements},
      {"ConvertExecStatements", ConvertExecStatements},
      {"ConvertInsertExec", ConvertInsertExec},
      {"RemoveIndexHints", RemoveIndexHints},
      {"ConvertUpdateDeleteFrom", ConvertUpdateDeleteFrom},
      {"ConvertBuiltinFunctions", ConvertBuiltinFunctions},
      {"ConvertModuloOperators", ConvertModuloOperators},
  };
  return rules;
}

std::optional<std::string> ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Lines of a case file: split at LF, a CR before it dropped, a final line
// end adding no line.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : text) {
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

// Printed lines as one text: a line holding line breaks (a multi-line text
// word) reads as the lines it stands for, as the stored script shows it.
std::string JoinPrinted(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    for (size_t i = 0; i < line.size(); ++i) {
      if (line[i] == '\r' && i + 1 < line.size() && line[i + 1] == '\n') continue;
      text += line[i];
    }
    text += '\n';
  }
  return text;
}

std::string ExpectedText(const fs::path& file) {
  const auto text = ReadFile(file);
  if (!text) return "";
  std::string joined;
  for (const std::string& line : SplitLines(*text)) joined += line + "\n";
  return joined;
}

struct TCase {
  std::string Name;
  std::map<std::string, std::string> Keys;  // of object.txt
};

void PrintTo(const TCase& c, std::ostream* out) { *out << c.Name; }

std::vector<TCase> FindCases() {
  std::vector<TCase> cases;
  for (const auto& entry : fs::directory_iterator(kCasesDir)) {
    if (!entry.is_directory()) continue;
    const auto object = ReadFile(entry.path() / "object.txt");
    if (!object) continue;
    TCase c;
    c.Name = entry.path().filename().string();
    for (const std::string& line : SplitLines(*object)) {
      const size_t colon = line.find(':');
      if (colon == std::string::npos) continue;
      c.Keys[std::string(Trim(line.substr(0, colon)))] = std::string(Trim(line.substr(colon + 1)));
    }
    cases.push_back(std::move(c));
  }
  std::sort(cases.begin(), cases.end(), [](const TCase& a, const TCase& b) { return a.Name < b.Name; });
  return cases;
}

std::string Key(const TCase& c, const std::string& key) {
  auto it = c.Keys.find(key);
  return it == c.Keys.end() ? "" : it->second;
}

std::string AlarmLines(const TAlarmList& alarms) {
  std::string text;
  for (int i = 0; i < alarms.Count(); ++i) {
    const TAlarmObject& a = alarms.Items(i);
    text += std::to_string(a.NumLine) + ":" + std::to_string(a.NumPos) + " " + a.VarName + " " + a.Word + "\n";
  }
  return text;
}

class GoldenCase : public ::testing::TestWithParam<TCase> {};

TEST(GoldenCases, FolderHoldsCases) { EXPECT_FALSE(FindCases().empty()) << kCasesDir; }

TEST_P(GoldenCase, ConvertsAsWrittenByHand) {
  const TCase& c = GetParam();
  const fs::path dir = kCasesDir / c.Name;
  const std::string type = Key(c, "type");
  const std::string rule = Key(c, "rule");
  ASSERT_NE(type.empty(), rule.empty()) << "object.txt names either a type or a rule";

  testing::DialectCore dialect;
  const fs::path stored = dir / "stored";
  if (fs::is_directory(stored))
    for (const auto& entry : fs::directory_iterator(stored))
      dialect.Sources.Add(entry.path().stem().string(), SplitLines(ReadFile(entry.path()).value_or("")));

  const auto source = ReadFile(dir / "source.sql");
  ASSERT_TRUE(source) << "no source.sql";
  TParserWordList words;
  dialect.Parse(SplitLines(*source), words);

  dialect.Core->RegisterAnalizers();
  TAnalizerObjectList& analizers = dialect.Core->Analizers;
  std::vector<std::string> dest, drop, log;
  TAlarmList alarms;
  std::string error;
  try {
    if (!rule.empty()) {
      auto it = Rules().find(rule);
      ASSERT_NE(it, Rules().end()) << "unknown rule " << rule;
      words.BuildText(0);
      it->second(dialect.Context(), words);
      words.RootTextList()->PrintAll(dest);
      ReportAlarmMarks(words, alarms);
    } else {
      ASSERT_NE(analizers.IndexOfTypeName(0, type), -1) << "no analyzer for " << type;
      ConvertObject(analizers, type, Key(c, "parent"), Key(c, "name"), words, dest, drop, alarms,
                    TCompileFrame::SingleObject, [&](const std::string& line) { log.push_back(line); },
                    Key(c, "parent-type"));
    }
  } catch (const Error& e) {
    error = e.what();
  }

  const auto expectedError = ReadFile(dir / "error.txt");
  if (expectedError) {
    EXPECT_EQ(error, SplitLines(*expectedError).at(0));
    // ConvertObject fills the caller's scripts and alarms as it goes: a
    // failure must take back what it wrote. (A rule case prints its words
    // only after the rule returns, so there is nothing to look at there.)
    if (rule.empty()) {
      EXPECT_TRUE(dest.empty() && drop.empty() && alarms.Count() == 0) << "a failure leaves no result";
    }
    return;
  }
  ASSERT_EQ(error, "") << "unexpected failure";
  EXPECT_EQ(JoinPrinted(dest), ExpectedText(dir / "dest.sql")) << "destination script";
  EXPECT_EQ(JoinPrinted(drop), ExpectedText(dir / "drop.sql")) << "drop script";
  EXPECT_EQ(AlarmLines(alarms), ExpectedText(dir / "alarms.txt")) << "alarms";
  if (rule.empty()) {
    EXPECT_EQ(log, std::vector<std::string>{"Скомпилирован обьект [" + Key(c, "name") + "]"});
  }
}

INSTANTIATE_TEST_SUITE_P(Folders, GoldenCase, ::testing::ValuesIn(FindCases()),
                         [](const ::testing::TestParamInfo<TCase>& info) {
                           std::string name = info.param.Name;
                           for (char& ch : name)
                             if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return name;
                         });

}  // namespace
}  // namespace ambrix
