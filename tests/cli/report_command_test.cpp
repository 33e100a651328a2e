// The conversion report: convert --report gives the same page with a
// repository and without one, `ambrix report` gives it again from the
// project, and the page holds each object's outcome.

#include <filesystem>

#include <gmock/gmock.h>

#include "run_ambrix.h"

namespace ambrix::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

namespace fs = std::filesystem;

// A table, a procedure that fails (ROUND with one argument), a batch that
// cannot be read, and a procedure with a warning.
const char kMixed[] =
    "CREATE TABLE T1 (id int NOT NULL)\nGO\n"
    "CREATE PROCEDURE Broken AS SELECT ROUND(1.5) FROM T1\nGO\n"
    "CREATE TABLE Bad (\nGO\n"
    "CREATE PROCEDURE Sys AS SELECT name FROM sysobjects\nGO\n";

class ReportCommand : public CliTest {
 protected:
  // The page convert --report writes for `scripts`, with a repository when
  // `repository` names one.
  std::string ConvertReport(const std::vector<std::string>& scripts, const std::string& repository, int exitCode) {
    const fs::path page = dir_ / ("report" + std::to_string(++runs_) + ".html");
    std::vector<std::string> args{"convert"};
    args.insert(args.end(), scripts.begin(), scripts.end());
    for (const char* option : {"-o", "out.sql", "-k", "--report"}) args.push_back(option);
    args.push_back(page.string());
    if (!repository.empty()) {
      args.push_back("--repository");
      args.push_back(repository);
    }
    const RunResult r = Ambrix(args);
    EXPECT_EQ(r.exitCode, exitCode) << r.err;
    EXPECT_THAT(r.err, HasSubstr("ambrix: wrote report " + page.string()));
    return fs::exists(page) ? Read(page) : std::string();
  }
  int runs_ = 0;
};

TEST_F(ReportCommand, WithAndWithoutARepositoryThePageIsTheSame) {
  Write("mixed.sql", kMixed);
  const struct {
    std::vector<std::string> scripts;
    int exitCode;
  } cases[] = {
      {{Example("pubs.sql").string()}, 0},
      {{Example("ledger.sql").string(), Example("demo.sql").string()}, 0},
      {{"mixed.sql"}, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.scripts[0]);
    const std::string direct = ConvertReport(c.scripts, "", c.exitCode);
    const std::string stored = ConvertReport(c.scripts, RepositoryFile("r" + std::to_string(runs_) + ".sqlite3"), c.exitCode);
    EXPECT_FALSE(direct.empty());
    EXPECT_TRUE(direct == stored) << "the pages of the two paths differ";
  }
}

TEST_F(ReportCommand, ThePageHoldsEachObjectsOutcome) {
  Write("mixed.sql", kMixed);
  const std::string page = ConvertReport({"mixed.sql"}, "", 1);
  // procedure: found 2, converted 1, failed 1, with warnings 1, warnings 1;
  // table: T1 only (the unreadable batch is no object).
  EXPECT_THAT(page, HasSubstr("<th scope=\"row\">procedure</th><td class=\"num\">2</td><td class=\"num\">1</td>"
                              "<td class=\"num\">1</td><td class=\"num\">1</td><td class=\"num\">1</td>"));
  EXPECT_THAT(page, HasSubstr("<th scope=\"row\">table</th><td class=\"num\">1</td><td class=\"num\">1</td>"
                              "<td class=\"num\">0</td>"));
  // The failed object with its source and why; the warning at its place.
  EXPECT_THAT(page, HasSubstr("[1,\"Broken\",\"\",1,\"Странная функция ROUND\",\"CREATE PROCEDURE Broken AS SELECT ROUND(1.5) FROM T1"));
  EXPECT_THAT(page, HasSubstr(",\"SYSOBJECTS\"]"));
  // The batch that could not be read, at its line.
  EXPECT_THAT(page, HasSubstr("<tr><td>mixed.sql</td><td class=\"num\">5</td>"));
}

TEST_F(ReportCommand, ReportOfAProjectIsThePageItsConversionWrote) {
  Write("mixed.sql", kMixed);
  const std::string repository = RepositoryFile();
  const std::string converted = ConvertReport({Example("ledger.sql").string()}, repository, 0);
  const RunResult r = Ambrix({"report", "ledger", "-o", "again.html", "--repository", repository});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(Read(dir_ / "again.html") == converted) << "ambrix report gives another page";

  // Objects imported and never compiled are compiled for the report; one
  // that fails is shown failed, and the exit code says so.
  ASSERT_EQ(Ambrix({"import", "p", "mixed.sql", "-k", "--repository", repository}).exitCode, 3)
      << "the project does not exist yet";
  ASSERT_EQ(Ambrix({"project", "create", "p", "--repository", repository}).exitCode, 0);
  ASSERT_EQ(Ambrix({"import", "p", "mixed.sql", "-k", "--repository", repository}).exitCode, 1);
  const RunResult p = Ambrix({"report", "p", "-o", "p.html", "--repository", repository});
  EXPECT_EQ(p.exitCode, 1);
  EXPECT_THAT(p.err, HasSubstr("Странная функция ROUND [procedure Broken]"));
  const std::string page = Read(dir_ / "p.html");
  EXPECT_THAT(page, HasSubstr("<th scope=\"row\">procedure</th><td class=\"num\">2</td><td class=\"num\">1</td>"
                              "<td class=\"num\">1</td>"));
}

TEST_F(ReportCommand, RefusesAPageThatWouldOverwriteWhatTheCommandUses) {
  Write("a.sql", "CREATE TABLE T (id int)\nGO\n");
  ASSERT_EQ(Ambrix({"project", "create", "p", "--repository", RepositoryFile()}).exitCode, 0);
  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"report", "p"}, "report needs the page to write: -o FILE"},
      {{"convert", "a.sql", "-o", "x.sql", "--report", "a.sql"}, "would overwrite the input"},
      {{"convert", "a.sql", "-o", "x.sql", "--report", "./x.sql"}, "would overwrite the output"},
      {{"report", "p", "-o", "repo.sqlite3", "--repository", RepositoryFile()}, "would overwrite the repository"},
  };
  for (const auto& c : cases) {
    const RunResult r = Ambrix(c.args);
    EXPECT_EQ(r.exitCode, 2) << c.message;
    EXPECT_THAT(r.err, HasSubstr(c.message));
  }
  EXPECT_EQ(Read(dir_ / "a.sql"), "CREATE TABLE T (id int)\nGO\n");
  EXPECT_FALSE(fs::exists(dir_ / "x.sql"));
}

}  // namespace
}  // namespace ambrix::test
