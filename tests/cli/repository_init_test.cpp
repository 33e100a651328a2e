// `ambrix repository init` on every backend: installing into an empty
// database, running again, upgrading the forms earlier versions made, and
// refusing a database that holds something else.

#include <gmock/gmock.h>

#include "../driver/repository_fixture.h"
#include "../support/skip_outside_ci.h"
#include "driver/dialect_seed.h"
#include "driver/repository.h"
#include "run_ambrix.h"

namespace ambrix::test {
namespace {

using ::testing::HasSubstr;

class RepositoryInit : public CliTest, public ::testing::WithParamInterface<Backend> {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    scratch_ = std::make_unique<ScratchDatabase>(GetParam());
    std::string why;
    if (!scratch_->Available(&why)) AMBRIX_SKIP_OUTSIDE_CI(why);
  }
  void TearDown() override {
    scratch_.reset();
    CliTest::TearDown();
  }
  bool Unavailable() const { return IsSkipped() || HasFatalFailure(); }

  std::string Location() const { return scratch_->location().ToString(); }
  RunResult Init() { return Ambrix({"repository", "init", "--repository", Location()}); }
  std::unique_ptr<Repository> Connect() const { return Repository::Connect(scratch_->location()); }
  int Count(Repository& repository, const QString& query) const {
    return repository.Run(query).rows.at(0).at(0).toInt();
  }

  std::unique_ptr<ScratchDatabase> scratch_;
};

TEST_P(RepositoryInit, InstallsIntoAnEmptyDatabaseAndThenFindsItUpToDate) {
  if (Unavailable()) return;
  const RunResult first = Init();
  ASSERT_EQ(first.exitCode, 0) << first.err;
  EXPECT_EQ(first.out, "installed schema version 4 into " + Location() + "\n");
  {
    auto repository = Connect();
    EXPECT_TRUE(repository->IsInstalled());
    EXPECT_EQ(repository->SchemaVersion(), kRepositorySchemaVersion);
    for (const DialectTable& table : DialectTables())
      EXPECT_EQ(Count(*repository, QString::fromStdString("select count(*) from " + table.table)),
                static_cast<int>(table.rows.size()))
          << table.table;
  }
  // The repository now serves the other commands, and a second run keeps
  // what they stored.
  ASSERT_EQ(Ambrix({"project", "create", "shop", "--repository", Location()}).exitCode, 0);
  const RunResult again = Init();
  EXPECT_EQ(again.exitCode, 0) << again.err;
  EXPECT_EQ(again.out, Location() + " is already up to date (schema version 4)\n");
  EXPECT_THAT(Ambrix({"project", "list", "--repository", Location()}).out, HasSubstr("shop"));
}

// The forms earlier versions of the program left, none of which recorded its
// version: each is brought to the current one with its projects kept.
TEST_P(RepositoryInit, UpgradesEveryEarlierSchemaInPlace) {
  if (Unavailable()) return;
  struct Older {
    int version;
    const char* nameIndex;  ///< the index of object names it made; empty: the current one
  };
  const Older forms[] = {
      {1, "create unique index MetaObject_Name on MetaObject( Project_id, Object, TypeObject_id )"},
      {2, "create unique index MetaObject_Name on MetaObject( Project_id, Object, TypeObject_id, "
          "coalesce( ParentObject_id, 0 ) )"},
      {3, ""},
  };
  for (const Older& older : forms) {
    SCOPED_TRACE("schema version " + std::to_string(older.version));
    {
      auto repository = Connect();
      if (repository->IsEmpty()) repository->Install();
      repository->Run(QStringLiteral("delete from Project"));
      repository->Execute(QStringLiteral("drop table RepositoryVersion"));
      if (*older.nameIndex) {
        repository->Execute(QStringLiteral("drop index MetaObject_Name"));
        repository->Execute(QString::fromUtf8(older.nameIndex));
      }
      const int project =
          repository->RunNamed("dsProject.Insert", {{"Name", "Old"}, {"Dialect_id", 1}}).rows.at(0).at(0).toInt();
      repository->RunNamed("cmdScriptAppend", {{"Object", QStringLiteral("Заказы")},
                                               {"TypeObject_id", 4},
                                               {"Project_id", project},
                                               {"SourceScript", QStringLiteral("create table Заказы ( id int )")}});
      EXPECT_EQ(repository->SchemaVersion(), older.version);
    }
    const RunResult upgraded = Init();
    ASSERT_EQ(upgraded.exitCode, 0) << upgraded.err;
    EXPECT_EQ(upgraded.out,
              "upgraded " + Location() + " from schema version " + std::to_string(older.version) + " to 4\n");
    auto repository = Connect();
    EXPECT_EQ(repository->SchemaVersion(), kRepositorySchemaVersion);
    EXPECT_TRUE(repository->HasVersionTable());
    EXPECT_EQ(Count(*repository, QStringLiteral("select count(*) from RepositoryVersion")), 1);
    // The object is kept, and found under its name in another letter case.
    const QueryResult found =
        repository->RunNamed("dsScript", {{"Project_id", repository->RunNamed("dsProject").rows.at(0).at(0)},
                                          {"Object", QStringLiteral("ЗАКАЗЫ")},
                                          {"TypeObject_id", 4}});
    EXPECT_EQ(found.rows.size(), 1u);
    EXPECT_EQ(Init().out, Location() + " is already up to date (schema version 4)\n");
  }
}

TEST_P(RepositoryInit, RefusesADatabaseHoldingSomethingElseAndChangesNothing) {
  if (Unavailable()) return;
  struct Case {
    const char* what;
    std::vector<const char*> setup;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"another program's tables",
       {"create table invoice ( id integer )", "create table customer ( id integer )"},
       "holds tables that are not a repository of this program (customer, invoice); a repository is installed "
       "only into an empty database"},
      {"part of a repository", {"create table Dialect ( Dialect_id smallint )"}, "(dialect)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    {
      auto repository = Connect();
      for (const std::string& table : repository->TableNames())
        repository->Execute(QString::fromStdString("drop table " + table));
      for (const char* statement : c.setup) repository->Execute(QString::fromUtf8(statement));
    }
    const RunResult refused = Init();
    EXPECT_EQ(refused.exitCode, 3);
    EXPECT_EQ(refused.out, "");
    EXPECT_THAT(refused.err, HasSubstr("The database " + Location() + " "));
    EXPECT_THAT(refused.err, HasSubstr(c.message));
    EXPECT_EQ(Connect()->TableNames().size(), c.setup.size());
  }
}

TEST_P(RepositoryInit, RefusesASchemaOfALaterVersion) {
  if (Unavailable()) return;
  ASSERT_EQ(Init().exitCode, 0);
  Connect()->Run(QStringLiteral("update RepositoryVersion set Version = 9"));
  const RunResult refused = Init();
  EXPECT_EQ(refused.exitCode, 3);
  EXPECT_THAT(refused.err, HasSubstr("has schema version 9, made by a later version of this program"));
  EXPECT_EQ(Connect()->SchemaVersion(), 9);
  // Nor does any other command work on it.
  EXPECT_EQ(Ambrix({"project", "list", "--repository", Location()}).exitCode, 3);
}

INSTANTIATE_TEST_SUITE_P(Backends, RepositoryInit,
                         ::testing::Values(::ambrix::Backend::SQLite, ::ambrix::Backend::PostgreSQL),
                         BackendParamName);

}  // namespace
}  // namespace ambrix::test
