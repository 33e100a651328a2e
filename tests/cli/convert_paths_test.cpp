// convert without a repository keeps its objects in memory; with one it
// stores them. Both must give the same file, the same reports on stderr and
// the same exit code, on real scripts and on a generated one, on one thread
// and on several.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "../../bench/script_generator.h"
#include "../support/corpus_dir.h"
#include "run_ambrix.h"

namespace ambrix::test {
namespace {

namespace fs = std::filesystem;

class ConvertPaths : public CliTest {
 protected:
  // The file, stderr and exit code of one conversion; the date of the
  // header and the output's own path are made constant.
  struct Outcome {
    std::string file, err;
    int exitCode = -1;
  };

  Outcome Convert(const fs::path& script, std::vector<std::string> options, const std::string& label) {
    const fs::path out = dir_ / (label + ".sql");
    std::vector<std::string> args{"convert", script.string(), "-o", out.string()};
    args.insert(args.end(), options.begin(), options.end());
    const RunResult run = Ambrix(args);
    Outcome outcome;
    outcome.exitCode = run.exitCode;
    if (fs::exists(out)) outcome.file = std::regex_replace(Read(out), std::regex("Дата генерации: [^\r\n]*"), "");
    outcome.err = std::regex_replace(run.err, std::regex(out.string()), "OUT");
    fs::remove(out);
    return outcome;
  }

  void ExpectSame(const fs::path& script, const std::vector<std::string>& options) {
    SCOPED_TRACE(script.filename().string());
    std::vector<std::string> stored = options;
    stored.push_back("--repository");
    stored.push_back("sqlite:" + (dir_ / ("repository" + std::to_string(++runs_) + ".sqlite3")).string());
    const Outcome direct = Convert(script, options, "direct");
    const Outcome repository = Convert(script, stored, "repository");
    EXPECT_EQ(direct.exitCode, repository.exitCode);
    EXPECT_EQ(direct.err, repository.err);
    EXPECT_TRUE(direct.file == repository.file) << "the generated files differ";
  }

  std::vector<fs::path> Scripts() {
    std::vector<fs::path> scripts;
    const fs::path corpus = CorpusDir();
    if (!corpus.empty())
      for (const auto& entry : fs::recursive_directory_iterator(corpus))
        if (entry.is_regular_file() && entry.path().extension() == ".sql") scripts.push_back(entry.path());
    for (const auto& entry : fs::directory_iterator(Example("pubs.sql").parent_path()))
      if (entry.path().extension() == ".sql" && entry.path().stem().extension() != ".asa") scripts.push_back(entry.path());
    // A generated script of every kind of object the generator writes:
    // bound defaults, replaced objects, indexes of one name on two tables.
    std::ostringstream generated;
    bench::Generator(generated, 3).Run(400 * 1024);
    scripts.push_back(Write("generated.sql", generated.str() +
                                                 "CREATE TABLE Extra1 (a int)\nGO\nCREATE TABLE Extra2 (a int)\nGO\n"
                                                 "CREATE INDEX IX_Same ON Extra1 (a)\nGO\nCREATE INDEX IX_Same ON Extra2 (a)\nGO\n"
                                                 "CREATE TABLE Extra1 (a int, b int)\nGO\n"));
    return scripts;
  }

  int runs_ = 0;
};

TEST_F(ConvertPaths, GiveTheSameFileReportsAndExitCode) {
  for (const fs::path& script : Scripts())
    for (const char* jobs : {"1", "3"}) {
      ExpectSame(script, {"--keep-going", "-q", "-j", jobs});
      ExpectSame(script, {"--keep-going", "-j", jobs});
    }
}

// Without --keep-going the first failure ends both runs alike, nothing
// written.
TEST_F(ConvertPaths, StopAtTheSameFirstFailure) {
  const fs::path script = Write("fails.sql",
                                "CREATE TABLE A (a int)\nGO\nCREATE INDEX IX ON Nowhere (a)\nGO\n"
                                "CREATE PROCEDURE P AS SELECT ROUND(1)\nGO\n");
  for (const char* jobs : {"1", "3"}) {
    ExpectSame(script, {"-q", "-j", jobs});
    ExpectSame(script, {"--keep-going", "-q", "-j", jobs});
  }
  const fs::path compile = Write("compile.sql", "CREATE TABLE A (a int)\nGO\nCREATE PROCEDURE P AS SELECT ROUND(1)\nGO\n");
  ExpectSame(compile, {"-q"});
}

}  // namespace
}  // namespace ambrix::test
