// What the commands do when the repository fails them: a file that is no
// database, one another program holds locked, one that cannot grow (a file
// size limit standing for a full disk), and two imports into one project at
// once. Each gives a clear error and an exit code, and nothing half-done.

#include <sqlite3.h>
#include <sys/resource.h>

#include <gmock/gmock.h>

#include "run_ambrix.h"
#include "running_program.h"

namespace ambrix::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class RepositoryFaults : public CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    std::string script;
    for (int i = 0; i < 150; ++i)
      script += "CREATE TABLE T" + std::to_string(i) + " (id int, name varchar(20), note varchar(100))\nGO\n";
    Write("many.sql", script);
  }
  RunResult In(std::vector<std::string> args) {
    args.push_back("--repository");
    args.push_back(RepositoryFile());
    return Ambrix(args);
  }
  std::string Shown() { return In({"project", "show", "p"}).out; }
  // Holds the repository's write lock as another program would.
  void Lock() {
    ASSERT_EQ(sqlite3_open((dir_ / "repo.sqlite3").c_str(), &holder_), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder_, "begin immediate", nullptr, nullptr, nullptr), SQLITE_OK);
  }
  void Unlock() {
    sqlite3_exec(holder_, "rollback", nullptr, nullptr, nullptr);
    sqlite3_close(holder_);
    holder_ = nullptr;
  }
  void TearDown() override {
    if (holder_) Unlock();
    CliTest::TearDown();
  }
  sqlite3* holder_ = nullptr;
};

TEST_F(RepositoryFaults, AFileThatIsNoDatabaseIsReportedAndLeftAsItIs) {
  Write("repo.sqlite3", "these are the notes of a user, not a database\n");
  const std::vector<std::vector<std::string>> commands = {
      {"project", "list"},
      {"project", "create", "p"},
      {"import", "p", "many.sql"},
      {"convert", "many.sql", "-o", "out.sql"},
  };
  for (const std::vector<std::string>& args : commands) {
    SCOPED_TRACE(args[0] + " " + args[1]);
    const RunResult r = In(args);
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_THAT(r.err, HasSubstr("is no repository of this program; it was left as it is"));
    EXPECT_EQ(Read(dir_ / "repo.sqlite3"), "these are the notes of a user, not a database\n");
    EXPECT_FALSE(std::filesystem::exists(dir_ / "out.sql"));
  }
}

TEST_F(RepositoryFaults, AnImportIntoARepositoryAnotherProgramHoldsStoresNothing) {
  ASSERT_EQ(In({"project", "create", "p"}).exitCode, 0);
  Lock();
  const RunResult r = In({"import", "p", "many.sql", "--wait", "0"});
  Unlock();
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_THAT(r.err, HasSubstr("is being written by another program"));
  EXPECT_THAT(r.err, HasSubstr("nothing was stored"));
  EXPECT_THAT(Shown(), HasSubstr("Objects:  0,"));
}

TEST_F(RepositoryFaults, AnImportThatCannotGrowTheRepositoryStoresNothing) {
  ASSERT_EQ(In({"project", "create", "p"}).exitCode, 0);
  std::string script;
  for (int i = 0; i < 1500; ++i)
    script += "CREATE TABLE T" + std::to_string(i) + " (id int, name varchar(20), note varchar(100))\nGO\n";
  Write("more.sql", script);
  // Room for some of the objects, not for all of them.
  const auto room = static_cast<rlim_t>(std::filesystem::file_size(dir_ / "repo.sqlite3") + 32768);
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  rlimit limited = old;
  limited.rlim_cur = room;
  setrlimit(RLIMIT_FSIZE, &limited);
  const RunResult r = In({"import", "-q", "p", "more.sql"});
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_THAT(r.err, HasSubstr("(File too large)"));
  EXPECT_THAT(Shown(), HasSubstr("Objects:  0,"));
}

TEST_F(RepositoryFaults, TwoImportsIntoOneProjectAtOnceBothComplete) {
  ASSERT_EQ(In({"project", "create", "p"}).exitCode, 0);
  // Both start while another program holds the repository, so that they
  // surely run at once; then it lets go.
  Lock();
  const std::vector<std::string> args{"import", "p", "many.sql", "--repository", RepositoryFile()};
  RunningProgram first(dir_, args, dir_ / "first.err");
  RunningProgram second(dir_, args, dir_ / "second.err");
  EXPECT_TRUE(first.WaitForText(dir_ / "first.err", "ожидание"));
  EXPECT_TRUE(second.WaitForText(dir_ / "second.err", "ожидание"));
  Unlock();
  EXPECT_EQ(first.Wait(), 0) << Read(dir_ / "first.err");
  EXPECT_EQ(second.Wait(), 0) << Read(dir_ / "second.err");
  EXPECT_THAT(Read(dir_ / "first.err") + Read(dir_ / "second.err"), Not(HasSubstr("error")));
  EXPECT_THAT(Shown(), HasSubstr("Objects:  150,"));
}

}  // namespace
}  // namespace ambrix::test
