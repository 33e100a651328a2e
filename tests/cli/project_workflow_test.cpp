// The project commands that run the converter's operations, on a repository
// file: import, compile, show, alarms, reset and generate.

#include <gmock/gmock.h>

#include "run_ambrix.h"

namespace ambrix::test {
namespace {

using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::StartsWith;

const char kScript[] =
    "CREATE TABLE Orders (id int NOT NULL, qty int NULL)\n"
    "GO\n"
    "ALTER TABLE Orders ADD CONSTRAINT PK_Orders PRIMARY KEY (id)\n"
    "GO\n"
    "CREATE PROCEDURE Orders_List\n"
    "AS\n"
    "  SELECT name FROM sysobjects\n"
    "GO\n";

class ProjectWorkflow : public CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    Write("shop.sql", kScript);
    ASSERT_EQ(In({"project", "create", "shop"}).exitCode, 0);
  }

  RunResult In(std::vector<std::string> args) {
    args.insert(args.end(), {"--repository", RepositoryFile(), "-q"});
    return Ambrix(args);
  }
};

TEST_F(ProjectWorkflow, ImportCompileShowAndGenerate) {
  ASSERT_EQ(In({"import", "shop", "shop.sql"}).exitCode, 0);
  EXPECT_THAT(In({"project", "show", "shop"}).out,
              AllOf(HasSubstr("Objects:  3, warnings: 0"), HasSubstr("  procedure           1 objects, 0 warnings")));

  // The source as stored; compiling one object gives its converted script.
  EXPECT_EQ(In({"show", "shop", "Orders_List", "--source"}).out,
            "CREATE PROCEDURE Orders_List\nAS\n  SELECT name FROM sysobjects\n");
  const RunResult compiled = In({"compile", "shop", "procedure:Orders_List"});
  EXPECT_EQ(compiled.exitCode, 0) << compiled.err;
  EXPECT_THAT(In({"show", "shop", "Orders_List"}).out, HasSubstr("from sysobjects"));

  // Its warning, at its place in the object's script.
  EXPECT_EQ(In({"alarms", "shop"}).out.substr(0, 29), "[procedure Orders_List]:3:20:");
  EXPECT_THAT(Lines(In({"alarms", "shop", "--format", "csv"}).out),
              ElementsAre("type,object,line,column,word,alarm", StartsWith("procedure,Orders_List,3,20,SYSOBJECTS,")));
  EXPECT_THAT(In({"alarms", "shop", "--format", "json"}).out,
              HasSubstr("{\"type\": \"procedure\", \"object\": \"Orders_List\", \"line\": 3, \"column\": 20, "
                        "\"word\": \"SYSOBJECTS\", \"alarm\": \""));

  // Generation compiles the rest and places the warning in the file.
  const RunResult generated = In({"generate", "shop", "-o", "shop.asa.sql"});
  EXPECT_EQ(generated.exitCode, 0) << generated.err;
  const std::vector<std::string> lines = Lines(Read(dir_ / "shop.asa.sql"));
  const std::vector<std::string> warning = Lines(generated.err);
  ASSERT_EQ(warning.size(), 1u) << generated.err;
  int line = 0;
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (lines[i] == "  select name from sysobjects") line = static_cast<int>(i) + 1;
  ASSERT_GT(line, 0);
  EXPECT_THAT(warning[0], StartsWith("shop.asa.sql:" + std::to_string(line) + ":20: warning: "));
  EXPECT_THAT(warning[0], HasSubstr(": SYSOBJECTS [procedure Orders_List]"));
  EXPECT_THAT(Read(dir_ / "shop.asa.sql"), AllOf(HasSubstr("print 'Orders'"), HasSubstr("print 'PK_Orders'")));
}

TEST_F(ProjectWorkflow, ImportModesDecideWhatIsReplaced) {
  ASSERT_EQ(In({"import", "shop", "shop.sql"}).exitCode, 0);
  ASSERT_EQ(In({"compile", "shop"}).exitCode, 0);
  Write("shop.sql", std::string(kScript) + "CREATE VIEW v AS SELECT id FROM Orders\nGO\n");
  // new: what the project has stays compiled; the view is added.
  const RunResult added = Ambrix({"import", "shop", "shop.sql", "--mode", "new", "--repository", RepositoryFile()});
  EXPECT_EQ(added.exitCode, 0);
  EXPECT_THAT(added.err, AllOf(HasSubstr("Добавлен обьект view [v]"), Not(HasSubstr("Заменен"))));
  // all: every object is replaced and is to be compiled again.
  const RunResult all = Ambrix({"import", "shop", "shop.sql", "--mode", "all", "--repository", RepositoryFile()});
  EXPECT_THAT(all.err, HasSubstr("Заменен обьект table [Orders]"));
  EXPECT_THAT(In({"compile", "shop", "--types", "view"}).exitCode, 0);
  EXPECT_THAT(In({"project", "show", "shop"}).out, HasSubstr("Objects:  4"));
}

TEST_F(ProjectWorkflow, ResetMakesObjectsPendingAgain) {
  ASSERT_EQ(In({"import", "shop", "shop.sql"}).exitCode, 0);
  ASSERT_EQ(In({"compile", "shop"}).exitCode, 0);
  const RunResult nothing = Ambrix({"compile", "shop", "--repository", RepositoryFile()});
  EXPECT_THAT(nothing.err, Not(HasSubstr("Скомпилирован обьект")));
  ASSERT_EQ(In({"reset", "shop", "--type", "procedure"}).exitCode, 0);
  const RunResult again = Ambrix({"compile", "shop", "--repository", RepositoryFile()});
  EXPECT_THAT(again.err, HasSubstr("Скомпилирован обьект [Orders_List]"));
  EXPECT_THAT(again.err, Not(HasSubstr("Скомпилирован обьект [Orders]")));
}

TEST_F(ProjectWorkflow, CompileFailuresNameTheObject) {
  Write("bad.sql", "CREATE PROCEDURE Bad @x money\nAS\n  SELECT ROUND(@x)\nGO\n");
  ASSERT_EQ(In({"import", "shop", "shop.sql", "bad.sql"}).exitCode, 0);
  const RunResult stop = In({"compile", "shop", "Bad", "Orders"});
  EXPECT_EQ(stop.exitCode, 3);
  EXPECT_EQ(stop.err, "ambrix: error: Странная функция ROUND [procedure Bad]\n");
  const RunResult all = In({"compile", "shop", "--keep-going"});
  EXPECT_EQ(all.exitCode, 1);
  EXPECT_EQ(all.err, "ambrix: error: Странная функция ROUND [procedure Bad]\n");
  EXPECT_THAT(In({"show", "shop", "Orders"}).out, StartsWith("create table"));
}

TEST_F(ProjectWorkflow, ObjectsAreFoundByNameOrTypeAndName) {
  Write("twins.sql", "CREATE TABLE Twin (a int)\nGO\nCREATE VIEW Twin2 AS SELECT a FROM Twin\nGO\n"
                     "CREATE PROCEDURE Twin AS SELECT 1\nGO\n");
  ASSERT_EQ(In({"import", "shop", "twins.sql"}).exitCode, 0);
  const RunResult ambiguous = In({"show", "shop", "twin", "--source"});
  EXPECT_EQ(ambiguous.exitCode, 2);
  EXPECT_THAT(ambiguous.err, HasSubstr("write one of: table:Twin procedure:Twin"));
  EXPECT_THAT(In({"show", "shop", "procedure:twin", "--source"}).out, StartsWith("CREATE PROCEDURE Twin"));
  const RunResult missing = In({"show", "shop", "Nothing"});
  EXPECT_EQ(missing.exitCode, 3);
  EXPECT_THAT(missing.err, HasSubstr("no object named 'Nothing' in project 'shop'"));
  EXPECT_EQ(In({"show", "shop", "gadget:Twin"}).exitCode, 3);
}

}  // namespace
}  // namespace ambrix::test
