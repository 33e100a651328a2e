// Real SQL Server scripts, split into batches at GO lines, parsed with the
// dialect of data/: no batch may fail to parse, and every CREATE or ALTER
// batch must be recognised by the command of its statement. Every object
// found is compiled too, and what its converter refuses is reported. The
// scripts are read from the shared corpus beside the source tree (or
// $AMBRIX_CORPUS_DIR); without it the test is skipped.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "../support/corpus_dir.h"
#include "../support/skip_outside_ci.h"
#include "dialect_fixture.h"
#include "conversion/alarm_object.h"
#include "conversion/convert_object.h"
#include "recognition/batch_statements.h"
#include "recognition/sql_object.h"
#include "text/encoding.h"
#include "text/error.h"
#include "text/string_helpers.h"
#include "text/utf8.h"

namespace ambrix {
namespace {

namespace fs = std::filesystem;

using test::CorpusDir;

struct Batch {
  int firstLine = 0;  // 1-based line of the file where the batch starts
  std::vector<std::string> lines;
};

// Batches end where reverse-engineering ends them (IsBatchEnd); empty lines
// belong to no batch; the lines after the last GO form a batch too.
std::vector<Batch> SplitBatches(const std::vector<std::string>& lines) {
  std::vector<Batch> batches;
  Batch current;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (IsBatchEnd(lines[i])) {
      batches.push_back(std::move(current));
      current = Batch{};
      continue;
    }
    if (lines[i].empty()) continue;
    if (current.lines.empty()) current.firstLine = static_cast<int>(i) + 1;
    current.lines.push_back(lines[i]);
  }
  batches.push_back(std::move(current));
  std::erase_if(batches, [](const Batch& b) { return b.lines.empty(); });
  return batches;
}

struct ScriptReport {
  int batches = 0;
  std::vector<std::string> parseFailures;
  std::vector<std::string> unrecognised;
  std::map<std::string, int> objects;       // type name -> count
  std::map<std::string, int> withoutCommand;  // DML statements no command handles
  std::vector<std::string> rejected;  // other command statements the command refused
  int compiled = 0;
  std::vector<std::string> conversionFailures;
  std::map<std::string, int> alarms;  // kind -> count
};

// Compiles one object the way compilation does: its stored text (the script
// lines joined and trimmed) parsed again and handed to its analyzer.
void Compile(TConvertCore& core, const TSQLObject& object, ScriptReport& report) {
  std::string text;
  for (const std::string& line : object.Script) text += line + "\r\n";
  std::vector<std::string> lines = SplitLines(Trim(text));
  TParserWordList words;
  std::vector<std::string> dest, drop;
  TAlarmList alarms;
  try {
    core.Parser.Parse(lines, core.Terms, words);
    if (ConvertObject(core.Analizers, object.TypeName, object.ParentName, object.ObjectName, words, dest, drop,
                      alarms))
      ++report.compiled;
  } catch (const Error& e) {
    report.conversionFailures.push_back(object.TypeName + " " + object.ObjectName + ": " + e.what());
  }
  for (int i = 0; i < alarms.Count(); ++i) ++report.alarms[alarms.Items(i).VarName];
}

std::string FirstStartWord(const TParserWord& word) {
  if (word.Term->Kind == tkDefined) return word.Term->StartWords.front();
  return UpperCase(word.Text());
}

ScriptReport CheckScript(TConvertCore& core, const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  std::vector<Batch> batches = SplitBatches(DecodeText(bytes.str()).Lines);

  ScriptReport report;
  report.batches = static_cast<int>(batches.size());
  for (Batch& batch : batches) {
    const std::string where = "line " + std::to_string(batch.firstLine) + ": ";
    try {
      core.Parser.Parse(batch.lines, core.Terms, core.Words);
    } catch (const Error& e) {
      report.parseFailures.push_back(where + e.what());
      continue;
    }
    // Every statement of the batch as reverse-engineering recognises it. A
    // CREATE or ALTER that no command takes is a fault of the dialect unless
    // it is a statement of a kind the converter leaves out (ALTER TRIGGER);
    // a command that refuses its statement is a fault too.
    TSQLObjectList objects;
    try {
      RecogniseStatements(core.Context, core.Commands, batch.lines, core.Words, objects,
                          [&](const TBatchStatement& statement) {
                            for (int i = statement.Key; i <= statement.Last; i = core.Words.NextNotType(i, 1, {core.Context.CommentTermName})) {
                              if (i < 0) break;
                              const TParserWord& key = *core.Words[i];
                              if (key.Term->Kind != tkDefined || !key.Term->HasTag("main")) continue;
                              const std::string verb = FirstStartWord(key);
                              if (verb != "CREATE" && verb != "ALTER") continue;
                              if (key.TypeName() != "DML" || key.Term->StartWords.size() < 2)
                                report.unrecognised.push_back(where + "no statement term: " +
                                                              batch.lines[static_cast<std::size_t>(key.StartPos.Line)]);
                              else
                                ++report.withoutCommand[key.Text()];
                            }
                          });
    } catch (const Error& e) {
      report.unrecognised.push_back(where + e.what());
    }
    for (int i = 0; i < objects.Count(); ++i) {
      ++report.objects[objects.Items(i).TypeName];
      Compile(core, objects.Items(i), report);
    }
  }
  return report;
}

std::string Summary(const std::map<std::string, int>& counts) {
  std::string out;
  for (const auto& [name, count] : counts) out += (out.empty() ? "" : ", ") + name + " " + std::to_string(count);
  return out.empty() ? "none" : out;
}

// The objects each script yields, counted by hand from the scripts: every
// statement that creates an object yields it, wherever it stands in its batch
// (user types in every form of the sp_addtype call, rules and their
// bindings); an ALTER TABLE without ADD yields nothing.
const std::map<std::string, std::map<std::string, int>> kExpectedObjects = {
    {"apress-dbdesign/chapter10.sql",
     {{"TABLE", 22},
      {"INDEX", 9},
      {"FUNCTION", 2},
      {"CONSTRAINT FOREIGN KEY", 2},
      {"DOMAIN", 3},
      {"RULE", 1},
      {"CONSTRAINT RULE", 1}}},
    {"apress-dbdesign/chapter12.sql", {{"TABLE", 8}, {"TRIGGER", 17}, {"PROCEDURE", 1}, {"VIEW", 1}}},
    {"ejabberd/mssql2000.sql",
     {{"TABLE", 11}, {"PROCEDURE", 30}, {"INDEX", 12}, {"CONSTRAINT PRIMARY KEY", 7}, {"CONSTRAINT DEFAULT", 5}}},
    {"northwind/instnwnd.sql",
     {{"TABLE", 13},
      {"VIEW", 16},
      {"PROCEDURE", 7},
      {"INDEX", 26},
      {"CONSTRAINT PRIMARY KEY", 5},
      {"CONSTRAINT FOREIGN KEY", 5}}},
    {"phpbb2/mssql_schema.sql",
     {{"TABLE", 30}, {"INDEX", 27}, {"CONSTRAINT PRIMARY KEY", 20}, {"CONSTRAINT DEFAULT", 66}}},
    {"pubs/instpubs.sql", {{"DOMAIN", 3}, {"TABLE", 11}, {"PROCEDURE", 4}, {"TRIGGER", 1}, {"VIEW", 1}, {"INDEX", 7}}},
};

TEST(Corpus, EveryBatchParsesAndEveryCreateOrAlterIsRecognised) {
  const fs::path dir = CorpusDir();
  if (dir.empty()) AMBRIX_SKIP_OUTSIDE_CI(test::kNoCorpus);

  std::vector<fs::path> scripts;
  for (const auto& entry : fs::recursive_directory_iterator(dir))
    if (entry.is_regular_file() && SameText(entry.path().extension().string(), ".sql"))
      scripts.push_back(entry.path());
  std::sort(scripts.begin(), scripts.end());
  ASSERT_FALSE(scripts.empty()) << dir;

  TConvertCore core;
  LoadDialect(core);
  for (const fs::path& script : scripts) {
    const std::string name = fs::relative(script, dir).generic_string();
    ScriptReport r = CheckScript(core, script);
    std::cout << "[corpus] " << name << ": " << r.batches << " batches, " << r.parseFailures.size()
              << " parse failures, " << r.unrecognised.size() << " unrecognised CREATE/ALTER; objects: "
              << Summary(r.objects) << "; statements without command: " << Summary(r.withoutCommand)
              << "; refused by their command: " << r.rejected.size() << "\n";
    for (const std::string& f : r.rejected) std::cout << "[corpus]   refused, " << f << "\n";
    std::cout << "[corpus]   compiled " << r.compiled << ", conversion failures " << r.conversionFailures.size()
              << ", alarms: " << Summary(r.alarms) << "\n";
    for (const std::string& f : r.conversionFailures) std::cout << "[corpus]   not converted, " << f << "\n";
    for (const std::string& f : r.parseFailures) ADD_FAILURE() << name << " " << f;
    for (const std::string& u : r.unrecognised) ADD_FAILURE() << name << " " << u;
    if (auto expected = kExpectedObjects.find(name); expected != kExpectedObjects.end()) {
      EXPECT_EQ(Summary(r.objects), Summary(expected->second)) << name;
    }
  }
}

}  // namespace
}  // namespace ambrix
