// Project commands on a repository file.

#include <gmock/gmock.h>

#include "run_ambrix.h"

namespace ambrix::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

class ProjectCommands : public CliTest {
 protected:
  RunResult In(std::vector<std::string> args) {
    args.push_back("--repository");
    args.push_back(RepositoryFile());
    return Ambrix(args);
  }
};

TEST_F(ProjectCommands, CreateListAndDeleteProjects) {
  EXPECT_EQ(In({"project", "list"}).out, "");
  EXPECT_EQ(In({"project", "create", "shop", "--dns", "shopdb"}).exitCode, 0);
  EXPECT_EQ(In({"project", "create", "Бухгалтерия"}).exitCode, 0);
  const RunResult list = In({"project", "list"});
  EXPECT_EQ(list.exitCode, 0);
  const std::vector<std::string> lines = Lines(list.out);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_THAT(lines[0], StartsWith("shop         Transact-SQL"));
  EXPECT_THAT(lines[0], HasSubstr("(ODBC shopdb)"));
  EXPECT_THAT(lines[1], StartsWith("Бухгалтерия  Transact-SQL"));

  EXPECT_EQ(In({"project", "delete", "shop"}).exitCode, 0);
  EXPECT_THAT(Lines(In({"project", "list"}).out), ElementsAre(StartsWith("Бухгалтерия ")));
  EXPECT_TRUE(std::filesystem::exists(dir_ / "repo.sqlite3"));
}

TEST_F(ProjectCommands, DefaultRepositoryLivesInTheUserDataFolder) {
  EXPECT_EQ(Ambrix({"project", "create", "shop"}).exitCode, 0);
  EXPECT_TRUE(std::filesystem::exists(dir_ / "ambrix"));
  EXPECT_THAT(Ambrix({"project", "list"}).out, StartsWith("shop"));
  EXPECT_EQ(In({"project", "list"}).out, "");
}

TEST_F(ProjectCommands, ProjectErrorsExitWithThree) {
  ASSERT_EQ(In({"project", "create", "shop"}).exitCode, 0);
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"project", "create", "SHOP"}, "a project named 'shop' already exists"},
      {{"project", "delete", "store"}, "no project named 'store'"},
      {{"project", "show", "store"}, "no project named 'store'"},
      {{"project", "create", "x", "--dialect", "PL/SQL"}, "no dialect named 'PL/SQL'"},
  };
  for (const Case& c : cases) {
    const RunResult r = In(c.args);
    EXPECT_EQ(r.exitCode, 3) << c.args[1];
    EXPECT_THAT(r.err, HasSubstr("ambrix: error: " + c.message)) << c.args[1];
  }
}

TEST_F(ProjectCommands, NamesMatchIgnoringCaseWhenUnambiguous) {
  ASSERT_EQ(In({"project", "create", "Shop"}).exitCode, 0);
  const RunResult show = In({"project", "show", "shop", "-q"});
  EXPECT_EQ(show.exitCode, 0) << show.err;
  EXPECT_THAT(show.out, StartsWith("Project:  Shop\n"));
}

}  // namespace
}  // namespace ambrix::test
