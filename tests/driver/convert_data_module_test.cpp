// The converter object over a real repository holding the dialect the
// program carries: creation, opening and closing projects, dialect loading,
// and the small open/locate operations.

#include <gtest/gtest.h>

#include "driver/repository_init.h"
#include "driver/convert_data_module.h"
#include "parser/term.h"
#include "repository_fixture.h"
#include "text/error.h"
#include "text/utf8.h"

namespace ambrix {
namespace {

// The analyzers in their fixed registration order, by the type they convert.
const std::vector<std::string> kAnalizerOrder{
    "DEFAULT", "DOMAIN", "TABLE", "INDEX", "CONSTRAINT UNIQUE", "CONSTRAINT FOREIGN KEY", "CONSTRAINT PRIMARY KEY",
    "CONSTRAINT DEFAULT", "RULE", "CONSTRAINT RULE", "FUNCTION", "PROCEDURE", "VIEW", "TRIGGER"};

// The registry holds the fourteen analyzers once each, in the fixed order.
void ExpectAnalizerOrder(const TAnalizerObjectList& analizers) {
  std::vector<std::string> names;
  for (int i = 0; i < analizers.Count(); ++i) names.push_back(analizers.Items(i).GetTypeName());
  EXPECT_EQ(names, kAnalizerOrder);
}

class ConverterTest : public test::ScratchTest {
 protected:
  void SetUp() override {
    ScratchTest::SetUp();
    if (Unavailable()) return;
    auto repository = Repository::Connect(location());
    InitRepository(*repository);
    module_ = std::make_unique<TConvertDataModule>(std::move(repository));
    module_->OnLog = [this](const std::string& line) { log_.push_back(line); };
    module_->OnAlarmsChanged = [this](TConvertDataModule& sender) {
      EXPECT_EQ(&sender, module_.get());
      ++alarms_changed_;
    };
  }
  void TearDown() override {
    module_.reset();
    ScratchTest::TearDown();
  }

  TConvertDataModule& m() { return *module_; }
  Repository& repo() { return m().repository(); }

  // A project of its own, visible to the module's project list.
  int AddProject(const std::string& name, int dialectId = 1, const QVariant& dns = QVariant()) {
    const int id = repo().RunNamed("dsProject.Insert", {{"Name", QString::fromStdString(name)},
                                                        {"Dialect_id", dialectId},
                                                        {"DNS", dns}})
                       .rows.at(0)
                       .at(0)
                       .toInt();
    m().dsProject.Open();
    return id;
  }
  int TypeId(const std::string& name) {
    return repo().Run(QStringLiteral("select TypeObject_id from TypeObject where Name = :n"), {{"n", QString::fromStdString(name)}})
        .rows.at(0)
        .at(0)
        .toInt();
  }
  int AddObject(int projectId, const std::string& type, const std::string& name, int parentId = 0,
                const std::string& source = "source") {
    m().cmdScriptAppend.SetParam("Object", QString::fromStdString(name));
    m().cmdScriptAppend.SetParam("ParentObject_id", parentId > 0 ? QVariant(parentId) : QVariant());
    m().cmdScriptAppend.SetParam("TypeObject_id", TypeId(type));
    m().cmdScriptAppend.SetParam("Project_id", projectId);
    m().cmdScriptAppend.SetParam("SourceScript", QString::fromStdString(source));
    m().cmdScriptAppend.Execute();
    return repo().Run(QStringLiteral("select max( Object_id ) from MetaObject")).rows.at(0).at(0).toInt();
  }
  // Dialect 2: dialect 1 without the reserved words for which `drop` holds.
  int AddDialectWithout(const QString& condition) {
    repo().Run(QStringLiteral("insert into Dialect( Dialect_id, Name ) values( 2, 'Broken' )"));
    repo().Run(QStringLiteral("insert into TypeObjectDialect( TypeObject_id, Dialect_id ) "
                              "select TypeObject_id, 2 from TypeObjectDialect where Dialect_id = 1"));
    repo().Run(QStringLiteral("insert into Alarm( Alarm_id, VarName, Name, Dialect_id ) "
                              "select Alarm_id + 100, VarName, Name, 2 from Alarm where Dialect_id = 1"));
    repo().Run(QStringLiteral("insert into ReservedWord( Dialect_id, StartWord, TypeReservedWord, EndWord, IsWord, IsMain ) "
                              "select 2, StartWord, TypeReservedWord, EndWord, IsWord, IsMain from ReservedWord "
                              "where Dialect_id = 1 and not ( ") +
               condition + QStringLiteral(" ) order by ReservedWord_id"));
    m().dsDialect.Open();
    return 2;
  }

  std::unique_ptr<TConvertDataModule> module_;
  std::vector<std::string> log_;
  int alarms_changed_ = 0;
};

// ---------------------------------------------------------------------------
// Creation

TEST_P(ConverterTest, CreationOpensTheDialectAndProjectLists) {
  EXPECT_TRUE(m().dsDialect.IsOpen());
  EXPECT_TRUE(m().dsProject.IsOpen());
  EXPECT_EQ(m().dsDialect.RowCount(), 1);
  EXPECT_EQ(m().ProjectId, 0);
  EXPECT_FALSE(m().ProjectLoaded());
  EXPECT_FALSE(m().BatchCompile);
  EXPECT_EQ(m().Core.Terms.Count(), 0);
  EXPECT_EQ(m().Core.Commands.Count(), 0);
  EXPECT_EQ(m().Analizers.Count(), 0);
  EXPECT_EQ(m().Core.Context.Sources, module_.get());
}

TEST(ConverterCreation, FailsWhenTheRepositoryCannotBeReached) {
  EXPECT_THROW(TConvertDataModule(ParseRepositoryLocation("postgresql://nobody@127.0.0.1:1/none")), RepositoryError);
}

// ---------------------------------------------------------------------------
// Opening and closing projects

TEST_P(ConverterTest, OpeningLoadsTheDialectRegistersEverythingAndLogsCountsByType) {
  const int p = AddProject("Shop", 1, QStringLiteral("shop_dsn"));
  const int orders = AddObject(p, "table", "Orders");
  AddObject(p, "table", "Items");
  AddObject(p, "constraint primary key", "PK_Orders", orders);
  AddObject(AddProject("Other"), "view", "V");

  m().SetProject(p);

  EXPECT_EQ(log_, (std::vector<std::string>{"Загрузка модулей конвертора завершена успешно", "Обьектов БД:",
                                            "  constraint primary key: 1", "  table: 2"}));
  EXPECT_TRUE(m().ProjectLoaded());
  EXPECT_EQ(m().ProjectId, p);
  EXPECT_EQ(m().ProjectName, "Shop");
  EXPECT_EQ(m().DialectId, 1);
  EXPECT_EQ(m().ProjectDNS, "shop_dsn");
  EXPECT_EQ(m().Core.Commands.Count(), 18);
  ExpectAnalizerOrder(m().Analizers);
  EXPECT_GT(m().Core.Terms.Count(), 100);
  ASSERT_NE(m().Core.Context.BlockTerm, nullptr);
  EXPECT_EQ(m().Core.Context.BlockTerm->StartText(), "(");
  ASSERT_NE(m().Core.Context.TextTerm, nullptr);
  EXPECT_EQ(m().Core.Context.TextTerm->StartText(), "'");
  for (DataSet* view : {&m().dsAlarm, &m().dsTypeObject, &m().dsTreeObject, &m().dsAlarmObject})
    EXPECT_TRUE(view->IsOpen()) << view->Name();
  EXPECT_FALSE(m().dsResevedWord.IsOpen());
  EXPECT_FALSE(m().dsObjects.IsOpen());
  EXPECT_EQ(m().dsTreeObject.RowCount(), 5);  // the table group, 2 tables, the key group under Orders, the key
  EXPECT_EQ(alarms_changed_, 1);
}

TEST_P(ConverterTest, OpeningTheOpenProjectAgainChangesNothing) {
  const int p = AddProject("Shop");
  m().SetProject(p);
  log_.clear();
  TCommandDML* first = &m().Core.Commands.Items(0);
  const int terms = m().Core.Terms.Count();

  m().SetProject(p);
  EXPECT_TRUE(log_.empty());
  EXPECT_EQ(alarms_changed_, 1);
  EXPECT_EQ(&m().Core.Commands.Items(0), first);
  EXPECT_EQ(m().Core.Terms.Count(), terms);
}

TEST_P(ConverterTest, OpeningAnotherProjectReplacesTheRegistrationsWithoutAReleaseLine) {
  const int a = AddProject("A");
  const int b = AddProject("B");
  AddObject(b, "view", "V");
  m().SetProject(a);
  const int terms = m().Core.Terms.Count();
  log_.clear();

  m().SetProject(b);
  EXPECT_EQ(log_, (std::vector<std::string>{"Загрузка модулей конвертора завершена успешно", "Обьектов БД:", "  view: 1"}));
  EXPECT_EQ(m().ProjectId, b);
  EXPECT_EQ(m().ProjectName, "B");
  EXPECT_EQ(m().Core.Commands.Count(), 18);
  ExpectAnalizerOrder(m().Analizers);
  EXPECT_EQ(m().Core.Terms.Count(), terms);
  EXPECT_EQ(m().dsTreeObject.Param("Project_id").toInt(), b);
}

TEST_P(ConverterTest, AProjectWithoutObjectsLogsTheHeadingAlone) {
  m().SetProject(AddProject("Empty"));
  EXPECT_EQ(log_, (std::vector<std::string>{"Загрузка модулей конвертора завершена успешно", "Обьектов БД:"}));
  EXPECT_TRUE(m().dsTreeObject.IsEmpty());
}

TEST_P(ConverterTest, ClosingReleasesOnceAndKeepsTheProjectValues) {
  const int p = AddProject("Shop", 1, QStringLiteral("dsn"));
  m().SetProject(p);
  m().OpenObjectScript(AddObject(p, "table", "T"));
  log_.clear();

  m().SetProject(0);
  EXPECT_EQ(log_, (std::vector<std::string>{"Освобождение модулей конвертора завершено успешно"}));
  EXPECT_EQ(m().ProjectId, 0);
  EXPECT_FALSE(m().ProjectLoaded());
  EXPECT_EQ(m().ProjectName, "Shop");
  EXPECT_EQ(m().ProjectDNS, "dsn");
  EXPECT_EQ(m().DialectId, 1);
  EXPECT_EQ(m().Core.Terms.Count(), 0);
  EXPECT_EQ(m().Core.Commands.Count(), 0);
  EXPECT_EQ(m().Analizers.Count(), 0);
  EXPECT_EQ(m().Core.Context.BlockTerm, nullptr);
  for (DataSet* view : {&m().dsAlarm, &m().dsTypeObject, &m().dsTreeObject, &m().dsAlarmObject})
    EXPECT_FALSE(view->IsOpen()) << view->Name();
  EXPECT_TRUE(m().dsObjectScript.IsOpen());

  log_.clear();
  m().SetProject(0);
  EXPECT_TRUE(log_.empty());
}

TEST_P(ConverterTest, AnUnknownProjectFailsAndChangesNothing) {
  const int p = AddProject("Shop");
  m().SetProject(p);
  log_.clear();
  try {
    m().SetProject(p + 1000);
    FAIL() << "opened a project that does not exist";
  } catch (const Error& error) {
    EXPECT_STREQ(error.what(), "Проект не обнаружен");
  }
  EXPECT_EQ(m().ProjectId, p);
  EXPECT_TRUE(m().ProjectLoaded());
  EXPECT_EQ(m().Core.Commands.Count(), 18);
  EXPECT_EQ(m().dsProject.Int("Project_id"), p);
  EXPECT_TRUE(log_.empty());
}

// ---------------------------------------------------------------------------
// Dialects that lack a required row

struct MissingRow {
  const char* condition;  // the rows left out of the dialect
  const char* message;
  int commandsRegistered;
};

class MissingRowTest : public ConverterTest {};

TEST_P(MissingRowTest, FailsWithThatRowsMessageAfterTheViewsOpened) {
  const MissingRow cases[] = {
      {"upper( TypeReservedWord ) = 'OBJECT_DIV'", "Разделитель обьектов имени не найден", 0},
      {"upper( TypeReservedWord ) = 'LIST_DIV'", "Разделитель параметров не найден", 0},
      {"upper( TypeReservedWord ) = 'BLOCK'", "Разделитель блока не найден", 0},
      {"upper( TypeReservedWord ) = 'TEXT'", "Разделитель текста не найден", 0},
      {"upper( StartWord ) = 'CREATE PROC'", "Не найдено определение команды создания процедуры", 4},
  };
  for (const MissingRow& c : cases) {
    SCOPED_TRACE(c.condition);
    repo().Run(QStringLiteral("delete from Project where Dialect_id = 2"));
    repo().Run(QStringLiteral("delete from Dialect where Dialect_id = 2"));
    m().SetProject(0);
    const int p = AddProject("Broken", AddDialectWithout(QString::fromUtf8(c.condition)));
    AddObject(p, "table", "T");
    log_.clear();
    alarms_changed_ = 0;
    try {
      m().SetProject(p);
      ADD_FAILURE() << "opened a dialect without the row";
    } catch (const Error& error) {
      EXPECT_STREQ(error.what(), c.message);
    }
    EXPECT_TRUE(log_.empty());
    EXPECT_EQ(m().ProjectId, p);
    EXPECT_EQ(m().ProjectName, "Broken");
    EXPECT_EQ(m().DialectId, 2);
    EXPECT_FALSE(m().ProjectLoaded());
    for (DataSet* view : {&m().dsAlarm, &m().dsTypeObject, &m().dsTreeObject, &m().dsAlarmObject})
      EXPECT_TRUE(view->IsOpen()) << view->Name();
    EXPECT_FALSE(m().dsResevedWord.IsOpen());
    EXPECT_EQ(alarms_changed_, 1);
    EXPECT_EQ(m().Core.Commands.Count(), c.commandsRegistered);
    EXPECT_EQ(m().Analizers.Count(), 0);

    // Opening it again retries instead of passing for open.
    EXPECT_THROW(m().SetProject(p), Error);
    EXPECT_FALSE(m().ProjectLoaded());
  }
}

TEST_P(ConverterTest, AHalfOpenedProjectOpensOnceItsDialectIsMended) {
  const int p = AddProject("Broken", AddDialectWithout(QStringLiteral("upper( TypeReservedWord ) = 'BLOCK'")));
  EXPECT_THROW(m().SetProject(p), Error);
  repo().Run(QStringLiteral("insert into ReservedWord( Dialect_id, StartWord, TypeReservedWord, EndWord, IsWord, IsMain ) "
                            "values( 2, '(', 'BLOCK', ')', 0, 0 )"));
  log_.clear();
  m().SetProject(p);
  EXPECT_TRUE(m().ProjectLoaded());
  EXPECT_EQ(m().Core.Commands.Count(), 18);
  EXPECT_EQ(log_.at(0), "Загрузка модулей конвертора завершена успешно");
}

// ---------------------------------------------------------------------------
// Look-ups of the open project

TEST_P(ConverterTest, LocatesTypeObjectsIgnoringCase) {
  m().SetProject(AddProject("Shop"));
  ASSERT_TRUE(m().LocateTypeObject("table"));
  EXPECT_EQ(m().dsTypeObject.Text("Name"), "TABLE");
  const int table = static_cast<int>(m().dsTypeObject.Int("TypeObject_id"));
  ASSERT_TRUE(m().LocateTypeObject("Constraint Primary Key"));
  EXPECT_NE(m().dsTypeObject.Int("TypeObject_id"), table);
  const int row = m().dsTypeObject.CurrentRow();
  EXPECT_FALSE(m().LocateTypeObject("synonym"));
  EXPECT_EQ(m().dsTypeObject.CurrentRow(), row);
  EXPECT_FALSE(m().LocateTypeObject(" TABLE "));
}

TEST_P(ConverterTest, LocatesTypeObjectsAgainAfterTheirRowsMoved) {
  m().SetProject(AddProject("Shop"));
  ASSERT_TRUE(m().LocateTypeObject("table"));
  ASSERT_TRUE(m().LocateTypeObject("constraint primary key"));
  // A type listed before all others moves every row one down.
  repo().Run(QStringLiteral("insert into TypeObject( TypeObject_id, Name, Num ) values( 0, 'SYNONYM', 0 )"));
  repo().Run(QStringLiteral("insert into TypeObjectDialect( TypeObject_id, Dialect_id ) values( 0, %1 )").arg(m().DialectId));
  m().OpenTypeObjects(m().DialectId);
  for (const char* name : {"table", "constraint primary key", "synonym", "table"}) {
    ASSERT_TRUE(m().LocateTypeObject(name)) << name;
    EXPECT_TRUE(SameText(m().dsTypeObject.Text("Name"), name)) << m().dsTypeObject.Text("Name");
  }
}

TEST_P(ConverterTest, LocatesAlarmKindsIgnoringCase) {
  repo().Run(QStringLiteral("update Alarm set VarName = 'systable' where VarName = 'SysTable'"));
  m().SetProject(AddProject("Shop"));
  ASSERT_TRUE(m().LocateAlarm("SysTable"));
  const long long sysTable = m().dsAlarm.Int("Alarm_id");
  ASSERT_TRUE(m().LocateAlarm("triggerinsteadof"));
  EXPECT_NE(m().dsAlarm.Int("Alarm_id"), sysTable);
  EXPECT_FALSE(m().LocateAlarm("NoSuchAlarm"));
}

TEST_P(ConverterTest, FindObjectLooksUpByTypeAndNameInTheOpenProject) {
  const int p = AddProject("Shop");
  const int orders = AddObject(p, "table", "Orders", 0, "create table Orders");
  m().SetProject(p);
  m().dsScript.SetParam("Project_id", p);
  m().dsParentScript.SetParam("Project_id", p);
  ASSERT_TRUE(m().FindObject(m().dsScript, "TABLE", "orders"));
  EXPECT_EQ(m().dsScript.Int("Object_id"), orders);
  EXPECT_EQ(m().dsScript.Text("SourceScript"), "create table Orders");
  EXPECT_EQ(m().dsTypeObject.Text("Name"), "TABLE");
  EXPECT_FALSE(m().FindObject(m().dsParentScript, "view", "Orders"));
  try {
    m().FindObject(m().dsScript, "synonym", "Orders");
    FAIL() << "found an unknown type";
  } catch (const Error& error) {
    EXPECT_STREQ(error.what(), "Тип не обнаружен");
  }
}

TEST_P(ConverterTest, ObjectViewIsNotReReadForTheObjectItShows) {
  const int p = AddProject("Shop");
  const int a = AddObject(p, "table", "A");
  const int b = AddObject(p, "table", "B");
  m().SetProject(p);
  m().OpenObjectScript(a);
  m().dsObjectScript.SetValue("DestScript", QStringLiteral("in memory"));
  m().OpenObjectScript(a);
  EXPECT_EQ(m().dsObjectScript.Text("DestScript"), "in memory");
  m().OpenObjectScript(b);
  EXPECT_EQ(m().dsObjectScript.Text("Object"), "B");
  m().OpenObjectScript(a);
  EXPECT_TRUE(m().dsObjectScript.IsNull("DestScript"));
  EXPECT_TRUE(repo().Run(QStringLiteral("select DestScript from MetaObject where Object_id = :a"), {{"a", a}})
                  .rows[0][0]
                  .isNull());
  m().CloseObjectScript();
  EXPECT_FALSE(m().dsObjectScript.IsOpen());
}

// What a binding reads: the stored lines of the project's default or rule of
// that name (any letter case); other objects of the name, and other
// projects' defaults, are not it.
TEST_P(ConverterTest, ObjectSourceComesAsStoredLines) {
  const int p = AddProject("Shop");
  AddObject(p, "table", "D_Zero", 0, "a table");
  AddObject(p, "default", "D_Zero", 0, "CREATE DEFAULT D_Zero AS\r\n  0");
  AddObject(AddProject("Other"), "default", "D_One", 0, "elsewhere");
  m().SetProject(p);
  EXPECT_EQ(m().OpenObjectSource("d_zero"), (std::vector<std::string>{"CREATE DEFAULT D_Zero AS", "  0"}));
  EXPECT_TRUE(m().OpenObjectSource("D_One").empty());
  EXPECT_FALSE(m().dsObjectType.IsOpen());
  IObjectSourceLookup* lookup = m().Core.Context.Sources;
  EXPECT_EQ(lookup->OpenObjectSource("D_ZERO"), (std::vector<std::string>{"CREATE DEFAULT D_Zero AS", "  0"}));
}

TEST_P(ConverterTest, AlarmViewRefreshCallsBack) {
  m().SetProject(AddProject("Shop"));
  EXPECT_EQ(alarms_changed_, 1);
  m().RefreshAlarmObjects();
  EXPECT_EQ(alarms_changed_, 2);
  m().OnAlarmsChanged = nullptr;
  EXPECT_NO_THROW(m().RefreshAlarmObjects());
}

TEST_P(ConverterTest, LogPassesEmptyLinesAndNeedsNoReceiver) {
  m().Log("");
  EXPECT_EQ(log_, (std::vector<std::string>{""}));
  m().OnLog = nullptr;
  EXPECT_NO_THROW(m().Log("nobody listens"));
}

// ---------------------------------------------------------------------------
// The project list as the project dialog edits it

TEST_P(ConverterTest, ProjectListInsertsEditsAndDeletesRows) {
  UpdatableDataSet& projects = m().dsProject;
  projects.Insert();
  EXPECT_EQ(projects.State(), DataSetState::Insert);
  projects.SetValue("Name", QStringLiteral("New"));
  projects.SetValue("DialectName", QStringLiteral("Transact-SQL (Microsoft SQL Server 2000)"));
  EXPECT_EQ(projects.Int("Dialect_id"), 1);
  projects.SetValue("DNS", QStringLiteral(""));
  projects.Post();
  EXPECT_EQ(projects.State(), DataSetState::Browse);
  const long long id = projects.Int("Project_id");
  EXPECT_GT(id, 0);
  EXPECT_TRUE(projects.IsNull("DNS"));

  projects.SetValue("Name", QStringLiteral("Renamed"));
  EXPECT_EQ(projects.State(), DataSetState::Edit);
  projects.Post();
  m().SetProject(static_cast<int>(id));
  EXPECT_EQ(m().ProjectName, "Renamed");

  projects.Open();
  ASSERT_TRUE(projects.Locate("Project_id", QVariant(id)));
  EXPECT_EQ(projects.Text("DialectName"), "Transact-SQL (Microsoft SQL Server 2000)");
  EXPECT_TRUE(projects.IsNull("DNS"));
  projects.Delete();
  EXPECT_TRUE(projects.IsEmpty());
  projects.Open();
  EXPECT_TRUE(projects.IsEmpty());
}

TEST_P(ConverterTest, ProjectListRequiresANameAndADialect) {
  UpdatableDataSet& projects = m().dsProject;
  projects.Insert();
  projects.SetValue("Dialect_id", 1);
  try {
    projects.Post();
    FAIL() << "posted a project without a name";
  } catch (const Error& error) {
    EXPECT_STREQ(error.what(), "Поле 'Проект' должно иметь значение");
  }
  EXPECT_EQ(projects.State(), DataSetState::Insert);
  projects.SetValue("Name", QStringLiteral("Named"));
  projects.SetValue("Dialect_id", QVariant());
  EXPECT_THROW(projects.Post(), Error);
  projects.Cancel();
  EXPECT_TRUE(projects.IsEmpty());
  EXPECT_EQ(projects.State(), DataSetState::Browse);
  EXPECT_THROW(projects.SetValue("DialectName", QStringLiteral("No such dialect")), Error);
}

TEST_P(ConverterTest, ProjectListCancelRestoresAnEditedRowAndMovingPostsIt) {
  AddProject("First");
  AddProject("Second");
  UpdatableDataSet& projects = m().dsProject;
  projects.First();
  projects.SetValue("Name", QStringLiteral("Changed"));
  projects.Cancel();
  EXPECT_EQ(projects.Text("Name"), "First");
  projects.SetValue("Name", QStringLiteral("Changed"));
  projects.Next();
  EXPECT_EQ(projects.State(), DataSetState::Browse);
  EXPECT_EQ(repo().Run(QStringLiteral("select Name from Project order by Project_id")).rows[0][0].toString(), "Changed");
}

AMBRIX_ALL_BACKENDS(ConverterTest);
AMBRIX_ALL_BACKENDS(MissingRowTest);

}  // namespace
}  // namespace ambrix
