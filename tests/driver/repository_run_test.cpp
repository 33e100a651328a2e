// Data changes through Repository::Run: every kind of value the converter
// binds is stored as it was given, a value left out is null, and a failed
// change reports the database's reason and leaves the statement usable.
// Queries read row by row through Repository::ForEachRow give what Run
// gives, and a reading that fails or is broken off leaves the statement
// usable.

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>

#include <QByteArray>
#include <QString>

#include "repository_fixture.h"
#include "text/error.h"
#include "text/utf8.h"

namespace ambrix {
namespace {

using RepositoryRun = test::BackendTest;

const QString kInsertProject = QStringLiteral("insert into Project( Name, Dialect_id, DNS ) values( :Name, :Dialect_id, :DNS )");

// The project's columns as text, "<null>" for null; empty when it is not there.
std::vector<std::string> ProjectRow(Repository& repo, const std::string& name) {
  const QueryResult result = repo.Run(QStringLiteral("select Name, Dialect_id, DNS from Project where Name = :Name"),
                                      {{"Name", QString::fromStdString(name)}});
  if (result.rows.empty()) return {};
  std::vector<std::string> row;
  for (const QVariant& value : result.rows.at(0))
    row.push_back(value.isNull() ? "<null>" : value.toString().toStdString());
  return row;
}

TEST_P(RepositoryRun, ValuesAreStoredAsBoundAndALeftOutOneIsNull) {
  struct Case {
    const char* name;
    ParamValues params;
    std::vector<std::string> stored;
  };
  const std::vector<Case> cases{
      {"Склад №1", {{"Dialect_id", 7}, {"DNS", QStringLiteral("dsn ü")}}, {"Склад №1", "7", "dsn ü"}},
      // Run after one that gave DNS: what that run bound is not kept.
      {"left out", {{"Dialect_id", 7}}, {"left out", "7", "<null>"}},
      {"long key", {{"Dialect_id", QVariant(qlonglong{7})}, {"DNS", QString(QLatin1String(""))}}, {"long key", "7", ""}},
      {"null text", {{"Dialect_id", 7}, {"DNS", QString()}}, {"null text", "7", "<null>"}},
      {"invalid", {{"Dialect_id", 7}, {"DNS", QVariant()}}, {"invalid", "7", "<null>"}},
  };
  for (const Case& c : cases) {
    ParamValues params = c.params;
    params["Name"] = QString::fromUtf8(c.name);
    repo().Run(kInsertProject, params);
    EXPECT_EQ(ProjectRow(repo(), c.name), c.stored) << c.name;
  }
}

TEST_P(RepositoryRun, ScriptsGivenAsUtf8BytesAreStoredAsText) {
  if (GetParam() != Backend::SQLite) GTEST_SKIP() << "only the SQLite statements take scripts as bytes";
  const int project = AddProject("Bytes");
  const QByteArray source = QStringLiteral("create table Т ( a int )").toUtf8();
  const QueryResult inserted = repo().RunNamed("cmdScriptAppendCompiled", {{"Object", QStringLiteral("Т")},
                                                                          {"TypeObject_id", test::TestTypeId("table")},
                                                                          {"Project_id", project},
                                                                          {"SourceScript", source},
                                                                          {"DestScript", QByteArray("")},
                                                                          {"DropScript", QByteArray()}});
  ASSERT_FALSE(inserted.insertedId.isNull());
  const QueryResult row = repo().Run(
      QStringLiteral("select typeof( SourceScript ), SourceScript, typeof( DestScript ), typeof( DropScript ), Object_id "
                     "from MetaObject where Project_id = :Project_id"),
      {{"Project_id", project}});
  ASSERT_EQ(row.rows.size(), 1u);
  EXPECT_EQ(row.rows[0][0].toString(), "text");
  EXPECT_EQ(row.rows[0][1].toString(), QStringLiteral("create table Т ( a int )"));
  EXPECT_EQ(row.rows[0][2].toString(), "text");
  EXPECT_EQ(row.rows[0][3].toString(), "null");
  EXPECT_EQ(row.rows[0][4].toLongLong(), inserted.insertedId.toLongLong());
}

TEST_P(RepositoryRun, AFailedChangeGivesTheReasonAndTheStatementRunsAgain) {
  try {
    repo().Run(kInsertProject, {{"Name", QString()}, {"Dialect_id", 7}});
    FAIL() << "a project without a name was stored";
  } catch (const RepositoryError& error) {
    const std::string what = LowerCase(error.what());
    EXPECT_NE(what.find("repository statement failed"), std::string::npos) << what;
    EXPECT_NE(what.find("null"), std::string::npos) << what;
    EXPECT_NE(what.find("name"), std::string::npos) << what;
  }
  repo().Run(kInsertProject, {{"Name", QStringLiteral("after")}, {"Dialect_id", 7}});
  EXPECT_EQ(ProjectRow(repo(), "after"), (std::vector<std::string>{"after", "7", "<null>"}));
  // A key that no dialect has: the foreign key is checked on every run.
  EXPECT_THROW(repo().Run(kInsertProject, {{"Name", QStringLiteral("orphan")}, {"Dialect_id", 99}}), RepositoryError);
  EXPECT_TRUE(ProjectRow(repo(), "orphan").empty());
}

AMBRIX_ALL_BACKENDS(RepositoryRun);

using RepositoryRows = test::BackendTest;

// What ForEachRow handed over of each row: every column's value and bytes.
struct ReadRow {
  std::vector<QVariant> values;
  std::vector<std::string> bytes;
  std::vector<long long> integers;
};

std::vector<ReadRow> ReadAll(Repository& repo, const QString& text, const ParamValues& params, int columns) {
  std::vector<ReadRow> rows;
  repo.ForEachRow(text, params, [&](const QueryRow& row) {
    ReadRow read;
    for (int i = 0; i < columns; ++i) {
      read.values.push_back(row.Value(i));
      read.bytes.emplace_back(row.Bytes(i));
      read.integers.push_back(row.Integer(i));
    }
    rows.push_back(std::move(read));
  });
  return rows;
}

TEST_P(RepositoryRows, EachRowGivesTheValuesARunGivesAndTheirBytes) {
  repo().Run(kInsertProject, {{"Name", QStringLiteral("Склад №1")}, {"Dialect_id", 7}, {"DNS", QStringLiteral("dsn ü")}});
  repo().Run(kInsertProject, {{"Name", QStringLiteral("plain")}, {"Dialect_id", 7}});
  const QString query = QStringLiteral(
      "select Name, Dialect_id, DNS, Project_id from Project where Dialect_id = :Dialect_id order by Project_id");
  const QueryResult expected = repo().Run(query, {{"Dialect_id", 7}});
  const std::vector<ReadRow> rows = ReadAll(repo(), query, {{"Dialect_id", 7}}, 4);
  ASSERT_EQ(rows.size(), 2u);
  ASSERT_EQ(expected.rows.size(), 2u);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t c = 0; c < 4; ++c) {
      const QVariant& want = expected.rows[r][c];
      const QVariant& got = rows[r].values[c];
      if (want.isNull()) {
        EXPECT_TRUE(got.isNull()) << r << ":" << c;
        EXPECT_EQ(rows[r].bytes[c], "") << r << ":" << c;
      } else {
        EXPECT_EQ(got, want) << r << ":" << c;
        EXPECT_EQ(rows[r].bytes[c], want.toString().toStdString()) << r << ":" << c;
      }
    }
  }
  EXPECT_EQ(rows[0].bytes[0], "Склад №1");
  EXPECT_EQ(rows[0].bytes[1], "7");
  EXPECT_EQ(rows[0].bytes[2], "dsn ü");
  EXPECT_EQ(rows[0].integers[1], 7);
  EXPECT_EQ(rows[1].integers[2], 0);  // null
  EXPECT_EQ(rows[1].integers[3], expected.rows[1][3].toLongLong());
  // Run again without the value the first reading was given: it is null now.
  EXPECT_TRUE(ReadAll(repo(), query, {}, 4).empty());
}

TEST_P(RepositoryRows, BlobsAndNumbersComeAsStored) {
  if (GetParam() != Backend::SQLite) GTEST_SKIP() << "blobs are read this way from SQLite only";
  const QString query = QStringLiteral("select cast( :Text as blob ), :Real + 0.5, :Big, x'00ff', cast( :Bytes as text )");
  const ParamValues params{{"Text", QStringLiteral("Т ü")},
                           {"Real", 1.5},
                           {"Big", QVariant(qlonglong{1} << 40)},
                           {"Bytes", QByteArray("bytes")}};
  const QueryResult expected = repo().Run(query, params);
  const std::vector<ReadRow> rows = ReadAll(repo(), query, params, 5);
  ASSERT_EQ(rows.size(), 1u);
  ASSERT_EQ(expected.rows.size(), 1u);
  for (std::size_t c = 0; c < 5; ++c) {
    EXPECT_EQ(rows[0].values[c].typeId(), expected.rows[0][c].typeId()) << c;
    EXPECT_EQ(rows[0].values[c], expected.rows[0][c]) << c;
  }
  EXPECT_EQ(rows[0].bytes[0], "Т ü");
  EXPECT_EQ(rows[0].values[1].toDouble(), 2.0);
  EXPECT_EQ(rows[0].bytes[2], "1099511627776");
  EXPECT_EQ(rows[0].bytes[3], std::string("\0\xff", 2));
  EXPECT_EQ(rows[0].bytes[4], "bytes");
}

TEST_P(RepositoryRows, ColumnsAreFoundByNameInAnyLetterCase) {
  AddProject("named");
  std::vector<int> found;
  repo().ForEachRow(QStringLiteral("select Name, Project_id as Key_Id from Project"), {}, [&](const QueryRow& row) {
    found = {row.IndexOf("name"), row.IndexOf("KEY_ID"), row.IndexOf("Key_Id"), row.IndexOf("Project_id"),
             row.IndexOf("")};
  });
  EXPECT_EQ(found, (std::vector<int>{0, 1, 1, -1, -1}));
}

TEST_P(RepositoryRows, AReadingThatFailsOrIsBrokenOffLeavesTheStatementUsable) {
  AddProject("first");
  AddProject("second");
  const QString names = QStringLiteral("select Name from Project order by Project_id");
  int seen = 0;
  EXPECT_THROW(repo().ForEachRow(names, {},
                                 [&](const QueryRow&) {
                                   ++seen;
                                   throw std::runtime_error("stop");
                                 }),
               std::runtime_error);
  EXPECT_EQ(seen, 1);
  const std::vector<ReadRow> all = ReadAll(repo(), names, {}, 1);
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[1].bytes[0], "second");

  // abs() of the smallest integer fails on every backend; on SQLite it
  // fails at the second row, after the first was read.
  const QString absolute = QStringLiteral(
      "select abs( case when Name = 'second' then :Value else Project_id end ) from Project order by Project_id");
  seen = 0;
  try {
    repo().ForEachRow(absolute, {{"Value", QVariant(std::numeric_limits<qlonglong>::min())}},
                      [&](const QueryRow&) { ++seen; });
    FAIL() << "the overflow was not reported";
  } catch (const RepositoryError& error) {
    EXPECT_NE(std::string(error.what()).find("Repository statement failed"), std::string::npos) << error.what();
  }
  if (GetParam() == Backend::SQLite) {
    EXPECT_EQ(seen, 1);
  }
  const std::vector<ReadRow> absolutes = ReadAll(repo(), absolute, {{"Value", QVariant(qlonglong{-5})}}, 1);
  ASSERT_EQ(absolutes.size(), 2u);
  EXPECT_EQ(absolutes[1].bytes[0], "5");
  // The statements read above hold nothing: the repository takes a change.
  repo().Run(kInsertProject, {{"Name", QStringLiteral("third")}, {"Dialect_id", 7}});
  EXPECT_EQ(ReadAll(repo(), names, {}, 1).size(), 3u);
}

AMBRIX_ALL_BACKENDS(RepositoryRows);

}  // namespace
}  // namespace ambrix
