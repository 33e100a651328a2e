// Result sets as views and loops use them: the cursor, values by name,
// in-memory changes, and what listeners are told.

#include <gtest/gtest.h>

#include "driver/data_set.h"
#include "repository_fixture.h"
#include "text/error.h"

namespace ambrix {
namespace {

using DataSetBehaviour = test::BackendTest;

struct Event {
  DataSetEvent event;
  int row;
  bool operator==(const Event& other) const { return event == other.event && row == other.row; }
};

std::ostream& operator<<(std::ostream& out, const Event& e) {
  return out << "{" << static_cast<int>(e.event) << ", " << e.row << "}";
}

TEST_P(DataSetBehaviour, CursorWalksTheRowsAndStopsAtTheEnd) {
  const int p = AddProject("One");
  for (const char* name : {"A", "B", "C"}) AddObject(p, "table", name);
  DataSet ds(repo(), "dsTreeObject", {{"Level"}, {"Object", FieldType::String, 128}}, true);
  EXPECT_FALSE(ds.IsOpen());
  EXPECT_EQ(ds.CurrentRow(), -1);
  EXPECT_THROW(ds.Value("Object"), Error);

  ds.SetParam("Project_id", p);
  ds.Open();
  std::vector<std::string> seen;
  for (ds.First(); !ds.Eof(); ds.Next()) seen.push_back(ds.Text("Object"));
  EXPECT_EQ(seen, (std::vector<std::string>{"table", "A", "B", "C"}));
  EXPECT_EQ(ds.CurrentRow(), 3);
  ds.Prior();
  EXPECT_FALSE(ds.Eof());
  EXPECT_EQ(ds.Text("Object"), "B");
  EXPECT_FALSE(ds.MoveTo(4));
  EXPECT_EQ(ds.CurrentRow(), 2);
  EXPECT_THROW(ds.Value("NoSuchField"), Error);
  EXPECT_EQ(ds.FieldIndex("object"), ds.FieldIndex("OBJECT"));

  ds.Close();
  EXPECT_FALSE(ds.IsOpen());
  EXPECT_TRUE(ds.Eof());
  EXPECT_EQ(ds.RowCount(), 0);
}

TEST_P(DataSetBehaviour, UndeclaredColumnsFollowTheDeclaredOnes) {
  const int p = AddProject("One");
  AddObject(p, "table", "A");
  DataSet ds(repo(), "dsTreeObject", {{"Object", FieldType::String, 128, "Имя"}}, true);
  ds.SetParam("Project_id", p);
  ds.Open();
  EXPECT_EQ(ds.Field(0).name, "Object");
  EXPECT_EQ(ds.Field(0).DisplayLabel(), "Имя");
  EXPECT_EQ(ds.FieldCount(), 8);
  EXPECT_GE(ds.FieldIndex("ParentID"), 1);

  DataSet wrong(repo(), "dsTreeObject", {{"NoSuchColumn"}}, true);
  wrong.SetParam("Project_id", p);
  EXPECT_THROW(wrong.Open(), Error);
}

TEST_P(DataSetBehaviour, BatchModeChangesStayInMemory) {
  const int p = AddProject("One");
  const int a = AddObject(p, "table", "A");
  AddObject(p, "table", "B");
  DataSet tree(repo(), "dsTreeObject", {{"Object_id"}, {"Object", FieldType::String, 128}}, true);
  tree.SetParam("Project_id", p);
  tree.Open();
  ASSERT_TRUE(tree.Locate("Object_id", QVariant(a)));
  tree.SetValue("Object", QStringLiteral("Renamed"));
  EXPECT_EQ(tree.Text("Object"), "Renamed");
  tree.RemoveRow(tree.CurrentRow());
  EXPECT_EQ(tree.RowCount(), 2);
  EXPECT_EQ(tree.Text("Object"), "B");
  tree.Open();
  EXPECT_EQ(tree.RowCount(), 3);
  ASSERT_TRUE(tree.Locate("Object_id", QVariant(a)));
  EXPECT_EQ(tree.Text("Object"), "A");

  DataSet alarms(repo(), "dsAlarm", {{"Alarm_id"}, {"VarName", FieldType::String, 30}});
  alarms.SetParam("Dialect_id", 7);
  alarms.Open();
  EXPECT_THROW(alarms.SetValue("VarName", QStringLiteral("x")), Error);
  EXPECT_THROW(alarms.RemoveRow(0), Error);
}

TEST_P(DataSetBehaviour, ListenersHearEveryChangeInOrder) {
  AddProject("First");
  UpdatableDataSet projects(repo(), "dsProject",
                            {{"Project_id", FieldType::Integer, 0, "", true},
                             {"Name", FieldType::String, 50, "Проект", false, true},
                             {"Dialect_id", FieldType::Integer, 0, "", false, true},
                             {"DNS", FieldType::String, 50}},
                            "Project_id");
  std::vector<Event> events;
  const int id = projects.AddListener([&](DataSetEvent e, int row) { events.push_back({e, row}); });
  projects.Open();
  EXPECT_EQ(events, (std::vector<Event>{{DataSetEvent::AboutToReset, -1},
                                        {DataSetEvent::Reset, -1},
                                        {DataSetEvent::StateChanged, -1},
                                        {DataSetEvent::CurrentChanged, 0}}));
  events.clear();
  projects.Insert();
  EXPECT_EQ(events, (std::vector<Event>{{DataSetEvent::AboutToInsertRow, 1},
                                        {DataSetEvent::RowInserted, 1},
                                        {DataSetEvent::CurrentChanged, 1},
                                        {DataSetEvent::StateChanged, -1}}));
  events.clear();
  projects.SetValue("Name", QStringLiteral("Second"));
  projects.SetValue("Dialect_id", 7);
  projects.Post();
  EXPECT_EQ(events, (std::vector<Event>{{DataSetEvent::RowChanged, 1},
                                        {DataSetEvent::RowChanged, 1},
                                        {DataSetEvent::RowChanged, 1},
                                        {DataSetEvent::StateChanged, -1}}));
  events.clear();
  projects.First();
  projects.Delete();
  EXPECT_EQ(events, (std::vector<Event>{{DataSetEvent::CurrentChanged, 0},
                                        {DataSetEvent::AboutToRemoveRow, 0},
                                        {DataSetEvent::RowRemoved, 0},
                                        {DataSetEvent::CurrentChanged, 0}}));
  EXPECT_EQ(projects.Text("Name"), "Second");
  projects.RemoveListener(id);
  events.clear();
  projects.Close();
  EXPECT_TRUE(events.empty());
}

// Reading relies on the key an insert reports to store an object's
// compilation: on SQLite it is the key of the row just added, even after
// rows of other tables were inserted; elsewhere it is null (the server is
// not asked, so no statement of the connection's transaction can fail).
TEST_P(DataSetBehaviour, AnInsertTellsTheKeyOfItsRowOnSQLiteOnly) {
  const int p = AddProject("One");
  const int first = AddObject(p, "table", "A");
  AddAlarm(first, 1, 1, 1, "x");
  Command append(repo(), "cmdScriptAppend");
  append.SetParam("Object", QStringLiteral("B"));
  append.SetParam("ParentObject_id", first);
  append.SetParam("TypeObject_id", test::TestTypeId("index"));
  append.SetParam("Project_id", p);
  append.SetParam("SourceScript", QStringLiteral("CREATE INDEX B ON A (a)"));
  append.Execute();
  const QueryResult found =
      repo().RunNamed("dsScript", {{"Project_id", p},
                                   {"Object", QStringLiteral("B")},
                                   {"TypeObject_id", test::TestTypeId("index")},
                                   {"ParentObject_id", first}});
  ASSERT_EQ(found.rows.size(), 1u);
  if (GetParam() == Backend::SQLite) {
    EXPECT_EQ(append.InsertedId().toLongLong(), found.rows[0][0].toLongLong());
  } else {
    EXPECT_TRUE(append.InsertedId().isNull());
  }
}

AMBRIX_ALL_BACKENDS(DataSetBehaviour);

}  // namespace
}  // namespace ambrix
