// Compilation of one object, the reset of compilation results and the
// deletion of an object.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "operations_fixture.h"
#include "text/error.h"

namespace ambrix {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using test::StoredAlarm;
using test::StoredObject;

class Compilation : public test::OperationsTest {
 protected:
  void SetUp() override {
    OperationsTest::SetUp();
    if (Unavailable()) return;
    Import(test::kTableScript);
    log_.clear();
    alarmsChanged_ = 0;
  }
};

// The table's destination and drop scripts, as the table rules give them:
// the owner dbo becomes dba, the bracketed type loses its brackets, the
// filegroup clause goes; every line is followed by CR LF.
TEST_P(Compilation, StoresTheDestinationAndDropScriptsAndShowsThemAtOnce) {
  Compile("T1");
  const StoredObject t1 = Object("T1");
  EXPECT_EQ(t1.dest, "create table [dba].[T1] (\r\n  [id] int not null\r\n)\r\n");
  EXPECT_EQ(t1.drop, "if exists( select * from SysTable where Table_Name = 'T1')\r\n  drop table [T1]\r\n");
  EXPECT_EQ(m().dsObjectScript.Text("DestScript"), *t1.dest);
  EXPECT_EQ(m().dsObjectScript.Text("DropScript"), *t1.drop);
  EXPECT_EQ(log_, (std::vector<std::string>{"Скомпилирован обьект [T1]"}));
  EXPECT_EQ(alarmsChanged_, 1);
  EXPECT_TRUE(m().Core.Words.Empty());
}

// A key constraint writes no drop script: the repository holds null, the
// object view an empty text.
TEST_P(Compilation, AnObjectWithoutDropLinesStoresNullAndShowsAnEmptyDropScript) {
  Compile("PK1");
  const StoredObject pk = Object("PK1");
  EXPECT_EQ(pk.dest, "alter table [T1] add\r\n  constraint [PK1] primary key clustered ([id])\r\n");
  EXPECT_FALSE(pk.drop.has_value());
  EXPECT_FALSE(m().dsObjectScript.IsNull("DropScript"));
  EXPECT_EQ(m().dsObjectScript.Text("DropScript"), "");
}

// A second compilation replaces the scripts and the alarms: each alarm is
// stored once, with its place in the destination script.
TEST_P(Compilation, ASecondCompilationReplacesScriptsAndAlarms) {
  Compile("V");
  const std::vector<StoredAlarm> first = Alarms();
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0].object, "V");
  EXPECT_EQ(first[0].varName, "SysTable");
  EXPECT_EQ(first[0].line, 2);
  EXPECT_EQ(first[0].pos, 18);
  EXPECT_EQ(first[0].word, "SYSOBJECTS");  // the word text of the reserved word
  const std::optional<std::string> dest = Object("V").dest;
  ASSERT_TRUE(dest.has_value());
  EXPECT_EQ(m().dsAlarmObject.RowCount(), 1);

  Compile("V");
  const std::vector<StoredAlarm> second = Alarms();
  ASSERT_EQ(second.size(), 1u);
  EXPECT_EQ(second[0].line, first[0].line);
  EXPECT_EQ(Object("V").dest, dest);
  EXPECT_EQ(m().dsAlarmObject.RowCount(), 1);
  EXPECT_EQ(alarmsChanged_, 2);
}

// An object whose type has no analyzer (here: none is registered) gets
// nothing stored or logged, and what it held stays.
TEST_P(Compilation, AnObjectWithoutAnalyzerKeepsWhatItHad) {
  m().Analizers.Clear();
  const int ck = ObjectId("CK1");
  repo().RunNamed("cmdDestScriptUpdate", {{"DestScript", "kept"}, {"DropScript", QVariant()}, {"Object_id", ck}});
  m().OpenObjectScript(ck);
  m().CompileObject();
  EXPECT_EQ(Object("CK1").dest, "kept");
  EXPECT_TRUE(log_.empty());
  EXPECT_EQ(alarmsChanged_, 0);
}

TEST_P(Compilation, DoesNothingWithoutAnOpenObject) {
  m().CompileObject();
  m().OpenObjectScript(999999);  // no such object: an empty view
  m().CompileObject();
  EXPECT_TRUE(log_.empty());
  for (const StoredObject& object : Objects()) EXPECT_FALSE(object.dest.has_value());
}

// A source that does not parse, and one its analyzer refuses: the failure
// goes on, nothing of the object is stored, the parse result is emptied.
TEST_P(Compilation, AFailingCompilationStoresNothing) {
  struct Case {
    std::string type;
    std::string source;
    std::string message;
  };
  int count = 0;
  for (const Case& c : std::vector<Case>{{"table", "CREATE TABLE X (a int", "Ошибка вложений разделителя"},
                                         {"index", "CREATE INDEX IX ON T1", "Странный индекс"},
                                         {"table", "CREATE TABLE X", "Странное описание создания таблицы"}}) {
    const std::string name = "X" + std::to_string(++count);
    const QueryResult type = repo().Run(QStringLiteral("select TypeObject_id from TypeObject where Name = :n"),
                                        {{"n", QString::fromStdString(c.type)}});
    repo().RunNamed("cmdScriptAppend", {{"Object", QString::fromStdString(name)},
                                        {"ParentObject_id", c.type == "index" ? QVariant(ObjectId("T1")) : QVariant()},
                                        {"TypeObject_id", type.rows.at(0).at(0)},
                                        {"Project_id", project_},
                                        {"SourceScript", QString::fromStdString(c.source)}});
    try {
      Compile(name);
      ADD_FAILURE() << c.source;
    } catch (const Error& error) {
      EXPECT_THAT(error.what(), HasSubstr(c.message));
    }
    EXPECT_FALSE(Object(name).dest.has_value());
    EXPECT_TRUE(m().dsObjectScript.IsNull("DestScript"));
    EXPECT_TRUE(m().Core.Words.Empty());
  }
  EXPECT_TRUE(log_.empty());
}

// An alarm kind the dialect has no row for fails the compilation before
// anything is stored: the object keeps its previous scripts and alarms.
TEST_P(Compilation, AnUnknownAlarmKindStoresNothing) {
  Compile("V");
  ASSERT_EQ(Alarms().size(), 1u);
  const StoredAlarm before = Alarms()[0];
  repo().Run(QStringLiteral("update Alarm set VarName = 'Renamed' where VarName = 'SysTable'"));
  m().OpenAlarms(1);
  m().CloseObjectScript();
  repo().RunNamed("cmdDestScriptUpdate",
                  {{"DestScript", "previous"}, {"DropScript", QVariant()}, {"Object_id", ObjectId("V")}});
  try {
    Compile("V");
    FAIL();
  } catch (const Error& error) {
    EXPECT_STREQ(error.what(), "Имя предупреждения [SysTable] не найдено");
  }
  EXPECT_EQ(Object("V").dest, "previous");
  EXPECT_EQ(Object("V").drop, std::nullopt);
  // The alarm of the earlier compilation, where it was.
  ASSERT_EQ(Alarms().size(), 1u);
  EXPECT_EQ(Alarms()[0].word, before.word);
  EXPECT_EQ(Alarms()[0].line, before.line);
  EXPECT_EQ(Alarms()[0].pos, before.pos);
}

// The alarm kinds compare ignoring case: the stored VarName "systable"
// serves the kind SysTable.
TEST_P(Compilation, FindsAlarmRowsIgnoringCase) {
  repo().Run(QStringLiteral("update Alarm set VarName = 'systable' where VarName = 'SysTable'"));
  m().OpenAlarms(1);
  Compile("V");
  ASSERT_EQ(Alarms().size(), 1u);
  EXPECT_EQ(Alarms()[0].varName, "systable");
}

// Resetting clears the scripts of the open project's objects (of one type,
// or of all with 0), never another project's; alarms stay; the tree and the
// alarm view are read again and the object on view shows the reset.
TEST_P(Compilation, ClearCompilationResetsTheOpenProjectOnly) {
  Compile("T1");
  Compile("PK1");
  Compile("V");
  const int other = AddProject("Other");
  const QueryResult tableType = repo().Run(QStringLiteral("select TypeObject_id from TypeObject where Name = 'table'"));
  repo().RunNamed("cmdScriptAppend", {{"Object", "T9"}, {"ParentObject_id", QVariant()},
                                      {"TypeObject_id", tableType.rows.at(0).at(0)}, {"Project_id", other},
                                      {"SourceScript", "CREATE TABLE T9 (a int)"}});
  repo().Run(QStringLiteral("update MetaObject set DestScript = 'other', DropScript = 'other' where Project_id = :p"),
             {{"p", other}});
  m().OpenObjectScript(ObjectId("T1"));
  log_.clear();
  alarmsChanged_ = 0;
  m().CloseObjectTree();

  m().ClearCompilation(tableType.rows.at(0).at(0).toInt());
  EXPECT_FALSE(Object("T1").dest.has_value());
  EXPECT_FALSE(Object("T1").drop.has_value());
  EXPECT_TRUE(Object("PK1").dest.has_value());
  EXPECT_TRUE(m().dsObjectScript.IsNull("DestScript"));
  EXPECT_TRUE(m().dsTreeObject.IsOpen());
  EXPECT_EQ(alarmsChanged_, 1);
  EXPECT_EQ(log_, (std::vector<std::string>{"Результат компиляции всех обьектов сброшен"}));
  EXPECT_EQ(Alarms().size(), 1u);  // the view's, which keeps its result

  // The alarms go with the results they came from.
  m().ClearCompilation(0);
  for (const StoredObject& object : Objects()) EXPECT_FALSE(object.dest.has_value()) << object.name;
  EXPECT_EQ(Objects(other)[0].dest, "other");
  EXPECT_EQ(Alarms().size(), 0u);
  EXPECT_EQ(m().dsAlarmObject.RowCount(), 0);
  EXPECT_EQ(log_.size(), 2u);
}

// A source replaced by reverse-engineering loses its result, and the alarms
// of that result with it.
TEST_P(Compilation, AReplacedSourceLosesTheAlarmsOfItsOldResult) {
  Compile("V");
  ASSERT_EQ(Alarms().size(), 1u);
  Import("CREATE VIEW V AS\nSELECT name FROM sysobjects WHERE id > 0\nGO\n");
  EXPECT_FALSE(Object("V").dest.has_value());
  EXPECT_EQ(Alarms().size(), 0u);
}

// Deleting removes the object (with its children and alarms, as the
// repository cascades) and its node from the tree in memory, whichever
// node is current; nothing is logged.
TEST_P(Compilation, DeleteObjectRemovesTheObjectAndItsTreeNode) {
  Compile("V");
  log_.clear();
  const int rows = m().dsTreeObject.RowCount();
  m().dsTreeObject.First();
  m().DeleteObject(ObjectId("V"));
  EXPECT_EQ(m().dsTreeObject.RowCount(), rows - 1);
  for (int row = 0; row < m().dsTreeObject.RowCount(); ++row)
    EXPECT_NE(m().dsTreeObject.Value(row, "Object").toString(), QStringLiteral("V"));
  EXPECT_TRUE(Alarms().empty());
  m().DeleteObject(ObjectId("T1"));
  std::vector<std::string> names;
  for (const StoredObject& object : Objects()) names.push_back(object.name);
  EXPECT_TRUE(names.empty());
  EXPECT_TRUE(log_.empty());
}

AMBRIX_ALL_BACKENDS(Compilation);

}  // namespace
}  // namespace ambrix
