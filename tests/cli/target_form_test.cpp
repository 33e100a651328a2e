// The generated scripts of real SQL Server scripts (the shared corpus and the
// project's examples), converted by the built program as a user converts
// them, hold no construct SQL Anywhere 9 rejects or reads otherwise. Text
// inside comments and string literals is not code: a construct kept there
// (a body commented out with its alarm) is not looked at.

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "../support/corpus_dir.h"
#include "../support/skip_outside_ci.h"
#include "run_ambrix.h"

namespace ambrix::test {
namespace {

namespace fs = std::filesystem;

// The code of a generated script: comments and string literals blanked out,
// bracketed and double-quoted names kept, every line kept.
std::string CodeOf(const std::string& text) {
  std::string code = text;
  std::size_t i = 0;
  auto blank = [&](std::size_t from, std::size_t to) {
    for (std::size_t k = from; k < to && k < code.size(); ++k)
      if (code[k] != '\n' && code[k] != '\r') code[k] = ' ';
  };
  while (i < code.size()) {
    if (code.compare(i, 2, "--") == 0) {
      const std::size_t end = code.find('\n', i);
      blank(i, end == std::string::npos ? code.size() : end);
      i = end == std::string::npos ? code.size() : end;
    } else if (code.compare(i, 2, "/*") == 0) {
      // Nested block comments nest, as in the source dialect.
      int depth = 0;
      std::size_t k = i;
      while (k < code.size()) {
        if (code.compare(k, 2, "/*") == 0) ++depth, k += 2;
        else if (code.compare(k, 2, "*/") == 0) { k += 2; if (--depth == 0) break; }
        else ++k;
      }
      blank(i, k);
      i = k;
    } else if (code[i] == '\'') {
      std::size_t k = i + 1;
      while (k < code.size()) {
        if (code[k] == '\'') {
          if (k + 1 < code.size() && code[k + 1] == '\'') k += 2;
          else break;
        } else ++k;
      }
      blank(i + 1, k);
      i = k + 1;
    } else {
      ++i;
    }
  }
  return code;
}

struct TForbidden {
  const char* what;
  const char* pattern;  // ECMAScript, matched ignoring case against the code
};

// What no generated script may hold, by the rule that removes or rewrites it.
const TForbidden kForbidden[] = {
    // Table, index and constraint DDL.
    {"NONCLUSTERED", R"(\bnonclustered\b)"},
    {"an index option",
     R"(\b(fillfactor|pad_index|ignore_dup_key|statistics_norecompute|sort_in_tempdb|drop_existing|allow_row_locks|allow_page_locks)\b)"},
    {"a filegroup: ON [PRIMARY]", R"(\bon\s*\[primary\])"},
    {"TEXTIMAGE_ON", R"(\btextimage_on\b)"},
    {"a named DEFAULT", R"(\bconstraint\s+(\[[^\]]+\]|"[^"]+"|\w+)\s+default\b)"},
    {"NOT FOR REPLICATION", R"(\bnot\s+for\s+replication\b)"},
    {"ROWGUIDCOL", R"(\browguidcol\b)"},
    {"COLLATE", R"(\bcollate\b)"},
    {"IDENTITY with a seed and step", R"(\bidentity\s*\(\s*\d+\s*,\s*\d+\s*\))"},
    {"ON DELETE / ON UPDATE NO ACTION", R"(\bon\s+(delete|update)\s+no\s+action\b)"},
    {"WITH CHECK / NOCHECK before ADD", R"(\bwith\s+(no)?check\s+add\b)"},
    {"DEFAULT (getdate())", R"(\bdefault\s*\(\s*getdate\s*\(\s*\)\s*\))"},
    {"COMPUTE without a type", R"((^|\n)\s*(\[[^\]]+\]|"[^"]+"|\w+)\s+compute\b)"},
    {"DECIMAL without precision", R"((^|\n)\s*(\[[^\]]+\]|"[^"]+"|\w+)\s+(decimal|numeric|dec)\s+(not\s+)?null\b)"},
    {"CLUSTERED on a UNIQUE constraint", R"(\bunique\s+clustered\s*\()"},
    {"ASC / DESC in a key's columns", R"(\b(primary\s+key|unique|foreign\s+key)\s*(clustered\s*)?\([^)]*\b(asc|desc)\b)"},
    // Procedures, functions, triggers and views.
    {"a comma after the RAISERROR number", R"(\braiserror\s+\d+\s*,)"},
    {"RETURN SELECT", R"(\breturn[ \t]+select\b)"},
    {"AFTER in a trigger head", R"(\bcreate\s+trigger\s+\S+\s+on\s+\S+\s+after\b)"},
    {"a function parameter default", R"(\bcreate\s+function\b(?:(?!\breturns\b)[^=])*=)"},
    {"WITH SCHEMABINDING or ENCRYPTION", R"(\bwith\s+(schemabinding|encryption)\b)"},
};

class TargetForm : public CliTest {};

TEST_F(TargetForm, GeneratedScriptsHoldNoConstructTheTargetRejects) {
  std::vector<fs::path> scripts;
  const fs::path corpus = CorpusDir();
  if (corpus.empty() && InCi()) ADD_FAILURE() << kNoCorpus;
  if (!corpus.empty())
    for (const auto& entry : fs::recursive_directory_iterator(corpus))
      if (entry.is_regular_file() && entry.path().extension() == ".sql") scripts.push_back(entry.path());
  for (const auto& entry : fs::directory_iterator(Example("pubs.sql").parent_path()))
    if (entry.path().extension() == ".sql" && entry.path().stem().extension() != ".asa") scripts.push_back(entry.path());
  ASSERT_GE(scripts.size(), 3u);

  for (const fs::path& script : scripts) {
    const fs::path out = dir_ / (script.stem().string() + ".asa.sql");
    const RunResult run = Ambrix({"convert", script.string(), "-o", out.string(), "--keep-going", "-q"});
    ASSERT_NE(run.exitCode, 3) << script << "\n" << run.err;
    const std::string code = CodeOf(Read(out));
    for (const TForbidden& forbidden : kForbidden) {
      const std::regex pattern(forbidden.pattern, std::regex::ECMAScript | std::regex::icase);
      std::smatch found;
      if (std::regex_search(code, found, pattern))
        ADD_FAILURE() << script.filename() << " holds " << forbidden.what << ": \"" << found.str() << "\"";
    }
  }
}

}  // namespace
}  // namespace ambrix::test
