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
#include "../support/skip_outside_ci.h"
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

  // Returns what the run without a repository gave.
  Outcome ExpectSame(const fs::path& script, const std::vector<std::string>& options) {
    SCOPED_TRACE(script.filename().string());
    std::vector<std::string> stored = options;
    stored.push_back("--repository");
    stored.push_back("sqlite:" + (dir_ / ("repository" + std::to_string(++runs_) + ".sqlite3")).string());
    const Outcome direct = Convert(script, options, "direct");
    const Outcome repository = Convert(script, stored, "repository");
    EXPECT_EQ(direct.exitCode, repository.exitCode);
    EXPECT_EQ(direct.err, repository.err);
    EXPECT_TRUE(direct.file == repository.file) << "the generated files differ";
    return direct;
  }

  std::vector<fs::path> Scripts() {
    std::vector<fs::path> scripts;
    const fs::path corpus = CorpusDir();
    if (corpus.empty() && InCi()) ADD_FAILURE() << kNoCorpus;
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

// With and without a repository alike; and three threads give the file, the
// reports and the exit code of one.
TEST_F(ConvertPaths, GiveTheSameFileReportsAndExitCode) {
  for (const fs::path& script : Scripts()) {
    std::vector<Outcome> byJobs;
    for (const char* jobs : {"1", "3"}) {
      byJobs.push_back(ExpectSame(script, {"--keep-going", "-q", "-j", jobs}));
      ExpectSame(script, {"--keep-going", "-j", jobs});
    }
    SCOPED_TRACE(script.filename().string());
    EXPECT_EQ(byJobs[0].exitCode, byJobs[1].exitCode);
    EXPECT_EQ(byJobs[0].err, byJobs[1].err);
    EXPECT_TRUE(byJobs[0].file == byJobs[1].file) << "-j 3 and -j 1 generate different files";
    EXPECT_FALSE(byJobs[0].file.empty());
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

// A batch of several megabytes, whose reading would take more memory than
// the run may use, is refused with its size and what it needs; the batches
// around it are converted. Both paths refuse it alike.
TEST_F(ConvertPaths, RefuseABatchThatCannotFitAndConvertTheRest) {
  std::string procedure = "CREATE PROCEDURE Big @x int AS\nBEGIN\n";
  for (int i = 0; procedure.size() < 5 * 1024 * 1024; ++i)
    procedure += "  IF @x > " + std::to_string(i) + " SELECT @x = @x + LEN('abc') -- step " + std::to_string(i) + "\n";
  procedure += "END\n";
  const fs::path script =
      Write("big.sql", "CREATE TABLE Before1 (a int)\nGO\n" + procedure + "GO\nCREATE TABLE After1 (a int)\nGO\n");
  setenv("AMBRIX_MEMORY_LIMIT_MB", "64", 1);
  struct Unset {
    ~Unset() { unsetenv("AMBRIX_MEMORY_LIMIT_MB"); }
  } unset;

  const Outcome kept = Convert(script, {"--keep-going", "-q"}, "kept");
  EXPECT_EQ(kept.exitCode, 1);
  EXPECT_TRUE(std::regex_search(kept.err, std::regex(":3: error: Пакет слишком велик для доступной памяти: его размер 5 "
                                                      "МБ, для его чтения нужно около [0-9]+ МБ, доступно 64 МБ")))
      << kept.err;
  EXPECT_NE(kept.file.find("Before1"), std::string::npos);
  EXPECT_NE(kept.file.find("After1"), std::string::npos);
  EXPECT_EQ(kept.file.find("Big"), std::string::npos);

  const Outcome stopped = Convert(script, {"-q"}, "stopped");
  EXPECT_EQ(stopped.exitCode, 3);
  EXPECT_NE(stopped.err.find("Пакет слишком велик для доступной памяти"), std::string::npos) << stopped.err;

  for (const char* jobs : {"1", "3"}) ExpectSame(script, {"--keep-going", "-q", "-j", jobs});
}

// A large batch that fits is read alone, after the batches before it and
// before those after it: the result is the one a single thread gives.
TEST_F(ConvertPaths, ReadALargeBatchThatFitsAlone) {
  std::string inserts;
  for (int i = 0; inserts.size() < 4300 * 1024; ++i)
    inserts += "INSERT INTO T1 (a, b) VALUES (" + std::to_string(i) + ", 'row " + std::to_string(i) + "')\n";
  const fs::path script = Write("inserts.sql", "CREATE TABLE T1 (a int, b varchar(20))\nGO\n" + inserts +
                                                   "GO\nCREATE TABLE T2 (a int)\nGO\nCREATE INDEX IX_T2 ON T2 (a)\nGO\n");
  const Outcome one = Convert(script, {"--keep-going", "-q", "-j", "1"}, "one");
  const Outcome three = Convert(script, {"--keep-going", "-q", "-j", "3"}, "three");
  EXPECT_EQ(one.exitCode, 0) << one.err;
  EXPECT_EQ(three.exitCode, one.exitCode);
  EXPECT_EQ(three.err, one.err);
  EXPECT_TRUE(three.file == one.file);
  EXPECT_NE(one.file.find("IX_T2"), std::string::npos);
  ExpectSame(script, {"--keep-going", "-q", "-j", "3"});
}

}  // namespace
}  // namespace ambrix::test
