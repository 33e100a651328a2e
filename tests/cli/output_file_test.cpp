// The file -o names: never the repository or a script the command reads,
// whatever name reaches them; a FIFO stays a FIFO; a write that fails says
// why, exits 3 and leaves the old file; so does a run killed half-way.

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>

#include "run_ambrix.h"
#include "running_program.h"

namespace ambrix::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

class OutputFile : public CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    script_ = Write("shop.sql", "CREATE TABLE Customer (id int, name varchar(40))\nGO\n"
                                "CREATE INDEX IX_Name ON Customer (name)\nGO\n");
  }
  // The project "shop" of the repository file repo.sqlite3, its objects
  // read and not yet compiled.
  void ImportShop() {
    ASSERT_EQ(Ambrix({"project", "create", "shop", "--repository", RepositoryFile()}).exitCode, 0);
    ASSERT_EQ(Ambrix({"import", "shop", script_.string(), "--repository", RepositoryFile()}).exitCode, 0);
  }
  bool ProjectListed(const std::string& repository) {
    const RunResult list = Ambrix({"project", "list", "--repository", repository});
    return list.exitCode == 0 && list.out.find("shop") != std::string::npos;
  }
  fs::path script_;
};

TEST_F(OutputFile, IsNeverTheRepositoryOrAnInputWhateverItsName) {
  ImportShop();
  fs::create_directory(dir_ / "sub");
  fs::create_hard_link(dir_ / "repo.sqlite3", dir_ / "repo-link");
  fs::create_hard_link(script_, dir_ / "shop-link.sql");
  fs::create_symlink(dir_ / "repo.sqlite3", dir_ / "repo-symlink");
  const std::string repo = RepositoryFile();
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"convert", "shop.sql", "-o", "shop-link.sql"}, "would overwrite the input"},
      {{"convert", "shop.sql", "--repository", repo, "-o", "repo-link"}, "would overwrite the repository"},
      {{"convert", "shop.sql", "--repository", repo, "-o", "sub/../repo.sqlite3"}, "would overwrite the repository"},
      {{"generate", "shop", "--repository", repo, "-o", "repo-symlink"}, "would overwrite the repository"},
      {{"generate", "shop", "--repository", repo, "-o", "repo-link"}, "would overwrite the repository"},
  };
  const std::string repoBytes = Read(dir_ / "repo.sqlite3");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " -o " + c.args.back());
    const RunResult r = Ambrix(c.args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_THAT(r.err, HasSubstr(c.message));
    EXPECT_TRUE(ProjectListed(repo));
    EXPECT_EQ(Read(script_), Read(dir_ / "shop-link.sql"));
    EXPECT_THAT(Read(script_), HasSubstr("CREATE TABLE Customer"));
  }
  // The default repository, named by its path.
  ASSERT_EQ(Ambrix({"project", "create", "shop"}).exitCode, 0);
  const RunResult r = Ambrix({"generate", "shop", "-o", "ambrix/repository.sqlite3"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_THAT(r.err, HasSubstr("would overwrite the repository"));
  EXPECT_TRUE(ProjectListed("sqlite:" + (dir_ / "ambrix/repository.sqlite3").string()));
}

TEST_F(OutputFile, AFifoIsWrittenToAndStaysAFifo) {
  const fs::path fifo = dir_ / "out.fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // The reading end is open before the program writes, and holds the whole
  // script (a few kilobytes) until it is read after the run.
  const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  fcntl(reader, F_SETPIPE_SZ, 1 << 20);
  ImportShop();
  const std::vector<std::vector<std::string>> runs = {
      {"convert", "-q", "shop.sql", "-o", fifo.string()},
      {"generate", "-q", "shop", "--repository", RepositoryFile(), "-o", fifo.string()},
  };
  for (const std::vector<std::string>& args : runs) {
    SCOPED_TRACE(args[0]);
    const RunResult r = Ambrix(args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    struct stat node {};
    ASSERT_EQ(stat(fifo.c_str(), &node), 0);
    EXPECT_TRUE(S_ISFIFO(node.st_mode)) << "the FIFO was replaced by a file";
    std::string received;
    char buffer[4096];
    for (ssize_t n; (n = read(reader, buffer, sizeof buffer)) > 0;) received.append(buffer, static_cast<std::size_t>(n));
    EXPECT_THAT(received, HasSubstr("create table"));
    EXPECT_THAT(received, HasSubstr("GO\r\n"));
  }
  close(reader);
}

// The limit is set in this process for the run it starts (which inherits
// it) and lifted at once.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit limited = old_;
    limited.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old_); }

 private:
  rlimit old_{};
};

TEST_F(OutputFile, AWriteOverTheFileSizeLimitFailsWithItsReasonAndKeepsTheOldFile) {
  // A script of some ten kilobytes against a limit of four: the stand-in
  // for a full disk.
  std::string big;
  for (int i = 0; i < 60; ++i)
    big += "CREATE TABLE Table" + std::to_string(i) + " (id int, name varchar(40), note varchar(200))\nGO\n";
  Write("big.sql", big);
  Write("out.sql", "the old script\n");
  const std::vector<std::string> before = FileNames(dir_);
  RunResult r;
  {
    FileSizeLimit limit(4096);
    r = Ambrix({"convert", "-q", "big.sql", "-o", "out.sql"});
  }
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_THAT(r.err, HasSubstr("out.sql"));
  EXPECT_THAT(r.err, HasSubstr("ulimit -f"));
  EXPECT_EQ(Read(dir_ / "out.sql"), "the old script\n");
  EXPECT_EQ(FileNames(dir_), before) << "a file was left behind";
}

TEST_F(OutputFile, ARunKilledWhileWritingLeavesTheOldFile) {
  ImportShop();
  Write("out.sql", "the old script\n");
  // Another program holds the repository's write lock: generation opens its
  // output, then waits to store what it compiles, and is killed there.
  sqlite3* holder = nullptr;
  ASSERT_EQ(sqlite3_open((dir_ / "repo.sqlite3").c_str(), &holder), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(holder, "begin immediate", nullptr, nullptr, nullptr), SQLITE_OK);
  {
    RunningProgram run(dir_, {"generate", "shop", "--repository", RepositoryFile(), "-o", "out.sql"});
    EXPECT_TRUE(run.WaitForFile(dir_, [](const std::string& name) {
      return name != "out.sql" && name.find("out.sql") != std::string::npos;
    }));
    run.Kill();
  }
  sqlite3_exec(holder, "rollback", nullptr, nullptr, nullptr);
  sqlite3_close(holder);
  EXPECT_EQ(Read(dir_ / "out.sql"), "the old script\n");
  // The next run writes the file whole.
  const RunResult r = Ambrix({"generate", "-q", "shop", "--repository", RepositoryFile(), "-o", "out.sql"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(Read(dir_ / "out.sql"), HasSubstr("create index"));
}

}  // namespace
}  // namespace ambrix::test
