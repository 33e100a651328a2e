// The repository's statements run against a real database of every backend.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "driver/data_set.h"
#include "repository_fixture.h"
#include "text/error.h"

namespace ambrix {
namespace {

using test::BackendTest;
using test::TestTypeId;

std::vector<std::string> Column(const QueryResult& result, int column) {
  std::vector<std::string> values;
  for (const auto& row : result.rows) values.push_back(row.at(column).isNull() ? "<null>" : row.at(column).toString().toStdString());
  return values;
}

QueryResult Get(Repository& repo, const std::string& name, const ParamValues& params) { return repo.RunNamed(name, params); }

QVariant ObjectField(Repository& repo, int objectId, const std::string& field) {
  DataSet ds(repo, "dsObjectScript");
  ds.SetParam("Object_id", objectId);
  ds.Open();
  return ds.IsEmpty() ? QVariant(QStringLiteral("<no row>")) : ds.Value(field);
}

int CountRows(Repository& repo, const QString& table) {
  return repo.Run(QStringLiteral("select count(*) from ") + table).rows.at(0).at(0).toInt();
}

// ---------------------------------------------------------------------------
// Object look-ups

using ObjectLookup = BackendTest;

TEST_P(ObjectLookup, FindsObjectByProjectTypeAndNameIgnoringCase) {
  const int p1 = AddProject("One");
  const int p2 = AddProject("Two");
  const int orders = AddObject(p1, "table", "Orders", 0, "create table Orders");
  AddObject(p2, "table", "Orders", 0, "create table Orders -- two");
  AddObject(p1, "index", "Orders", orders);

  const QueryResult found =
      Get(repo(), "dsScript", {{"Project_id", p1}, {"Object", "ORDERS"}, {"TypeObject_id", TestTypeId("table")}});
  ASSERT_EQ(found.rows.size(), 1u);
  DataSet ds(repo(), "dsScript", {{"Object_id"}, {"SourceScript", FieldType::Text}});
  ds.SetParam("Project_id", p1);
  ds.SetParam("Object", "orders");
  ds.SetParam("TypeObject_id", TestTypeId("table"));
  ds.Open();
  ASSERT_EQ(ds.RowCount(), 1);
  EXPECT_EQ(ds.Int("Object_id"), orders);
  EXPECT_EQ(ds.Text("SourceScript"), "create table Orders");
  for (const char* column : {"Object", "ParentObject_id", "TypeObject_id", "Project_id"})
    EXPECT_GE(ds.FieldIndex(column), 0) << column;

  ds.SetParam("TypeObject_id", TestTypeId("view"));
  ds.Open();
  EXPECT_TRUE(ds.IsEmpty());
  EXPECT_TRUE(ds.Eof());

  // An object is one of its parent: the index named Orders is found under
  // its table, and not without it.
  ds.SetParam("TypeObject_id", TestTypeId("index"));
  ds.Open();
  EXPECT_TRUE(ds.IsEmpty());
  ds.SetParam("ParentObject_id", orders);
  ds.Open();
  ASSERT_EQ(ds.RowCount(), 1);
}

// Indexes of one name on two tables are two objects; a second of one name on
// the same table is refused.
TEST_P(ObjectLookup, AnObjectsKeyHoldsItsParent) {
  const int p = AddProject("One");
  const int a = AddObject(p, "table", "A");
  const int b = AddObject(p, "table", "B");
  const int onA = AddObject(p, "index", "IX", a);
  const int onB = AddObject(p, "index", "ix", b);
  EXPECT_NE(onA, onB);
  EXPECT_THROW(AddObject(p, "index", "IX", a), RepositoryError);
  EXPECT_THROW(AddObject(p, "table", "a"), RepositoryError);
}

TEST_P(ObjectLookup, ParentScriptReturnsTheKeyOnly) {
  const int p = AddProject("One");
  const int orders = AddObject(p, "table", "Orders");
  DataSet ds(repo(), "dsParentScript", {{"Object_id"}});
  ds.SetParam("Project_id", p);
  ds.SetParam("Object", "Orders");
  ds.SetParam("TypeObject_id", TestTypeId("table"));
  ds.Open();
  ASSERT_EQ(ds.RowCount(), 1);
  EXPECT_EQ(ds.FieldCount(), 1);
  EXPECT_EQ(ds.Int("Object_id"), orders);
}

// What a binding reads: the first default or rule of that name; other
// objects of the name are not what it binds.
TEST_P(ObjectLookup, ObjectTypeGivesTheSourceOfTheFirstDefaultOrRuleOfThatName) {
  const int p = AddProject("One");
  const int t = AddObject(p, "table", "DF_Qty", 0, "a table");
  AddObject(p, "constraint default", "DF_Qty", t, "a binding");
  AddObject(p, "rule", "df_qty", 0, "first");
  AddObject(p, "default", "DF_Qty", 0, "second");
  DataSet ds(repo(), "dsObjectType", {{"SourceScript", FieldType::Text}});
  ds.SetParam("Project_id", p);
  ds.SetParam("Object", "df_qty");
  ds.Open();
  ASSERT_EQ(ds.RowCount(), 2);
  EXPECT_EQ(ds.Text("SourceScript"), "first");
}

TEST_P(ObjectLookup, ObjectScriptNamesTheParentOrGivesNull) {
  const int p = AddProject("One");
  const int orders = AddObject(p, "table", "Orders", 0, "src");
  const int pk = AddObject(p, "constraint primary key", "PK_Orders", orders);

  DataSet ds(repo(), "dsObjectScript", {{"Object_id"}, {"TypeObjectName", FieldType::String, 30}, {"Object", FieldType::String, 128},
                                        {"ParentObject_id"}, {"ParentObject", FieldType::String, 128},
                                        {"SourceScript", FieldType::Text}, {"DestScript", FieldType::Text},
                                        {"DropScript", FieldType::Text}},
              /*batchMode=*/true);
  ds.SetParam("Object_id", orders);
  ds.Open();
  EXPECT_EQ(ds.Text("TypeObjectName"), "TABLE");
  EXPECT_TRUE(ds.IsNull("ParentObject"));
  EXPECT_TRUE(ds.IsNull("ParentObject_id"));
  EXPECT_TRUE(ds.IsNull("DestScript"));
  EXPECT_EQ(ds.Text("SourceScript"), "src");

  ds.SetParam("Object_id", pk);
  ds.Open();
  EXPECT_EQ(ds.Text("TypeObjectName"), "CONSTRAINT PRIMARY KEY");
  EXPECT_EQ(ds.Text("ParentObject"), "Orders");
  EXPECT_EQ(ds.Int("ParentObject_id"), orders);
}

TEST_P(ObjectLookup, AnObjectIsStoredOncePerProjectTypeAndName) {
  const int p = AddProject("One");
  AddObject(p, "table", "Orders");
  EXPECT_THROW(AddObject(p, "table", "ORDERS"), RepositoryError);
  EXPECT_NO_THROW(AddObject(p, "view", "Orders"));
  EXPECT_NO_THROW(AddObject(AddProject("Two"), "table", "Orders"));
}

AMBRIX_ALL_BACKENDS(ObjectLookup);

// ---------------------------------------------------------------------------
// Reference rows of the dialect

using DialectRows = BackendTest;

TEST_P(DialectRows, TypeObjectsOfTheDialectComeUpperCasedInKeyOrder) {
  DataSet ds(repo(), "dsTypeObject", {{"TypeObject_id"}, {"Name", FieldType::String, 30, "", true}, {"ParentTypeObject_id"}, {"Num"}});
  ds.SetParam("Dialect_id", 7);
  ds.Open();
  ASSERT_EQ(ds.RowCount(), 14);
  EXPECT_EQ(ds.Value(0, "Name").toString(), "DEFAULT");
  EXPECT_EQ(ds.Value(13, "Name").toString(), "TRIGGER");
  for (int row = 1; row < ds.RowCount(); ++row)
    EXPECT_LT(ds.Value(row - 1, "TypeObject_id").toInt(), ds.Value(row, "TypeObject_id").toInt());
  ds.SetParam("Dialect_id", 8);
  ds.Open();
  ASSERT_EQ(ds.RowCount(), 1);
  EXPECT_EQ(ds.Text("Name"), "OTHER");
}

TEST_P(DialectRows, ReservedWordsComeInTheOrderTheyWereStored) {
  DataSet ds(repo(), "dsResevedWord", {{"Dialect_id"}, {"StartWord", FieldType::String, 100}, {"TypeReservedWord", FieldType::String, 15},
                                       {"EndWord", FieldType::String, 100}, {"IsWord"}, {"IsMain"}});
  ds.SetParam("Dialect_id", 7);
  ds.Open();
  std::vector<std::string> words;
  for (ds.First(); !ds.Eof(); ds.Next()) words.push_back(ds.Text("StartWord"));
  EXPECT_EQ(words, (std::vector<std::string>{".", ",", "(", "'", "\"", "--", "create table"}));
  ASSERT_TRUE(ds.Locate("StartWord", QStringLiteral("'")));
  EXPECT_EQ(ds.Text("EndWord"), "'");
  ASSERT_TRUE(ds.Locate("StartWord", QStringLiteral("--")));
  EXPECT_TRUE(ds.IsNull("EndWord"));
  ASSERT_TRUE(ds.Locate("StartWord", QStringLiteral("create table")));
  EXPECT_EQ(ds.Int("IsWord"), 1);
  EXPECT_EQ(ds.Int("IsMain"), 1);
}

TEST_P(DialectRows, AlarmKindsComeWithUpperCasedKeys) {
  DataSet ds(repo(), "dsAlarm", {{"Alarm_id"}, {"VarName", FieldType::String, 30}});
  ds.SetParam("Dialect_id", 7);
  ds.Open();
  ASSERT_EQ(ds.RowCount(), 8);
  EXPECT_TRUE(ds.Locate("VarName", QStringLiteral("SYSTABLE")));
  EXPECT_EQ(ds.Int("Alarm_id"), 1);
  EXPECT_FALSE(ds.Locate("VarName", QStringLiteral("systable")));
}

TEST_P(DialectRows, DialectsAndProjectsListAllRows) {
  AddProject("One");
  AddProject("Two", 8);
  DataSet dialects(repo(), "dsDialect", {{"Dialect_id"}, {"Name", FieldType::String, 50}});
  dialects.Open();
  EXPECT_EQ(Column(repo().RunNamed("dsDialect"), 1), (std::vector<std::string>{"Test SQL", "Other SQL"}));
  DataSet projects(repo(), "dsProject", {{"Project_id"}, {"Name", FieldType::String, 50}, {"Dialect_id"}, {"DNS", FieldType::String, 50}});
  projects.Open();
  ASSERT_EQ(projects.RowCount(), 2);
  EXPECT_EQ(projects.Value(1, "Name").toString(), "Two");
  EXPECT_EQ(projects.Value(1, "Dialect_id").toInt(), 8);
}

AMBRIX_ALL_BACKENDS(DialectRows);

// ---------------------------------------------------------------------------
// Writing objects

using ObjectWrites = BackendTest;

TEST_P(ObjectWrites, ReplacingTheSourceDiscardsTheCompilationButKeepsAlarms) {
  const int p = AddProject("One");
  const int t = AddObject(p, "table", "Orders", 0, "old");
  repo().RunNamed("cmdDestScriptUpdate", {{"DestScript", "dest"}, {"DropScript", "drop"}, {"Object_id", t}});
  AddAlarm(t, 1, 3, 4, "sysobjects");
  EXPECT_EQ(ObjectField(repo(), t, "DestScript").toString(), "dest");
  EXPECT_EQ(ObjectField(repo(), t, "DropScript").toString(), "drop");

  repo().RunNamed("cmdScriptUpdate", {{"SourceScript", "new"}, {"Object_id", t}});
  EXPECT_EQ(ObjectField(repo(), t, "SourceScript").toString(), "new");
  EXPECT_TRUE(ObjectField(repo(), t, "DestScript").isNull());
  EXPECT_TRUE(ObjectField(repo(), t, "DropScript").isNull());
  EXPECT_EQ(CountRows(repo(), "AlarmObject"), 1);
}

TEST_P(ObjectWrites, DestinationWithoutDropScriptStoresNull) {
  const int p = AddProject("One");
  const int t = AddObject(p, "table", "Orders");
  repo().RunNamed("cmdDestScriptUpdate", {{"DestScript", "dest"}, {"DropScript", QVariant()}, {"Object_id", t}});
  EXPECT_EQ(ObjectField(repo(), t, "DestScript").toString(), "dest");
  EXPECT_TRUE(ObjectField(repo(), t, "DropScript").isNull());
}

TEST_P(ObjectWrites, ResetOfAllTypesTouchesOnlyTheProject) {
  const int p1 = AddProject("One");
  const int p2 = AddProject("Two");
  const int a = AddObject(p1, "table", "A");
  const int b = AddObject(p1, "view", "B");
  const int c = AddObject(p2, "table", "C");
  for (int id : {a, b, c}) {
    repo().RunNamed("cmdDestScriptUpdate", {{"DestScript", "d"}, {"DropScript", "x"}, {"Object_id", id}});
    AddAlarm(id, 2, 1, 1, "w");
  }
  Command reset(repo(), "cmdObjectDeleteAll");
  reset.SetParam("Project_id", p1);
  reset.SetParam("TypeObject_id", TestTypeId("view"));
  reset.Execute();
  EXPECT_FALSE(ObjectField(repo(), a, "DestScript").isNull());
  EXPECT_TRUE(ObjectField(repo(), b, "DestScript").isNull());
  EXPECT_TRUE(ObjectField(repo(), b, "DropScript").isNull());

  reset.SetParam("TypeObject_id", QVariant());
  reset.Execute();
  EXPECT_TRUE(ObjectField(repo(), a, "DestScript").isNull());
  EXPECT_TRUE(ObjectField(repo(), a, "DropScript").isNull());
  EXPECT_EQ(ObjectField(repo(), c, "DestScript").toString(), "d");
  EXPECT_EQ(CountRows(repo(), "AlarmObject"), 3);
}

TEST_P(ObjectWrites, ParameterLeftUnsetKeepsItsLastValue) {
  const int p = AddProject("One");
  const int a = AddObject(p, "table", "A");
  const int b = AddObject(p, "table", "B");
  Command update(repo(), "cmdDestScriptUpdate");
  update.SetParam("DestScript", "first");
  update.SetParam("DropScript", "drop");
  update.SetParam("Object_id", a);
  update.Execute();
  update.SetParam("Object_id", b);
  update.Execute();
  EXPECT_EQ(ObjectField(repo(), b, "DestScript").toString(), "first");
  EXPECT_EQ(ObjectField(repo(), b, "DropScript").toString(), "drop");
  EXPECT_THROW(update.SetParam("Project_id", 1), Error);
}

TEST_P(ObjectWrites, DeletingAnObjectTakesItsChildrenAndAllTheirAlarms) {
  const int p = AddProject("One");
  const int orders = AddObject(p, "table", "Orders");
  const int pk = AddObject(p, "constraint primary key", "PK_Orders", orders);
  const int other = AddObject(p, "table", "Other");
  AddAlarm(orders, 1, 1, 1, "a");
  AddAlarm(pk, 2, 1, 1, "b");
  AddAlarm(other, 3, 1, 1, "c");

  Command del(repo(), "cmdObjectDelete");
  del.SetParam("Object_id", orders);
  del.Execute();
  EXPECT_EQ(CountRows(repo(), "MetaObject"), 1);
  EXPECT_EQ(ObjectField(repo(), pk, "Object").toString(), "<no row>");
  EXPECT_EQ(CountRows(repo(), "AlarmObject"), 1);
}

TEST_P(ObjectWrites, DeletingAProjectTakesItsObjects) {
  const int p1 = AddProject("One");
  const int p2 = AddProject("Two");
  const int t = AddObject(p1, "table", "T");
  AddObject(p1, "index", "I", t);
  AddAlarm(t, 1, 1, 1, "w");
  AddObject(p2, "table", "T");
  repo().RunNamed("dsProject.Delete", {{"Project_id", p1}});
  EXPECT_EQ(CountRows(repo(), "MetaObject"), 1);
  EXPECT_EQ(CountRows(repo(), "AlarmObject"), 0);
}

TEST_P(ObjectWrites, ValuesBeyondTheirWidthAreRejectedNotCut) {
  const int p = AddProject("One");
  EXPECT_NO_THROW(AddObject(p, "table", std::string(128, 'x')));
  EXPECT_THROW(AddObject(p, "table", std::string(129, 'y')), RepositoryError);
  // Widths count characters, not bytes.
  std::string cyrillic;
  for (int i = 0; i < 128; ++i) cyrillic += "Ж";
  EXPECT_NO_THROW(AddObject(p, "view", cyrillic));
  EXPECT_THROW(AddProject(std::string(51, 'p')), RepositoryError);
}

TEST_P(ObjectWrites, AlarmColumnsBeyondSmallIntegersAreKept) {
  const int p = AddProject("One");
  const int t = AddObject(p, "table", "T");
  AddAlarm(t, 1, 100000, 40000, "w");
  DataSet ds(repo(), "dsAlarmObject");
  ds.SetParam("Project_id", p);
  ds.Open();
  EXPECT_EQ(ds.Int("NumPos"), 40000);
  EXPECT_EQ(ds.Int("NumLine"), 100000);
}

TEST_P(ObjectWrites, TextKeepsLineBreaksAndNonAsciiExactly) {
  const int p = AddProject("One");
  const std::string source = "create table [Заказы] (\r\n  id int -- 'x' :y\r\n)\r\n";
  const int t = AddObject(p, "table", "Заказы", 0, source);
  EXPECT_EQ(ObjectField(repo(), t, "SourceScript").toString().toStdString(), source);
  EXPECT_EQ(ObjectField(repo(), t, "Object").toString().toStdString(), "Заказы");
}

AMBRIX_ALL_BACKENDS(ObjectWrites);

// ---------------------------------------------------------------------------
// Alarms of a project

using AlarmView = BackendTest;

TEST_P(AlarmView, ListsTheProjectsAlarmsNumberedWithNames) {
  const int p1 = AddProject("One");
  const int p2 = AddProject("Two");
  const int t = AddObject(p1, "table", "Orders");
  const int v = AddObject(p1, "view", "V");
  AddAlarm(t, 1, 2, 5, "sysobjects");
  AddAlarm(v, 7, 9, 1, "exec");
  AddAlarm(AddObject(p2, "table", "X"), 1, 1, 1, "other");

  DataSet ds(repo(), "dsAlarmObject",
             {{"ID", FieldType::Integer, 0, "", true}, {"TypeObjectName", FieldType::String, 30, "Тип"},
              {"Object_id", FieldType::Integer, 0, "", true}, {"ObjectName", FieldType::String, 128, "Обьект"},
              {"AlarmName", FieldType::String, 250, "Предупреждение"}, {"Word", FieldType::String, 128, "Ключевое слово"},
              {"NumLine", FieldType::Integer, 0, "Лин."}, {"NumPos", FieldType::Integer, 0, "Поз."}});
  ds.SetParam("Project_id", p1);
  ds.Open();
  ASSERT_EQ(ds.RowCount(), 2);
  std::set<long long> ids{ds.Value(0, "ID").toLongLong(), ds.Value(1, "ID").toLongLong()};
  EXPECT_EQ(ids, (std::set<long long>{1, 2}));
  ASSERT_TRUE(ds.Locate("Word", QStringLiteral("sysobjects")));
  EXPECT_EQ(ds.Text("TypeObjectName"), "table");
  EXPECT_EQ(ds.Int("Object_id"), t);
  EXPECT_EQ(ds.Text("ObjectName"), "Orders");
  EXPECT_EQ(ds.Text("AlarmName"), "System table");
  EXPECT_EQ(ds.Int("NumLine"), 2);
  EXPECT_EQ(ds.Int("NumPos"), 5);

  Command del(repo(), "cmdDeleteAlarm");
  del.SetParam("Object_id", t);
  del.Execute();
  ds.Open();
  ASSERT_EQ(ds.RowCount(), 1);
  EXPECT_EQ(ds.Text("Word"), "exec");
  EXPECT_EQ(ds.Int("ID"), 1);
}

AMBRIX_ALL_BACKENDS(AlarmView);

// ---------------------------------------------------------------------------
// The object tree

using ObjectTree = BackendTest;

TEST_P(ObjectTree, GroupsObjectsByTypeAndChildrenByTypeUnderTheirParent) {
  const int p = AddProject("One");
  const int orders = AddObject(p, "table", "Orders");
  const int items = AddObject(p, "table", "Items");
  AddObject(p, "view", "V_Orders");
  const int pk = AddObject(p, "constraint primary key", "PK_Orders", orders);
  const int ix1 = AddObject(p, "index", "IX_1", orders);
  const int ix2 = AddObject(p, "index", "IX_2", orders);
  AddObject(p, "index", "IX_3", items);
  AddObject(AddProject("Two"), "table", "Elsewhere");

  DataSet ds(repo(), "dsTreeObject",
             {{"Level"}, {"ID", FieldType::String, 26}, {"ParentID", FieldType::String, 26}, {"Object_id"},
              {"Object", FieldType::String, 128, "Имя"}, {"TypeObject", FieldType::String, 30}, {"ParentObject_id"},
              {"ParentObject", FieldType::String, 128}},
             /*batchMode=*/true);
  ds.SetParam("Project_id", p);
  ds.Open();

  std::set<std::string> ids;
  std::map<std::string, int> byId;
  for (int row = 0; row < ds.RowCount(); ++row) {
    const std::string id = ds.Value(row, "ID").toString().toStdString();
    EXPECT_TRUE(ids.insert(id).second) << "duplicate ID " << id;
    EXPECT_LE(id.size(), 26u);
    byId[id] = row;
  }
  // 2 top groups + 3 top objects + 3 child groups (Orders: pk, index; Items: index) + 4 children
  EXPECT_EQ(ds.RowCount(), 12);
  int groups0 = 0, objects1 = 0, groups2 = 0, objects3 = 0;
  for (int row = 0; row < ds.RowCount(); ++row) {
    const int level = ds.Value(row, "Level").toInt();
    const QVariant parent = ds.Value(row, "ParentID");
    if (level == 0) {
      ++groups0;
      EXPECT_TRUE(parent.isNull());
      EXPECT_EQ(ds.Value(row, "Object").toString(), ds.Value(row, "TypeObject").toString());
    } else {
      ASSERT_TRUE(byId.count(parent.toString().toStdString())) << "dangling ParentID " << parent.toString().toStdString();
      const int parentLevel = ds.Value(byId[parent.toString().toStdString()], "Level").toInt();
      EXPECT_EQ(parentLevel, level - 1);
    }
    if (level == 1) ++objects1;
    if (level == 2) {
      ++groups2;
      EXPECT_EQ(ds.Value(row, "Object").toString(), ds.Value(row, "TypeObject").toString());
    }
    if (level == 3) ++objects3;
  }
  EXPECT_EQ(groups0, 2);
  EXPECT_EQ(objects1, 3);
  EXPECT_EQ(groups2, 3);
  EXPECT_EQ(objects3, 4);

  ASSERT_TRUE(ds.Locate("Object_id", QVariant(pk)));
  EXPECT_EQ(ds.Int("Level"), 3);
  EXPECT_EQ(ds.Text("Object"), "PK_Orders");
  EXPECT_EQ(ds.Text("TypeObject"), "constraint primary key");
  EXPECT_EQ(ds.Int("ParentObject_id"), orders);
  EXPECT_EQ(ds.Text("ParentObject"), "Orders");
  ASSERT_TRUE(ds.Locate("Object_id", QVariant(ix1)));
  const std::string groupOfIndexes = ds.Text("ParentID");
  ASSERT_TRUE(ds.Locate("Object_id", QVariant(ix2)));
  EXPECT_EQ(ds.Text("ParentID"), groupOfIndexes);

  ASSERT_TRUE(ds.Locate("Object_id", QVariant(orders)));
  EXPECT_EQ(ds.Int("Level"), 1);
  EXPECT_EQ(ds.Text("TypeObject"), "table");
}

TEST_P(ObjectTree, ProjectWithoutObjectsHasAnEmptyTree) {
  DataSet ds(repo(), "dsTreeObject", {{"Level"}, {"ID", FieldType::String, 26}}, true);
  ds.SetParam("Project_id", AddProject("Empty"));
  ds.Open();
  EXPECT_TRUE(ds.IsEmpty());
  EXPECT_EQ(ds.CurrentRow(), -1);
}

AMBRIX_ALL_BACKENDS(ObjectTree);

// ---------------------------------------------------------------------------
// Statements built at run time

using RunTimeStatements = BackendTest;

TEST_P(RunTimeStatements, CountsObjectsPerTypeInNameOrder) {
  const int p = AddProject("One");
  const int t = AddObject(p, "table", "A");
  AddObject(p, "table", "B");
  AddObject(p, "index", "I", t);
  AddObject(AddProject("Two"), "view", "V");
  DataSet ds(repo(), "dsObjects");
  ds.SetStatement(repo().statements().ObjectCountStatement(p));
  ds.Open();
  ASSERT_EQ(ds.RowCount(), 2);
  EXPECT_EQ(ds.Value(0, "Name").toString(), "index");
  EXPECT_EQ(ds.Value(0, "CountObject").toInt(), 1);
  EXPECT_EQ(ds.Value(1, "Name").toString(), "table");
  EXPECT_EQ(ds.Value(1, "CountObject").toInt(), 2);
}

TEST_P(RunTimeStatements, AlarmPurgeTakesOnlyTheProjectsUncompiledObjectsOfTheListedTypes) {
  const int p1 = AddProject("One");
  const int p2 = AddProject("Two");
  const int pending = AddObject(p1, "table", "A");
  const int compiled = AddObject(p1, "table", "B");
  const int view = AddObject(p1, "view", "V");
  const int otherProject = AddObject(p2, "table", "C");
  repo().RunNamed("cmdDestScriptUpdate", {{"DestScript", "d"}, {"DropScript", QVariant()}, {"Object_id", compiled}});
  for (int id : {pending, compiled, view, otherProject}) AddAlarm(id, 1, 1, 1, std::to_string(id));

  Command purge(repo(), "cmdSQL");
  purge.SetStatement(repo().statements().AlarmPurgeStatement(p1, "'table', 'index'"));
  purge.Execute();
  const auto words = Column(repo().Run(QStringLiteral("select Word from AlarmObject order by Word")), 0);
  std::vector<std::string> expected{std::to_string(compiled), std::to_string(view), std::to_string(otherProject)};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(words, expected);
}

TEST_P(RunTimeStatements, PendingObjectsComeTopLevelFirstThenByTypeAndKey) {
  const int p = AddProject("One");
  const int b = AddObject(p, "table", "B");
  const int a = AddObject(p, "table", "A");
  const int ix = AddObject(p, "index", "IX", b);
  const int pk = AddObject(p, "constraint primary key", "PK", b);
  const int v = AddObject(p, "view", "V");
  const int done = AddObject(p, "table", "Done");
  repo().RunNamed("cmdDestScriptUpdate", {{"DestScript", "d"}, {"DropScript", QVariant()}, {"Object_id", done}});
  AddObject(AddProject("Two"), "table", "Elsewhere");

  DataSet ds(repo(), "dsObjects");
  ds.SetStatement(repo().statements().ObjectsToCompileStatement(p, "'table', 'constraint primary key', 'index', 'view'"));
  ds.Open();
  std::vector<int> order;
  for (ds.First(); !ds.Eof(); ds.Next()) order.push_back(static_cast<int>(ds.Int("Object_id")));
  EXPECT_EQ(order, (std::vector<int>{b, a, v, pk, ix}));

  ds.SetStatement(repo().statements().ObjectsToCompileStatement(p, "'index'"));
  ds.Open();
  ASSERT_EQ(ds.RowCount(), 1);
  EXPECT_EQ(ds.Int("Object_id"), ix);
}

TEST_P(RunTimeStatements, ScriptsComeInGenerationOrderDropsReversed) {
  const int p = AddProject("One");
  const int orders = AddObject(p, "table", "orders");
  const int accounts = AddObject(p, "table", "Accounts");
  const int pk = AddObject(p, "constraint primary key", "PK_Orders", orders);
  const int view = AddObject(p, "view", "V");
  const int noDrop = AddObject(p, "index", "IX", orders);
  AddObject(p, "trigger", "NotCompiled", orders);
  for (int id : {orders, accounts, pk, view})
    repo().RunNamed("cmdDestScriptUpdate",
                    {{"DestScript", "create " + QString::number(id)}, {"DropScript", "drop " + QString::number(id)}, {"Object_id", id}});
  repo().RunNamed("cmdDestScriptUpdate", {{"DestScript", "create ix"}, {"DropScript", QVariant()}, {"Object_id", noDrop}});
  const std::string all = "'table', 'constraint primary key', 'index', 'trigger', 'view'";

  DataSet ds(repo(), "dsObjects");
  ds.SetStatement(repo().statements().DropScriptsStatement(p, all));
  ds.Open();
  std::vector<std::string> drops;
  for (ds.First(); !ds.Eof(); ds.Next()) drops.push_back(ds.Text("DropScript"));
  auto drop = [](int id) { return "drop " + std::to_string(id); };
  EXPECT_EQ(drops, (std::vector<std::string>{drop(view), drop(pk), drop(accounts), drop(orders)}));

  ds.SetStatement(repo().statements().CreationScriptsStatement(p, all));
  ds.Open();
  std::vector<std::string> names;
  for (ds.First(); !ds.Eof(); ds.Next()) names.push_back(ds.Text("Object"));
  // Within a type, in the order they were stored (the source's order).
  EXPECT_EQ(names, (std::vector<std::string>{"orders", "Accounts", "PK_Orders", "IX", "V"}));
  EXPECT_EQ(ds.Value(0, "DestScript").toString(), "create " + QString::number(orders));
}

TEST_P(RunTimeStatements, TextIsReplacedNeverAppended) {
  const int p = AddProject("One");
  DataSet ds(repo(), "dsObjects");
  ds.SetStatement(repo().statements().ObjectCountStatement(p));
  ds.Open();
  const QString first = ds.Statement();
  ds.Close();
  ds.SetStatement(repo().statements().ObjectCountStatement(p));
  ds.Open();
  EXPECT_EQ(ds.Statement(), first);
  EXPECT_TRUE(ds.IsEmpty());
}

AMBRIX_ALL_BACKENDS(RunTimeStatements);

// ---------------------------------------------------------------------------
// Connections and installation

using Installation = BackendTest;

TEST_P(Installation, HoldsEveryTableAndRefusesASecondInstall) {
  EXPECT_TRUE(repo().IsInstalled());
  EXPECT_FALSE(repo().IsEmpty());
  EXPECT_THROW(repo().Install(), RepositoryError);
}

TEST_P(Installation, PreparedStatementsAreReused) {
  const int p = AddProject("One");
  AddObject(p, "table", "T");
  const int before = repo().PreparedCount();
  for (int i = 0; i < 50; ++i)
    repo().RunNamed("dsScript", {{"Project_id", p}, {"Object", "T"}, {"TypeObject_id", TestTypeId("table")}});
  EXPECT_EQ(repo().PreparedCount(), before);
}

// Statements met again are found by their text's address; after more
// statements than the cache keeps, the same texts must still run as
// themselves (and never as a statement that is gone).
TEST_P(Installation, StatementsRunAsThemselvesAcrossACacheThatFilledUp) {
  const QString first = QStringLiteral("select 1 + 0 as v");
  const QString second = QStringLiteral("select 2 + 0 as v");
  auto value = [&](const QString& text) { return repo().Run(text).rows.at(0).at(0).toInt(); };
  EXPECT_EQ(value(first), 1);
  EXPECT_EQ(value(second), 2);
  // `first` runs between all the others: it is among the statements used
  // last when the cache is emptied, and runs again right after.
  for (int i = 0; i < 300; ++i) {
    EXPECT_EQ(value(QStringLiteral("select %1 as v").arg(i + 10)), i + 10);
    EXPECT_EQ(value(first), 1);
  }
  EXPECT_EQ(value(second), 2);
  // A copy with the same text but its own data is the same statement.
  const QString copy = QString::fromUtf8(first.toUtf8());
  EXPECT_NE(copy.constData(), first.constData());
  EXPECT_EQ(value(copy), 1);
  EXPECT_EQ(value(first), 1);
}

TEST_P(Installation, ReportsTheDriversTextOnFailure) {
  try {
    repo().Run(QStringLiteral("select * from NoSuchTable"));
    FAIL() << "no error";
  } catch (const RepositoryError& error) {
    EXPECT_NE(QString::fromUtf8(error.what()).toLower().indexOf(QStringLiteral("nosuchtable")), -1) << error.what();
  }
}

TEST_P(Installation, AnEmptyDatabaseIsNoRepositoryUntilInstalled) {
  test::ScratchDatabase scratch(GetParam());
  auto repository = Repository::Connect(scratch.location());
  EXPECT_TRUE(repository->IsEmpty());
  EXPECT_FALSE(repository->IsInstalled());
  repository->Execute(QStringLiteral("create table Unrelated( x integer )"));
  repository.reset();
  EXPECT_THROW(Repository::Open(scratch.location()), RepositoryError);
}

AMBRIX_ALL_BACKENDS(Installation);

}  // namespace
}  // namespace ambrix
