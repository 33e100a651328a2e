// A command that did not do what it was asked says so and exits non-zero;
// the log never calls passed over what in fact ended the run.

#include <sqlite3.h>

#include <gmock/gmock.h>

#include "run_ambrix.h"
#include "text/utf8.h"

namespace ambrix::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// A table, its key and check, a batch that cannot be read, then a view.
const char kScript[] =
    "CREATE TABLE T1 (id int NOT NULL)\nGO\n"
    "ALTER TABLE T1 ADD CONSTRAINT PK1 PRIMARY KEY (id), CONSTRAINT CK1 CHECK (id > 0)\nGO\n"
    "CREATE TABLE Broken (\nGO\n"
    "CREATE VIEW V AS SELECT 1 AS a\nGO\n";

class FailureReports : public CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    Write("s.sql", kScript);
  }
  RunResult In(std::vector<std::string> args) {
    args.push_back("--repository");
    args.push_back(RepositoryFile());
    return Ambrix(args);
  }
};

TEST_F(FailureReports, TheSkipLogAndTheExitCodeAgree) {
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    bool passedOver;  // the batch is logged as passed over, and the view after it is read
  };
  const std::vector<Case> cases = {
      {{"import", "p", "s.sql"}, 3, false},
      {{"import", "p", "s.sql", "--keep-going"}, 1, true},
      {{"import", "p", "s.sql", "-k"}, 1, true},
      {{"convert", "s.sql", "--project", "p", "-o", "out.sql"}, 3, false},
      {{"convert", "s.sql", "--project", "p", "-o", "out.sql", "-k"}, 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + (c.args.back() == "s.sql" || c.args.back() == "out.sql" ? "" : " " + c.args.back()));
    ASSERT_EQ(In({"project", "create", "p"}).exitCode, 0);
    const RunResult r = In(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode);
    EXPECT_THAT(r.err, HasSubstr("s.sql:5:22: error: "));  // where the unclosed bracket's text starts
    if (c.passedOver)
      EXPECT_THAT(r.err, HasSubstr("Пакет со строки 5 пропущен"));
    else
      EXPECT_THAT(r.err, Not(HasSubstr("пропущен")));
    const RunResult show = In({"show", "p", "V", "--source"});
    EXPECT_EQ(show.exitCode, c.passedOver ? 0 : 3) << show.err;
    ASSERT_EQ(In({"project", "delete", "p"}).exitCode, 0);
  }
}

TEST_F(FailureReports, ProjectShowCountsTheCompiledObjects) {
  ASSERT_EQ(In({"project", "create", "p"}).exitCode, 0);
  ASSERT_EQ(In({"import", "-q", "p", "s.sql", "-k"}).exitCode, 1);
  ASSERT_EQ(In({"compile", "-q", "p", "table:T1", "V"}).exitCode, 0);
  const RunResult r = In({"project", "show", "p"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_THAT(r.out, HasSubstr("Objects:  4, warnings: 0, compiled: 2\n"));
  EXPECT_THAT(r.out, HasSubstr("  check               1 objects, 0 warnings, 0 compiled\n"));
  EXPECT_THAT(r.out, HasSubstr("  table               1 objects, 0 warnings, 1 compiled\n"));
  EXPECT_THAT(r.out, HasSubstr("  view                1 objects, 0 warnings, 1 compiled\n"));
}

TEST_F(FailureReports, ShowAndCompileSayWhatTheyDidNotDo) {
  ASSERT_EQ(In({"project", "create", "p"}).exitCode, 0);
  ASSERT_EQ(In({"import", "-q", "p", "s.sql", "-k"}).exitCode, 1);
  ASSERT_EQ(In({"compile", "-q", "p", "PK1"}).exitCode, 0);
  // An object of a type the repository has and no converter knows.
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open((dir_ / "repo.sqlite3").c_str(), &db), SQLITE_OK);
  // The index of names calls the program's folding, which a tool writing
  // objects must have as well.
  sqlite3_create_function_v2(
      db, "fold_name", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
      [](sqlite3_context* context, int, sqlite3_value** values) {
        std::string name(reinterpret_cast<const char*>(sqlite3_value_text(values[0])),
                         static_cast<std::size_t>(sqlite3_value_bytes(values[0])));
        LowerCaseInPlace(name);
        sqlite3_result_text(context, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
      },
      nullptr, nullptr, nullptr);
  ASSERT_EQ(sqlite3_exec(db,
                         "insert into TypeObject( TypeObject_id, Name, Num ) values( 99, 'synonym', 99 );"
                         "insert into TypeObjectDialect( TypeObject_id, Dialect_id ) values( 99, 1 );"
                         "insert into MetaObject( Object, TypeObject_id, Project_id, SourceScript ) "
                         "select 'Syn1', 99, Project_id, 'CREATE SYNONYM Syn1 FOR T1' from Project",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"show", "p", "T1", "--drop"}, "table T1 has no drop script yet: it is not compiled"},
      {{"show", "p", "PK1", "--drop"}, "primary-key PK1 has no drop script"},
      {{"show", "p", "Syn1"}, "objects of this type are not converted"},
      {{"compile", "p", "Syn1"}, "are not converted: nothing was compiled"},
      {{"compile", "p", "Syn1", "-k"}, "are not converted: nothing was compiled"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args[2]);
    const RunResult r = In(c.args);
    EXPECT_NE(r.exitCode, 0);
    EXPECT_THAT(r.err, HasSubstr(c.message));
    EXPECT_EQ(r.out, "");
  }
}

}  // namespace
}  // namespace ambrix::test
