// Script generation: compilation of the pending objects, the alarm purge, the
// layout of the target file, its encoding, and what a failure leaves behind.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include <regex>

#include <QFileInfo>

#include "operations_fixture.h"
#include "text/error.h"

namespace ambrix {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using test::StoredObject;

// The drop and creation scripts of the check constraint CK1 in the file.
const std::string kCheckDrop =
    "if exists( select * from SysConstraint c join SysTable t on t.Table_Id = c.Table_Id where t.Table_Name = "
    "'T1' and c.Constraint_Name = 'CK1')\r\n"
    "  alter table [T1] drop constraint [CK1]\r\n"
    "\r\n"
    "GO\r\n"
    "\r\n";
const std::string kCheckCreate =
    "/* -------------- */ print 'CK1'\r\n"
    "GO\r\n"
    "\r\n"
    "alter table [T1] add\r\n"
    "  constraint [CK1] check ([id] > 0)\r\n"
    "\r\n"
    "GO\r\n"
    "\r\n";

// The file for kTableScript with tables, primary keys and checks chosen (the
// view is not), its date masked. Written by hand: header, drop section (the
// check, then T1: the key has no drop script), creation section in type
// order, every item followed by an empty line, "GO" and an empty line; lines
// end in CR LF.
const std::string kExpectedFile =
    "/******************************************************\r\n"
    "> Velkor Ambrix Data Convertor\r\n"
    "> Проект: \"Shop\"\r\n"
    "> Участвующие типы обьектов: 'table', 'constraint primary key', 'constraint rule'\r\n"
    "> Дата генерации: DATE\r\n"
    "*******************************************************/\r\n"
    "\r\n"
    "\r\n"
    "/******************************************************\r\n"
    "> Удаление существующих обьектов базы данных\r\n"
    "*******************************************************/\r\n"
    "\r\n" +
    kCheckDrop +
    "if exists( select * from SysTable where Table_Name = 'T1')\r\n"
    "  drop table [T1]\r\n"
    "\r\n"
    "GO\r\n"
    "\r\n"
    "\r\n"
    "\r\n"
    "/******************************************************\r\n"
    "> Создание обьектов базы данных\r\n"
    "*******************************************************/\r\n"
    "\r\n"
    "/* -------------- */ print 'T1'\r\n"
    "GO\r\n"
    "\r\n"
    "create table [dba].[T1] (\r\n"
    "  [id] int not null\r\n"
    ")\r\n"
    "\r\n"
    "GO\r\n"
    "\r\n"
    "/* -------------- */ print 'PK1'\r\n"
    "GO\r\n"
    "\r\n"
    "alter table [T1] add\r\n"
    "  constraint [PK1] primary key clustered ([id])\r\n"
    "\r\n"
    "GO\r\n"
    "\r\n" +
    kCheckCreate;

// The header's date: a short date, a blank, a time with seconds.
std::string MaskDate(const std::string& text) {
  static const std::regex date("(> Дата генерации: )\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d:\\d\\d");
  return std::regex_replace(text, date, "$1DATE");
}

class Generation : public test::OperationsTest {
 protected:
  TOptAddScript Options(const std::string& file) {
    TOptAddScript options;
    options.FileName = Path(file);
    options.WithTable = true;
    options.WithPrimaryKey = true;
    options.WithCheck = true;
    return options;
  }
  // The first group of each match of `pattern` in a generated file, in order.
  static std::vector<std::string> Matches(const std::string& text, const char* pattern) {
    std::vector<std::string> found;
    const std::regex regex(pattern);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), regex); it != std::sregex_iterator(); ++it)
      found.push_back((*it)[1]);
    return found;
  }
  // The objects of the print lines, in order.
  static std::vector<std::string> Printed(const std::string& text) { return Matches(text, "print '([^\r]*)'\r\n"); }
  // The objects a generated file drops, in order.
  static std::vector<std::string> Dropped(const std::string& text) {
    return Matches(text, "\r\n  drop \\w+ ([^\r]*)\r\n");
  }
};

TEST_P(Generation, CompilesThePendingObjectsAndWritesTheFileLaidOutByType) {
  Import(test::kTableScript);
  log_.clear();
  progress_.clear();
  const std::string file = Path("out.sql");

  m().GenerateScript(Options("out.sql"));

  EXPECT_EQ(MaskDate(ReadFile(file)), kExpectedFile);
  EXPECT_EQ(log_, (std::vector<std::string>{"Удаление предупреждений компилятора",
                                            "Подготовка обьектов к генерации скрипта ...",
                                            "Скомпилирован обьект [T1]",
                                            "Скомпилирован обьект [PK1]",
                                            "Скомпилирован обьект [CK1]",
                                            "",
                                            "Было скомпилировано обьектов: 3",
                                            "Подготовка обьектов полностью завершена",
                                            "",
                                            "Сборка скрипта ...",
                                            "Генерация удаления существующих обьектов базы данных ...",
                                            "Генерация скриптов создания обьектов ...",
                                            "Запись скрипта в файл \"" + file + "\" ...",
                                            "",
                                            "Скрипт успешно сгенерирован"}));
  EXPECT_EQ(progress_, (std::vector<int>{-3, 1, 2, 3}));
  EXPECT_FALSE(m().BatchCompile);
  EXPECT_FALSE(m().dsObjects.IsOpen());
  EXPECT_FALSE(m().dsObjectScript.IsOpen());
  EXPECT_EQ(FolderFiles(), (std::vector<std::string>{"import.sql", "out.sql"}));
  // A new file gets the permissions any new file gets, not those of a
  // private temporary file.
  EXPECT_EQ(QFileInfo(QString::fromStdString(file)).permissions(),
            QFileInfo(QString::fromStdString(Path("import.sql"))).permissions());

  // Again: everything is compiled now: no preparation lines, no progress
  // beyond the start, the same file from the stored scripts.
  log_.clear();
  progress_.clear();
  m().GenerateScript(Options("out.sql"));
  EXPECT_EQ(MaskDate(ReadFile(file)), kExpectedFile);
  EXPECT_EQ(log_.at(1), "");
  EXPECT_EQ(progress_, (std::vector<int>{0}));

  // Without the check constraint: its type takes no part.
  log_.clear();
  progress_.clear();
  TOptAddScript options = Options("out.sql");
  options.WithCheck = false;
  m().GenerateScript(options);
  std::string expected = kExpectedFile;
  expected.replace(expected.find(", 'constraint rule'"), 19, "");
  expected.erase(expected.find(kCheckDrop), kCheckDrop.size());
  expected.erase(expected.find(kCheckCreate), kCheckCreate.size());
  EXPECT_EQ(MaskDate(ReadFile(file)), expected);
  EXPECT_EQ(log_.at(0), "Удаление предупреждений компилятора");
  EXPECT_EQ(log_.at(1), "");
  EXPECT_EQ(log_.at(2), "Сборка скрипта ...");
  EXPECT_EQ(progress_, (std::vector<int>{0}));
}

// Drops run in decreasing, creations in increasing type order; within one
// type by parent, then by name. Only the chosen types take part.
// Within a type the source's order stands (a table references one the source
// created before it); drops go the other way.
TEST_P(Generation, OrdersDropsAndCreationsByTypeThenParentThenSourceOrder) {
  Import("CREATE TABLE B (b int)\nGO\nCREATE TABLE A (a int)\nGO\n"
         "CREATE INDEX IX_B2 ON B (b)\nGO\nCREATE INDEX IX_B1 ON B (b)\nGO\nCREATE INDEX IX_A ON A (a)\nGO\n"
         "CREATE VIEW V AS SELECT a FROM A\nGO\nCREATE PROCEDURE P AS SELECT 1\nGO\n");
  TOptAddScript options;
  options.FileName = Path("out.sql");
  options.WithTable = true;
  options.WithIndex = true;
  options.WithView = true;
  m().GenerateScript(options);
  const std::string text = ReadFile(options.FileName);
  EXPECT_EQ(Printed(text), (std::vector<std::string>{"B", "A", "IX_B2", "IX_B1", "IX_A", "V"}));
  EXPECT_EQ(Dropped(text), (std::vector<std::string>{"[V]", "[B].IX_B1", "[B].IX_B2", "[A].IX_A", "[A]", "[B]"}));
  EXPECT_THAT(text, HasSubstr("> Участвующие типы обьектов: 'table', 'index', 'view'\r\n"));
  EXPECT_FALSE(Object("P").dest.has_value());
}

// A trigger or an index on a view has nothing to stand on in the target: it
// is kept commented out with its warning, and nothing drops it. The run on
// workers and the single compilation know the parent's type alike.
TEST_P(Generation, TriggersAndIndexesOnViewsAreKeptAsComments) {
  const std::string script =
      "CREATE TABLE T (a int)\nGO\nCREATE VIEW V AS SELECT a FROM T\nGO\n"
      "CREATE TRIGGER trV ON V INSTEAD OF INSERT AS SELECT 1\nGO\nCREATE UNIQUE CLUSTERED INDEX IX ON V (a)\nGO\n"
      "CREATE TRIGGER trT ON T FOR INSERT AS SELECT 1\nGO\n";
  for (int workers : {1, 3}) {
    SCOPED_TRACE("workers " + std::to_string(workers));
    m().Workers = workers;
    m().ClearCompilation(0);
    Import(script, amUpdateAll);
    m().GenerateScript(AllTypes(Path("out.sql")));
    for (const StoredObject& object : Objects()) {
      if (object.name != "trV" && object.name != "IX") continue;
      EXPECT_THAT(object.dest.value_or(""), HasSubstr("-- нет поддержки !!!")) << object.name;
      EXPECT_FALSE(object.drop.has_value()) << object.name;
    }
    EXPECT_THAT(Object("trT").dest.value_or(""), ::testing::Not(HasSubstr("нет поддержки")));
    std::set<std::string> kinds;
    for (const test::StoredAlarm& alarm : Alarms()) kinds.insert(alarm.object + " " + alarm.varName);
    EXPECT_EQ(kinds, (std::set<std::string>{"IX IndexOnView", "trV TriggerOnView"}));
  }
  Compile("trV");
  EXPECT_THAT(Object("trV").dest.value_or(""), HasSubstr("-- нет поддержки !!!"));
}

// The object name in the print line is a string literal: quotes are doubled.
TEST_P(Generation, DoublesQuotesOfTheNameInThePrintLine) {
  Import("CREATE TABLE [O'Brien] (a int)\nGO\n");
  m().GenerateScript(Options("out.sql"));
  EXPECT_THAT(ReadFile(Path("out.sql")), HasSubstr("\r\n/* -------------- */ print 'O''Brien'\r\nGO\r\n"));
}

TEST_P(Generation, WithNoTypeChosenDoesNothing) {
  Import(test::kTableScript);
  log_.clear();
  TOptAddScript options;
  options.FileName = Path("out.sql");
  m().GenerateScript(options);
  EXPECT_TRUE(log_.empty());
  EXPECT_EQ(FolderFiles(), (std::vector<std::string>{"import.sql"}));
  for (const StoredObject& object : Objects()) EXPECT_FALSE(object.dest.has_value());
}

// The purge deletes the alarms of the open project's pending objects of the
// chosen types; compiled objects and other projects keep theirs.
TEST_P(Generation, PurgesTheAlarmsOfThePendingObjectsOfTheOpenProjectOnly) {
  Import("CREATE VIEW V1 AS SELECT name FROM sysobjects\nGO\nCREATE VIEW V2 AS SELECT name FROM sysobjects\nGO\n"
         "CREATE VIEW V3 AS SELECT id FROM syscolumns\nGO\n");
  Compile("V1");
  Compile("V2");
  Compile("V3");
  const int other = AddProject("Other");
  m().SetProject(other);
  Import("CREATE VIEW W AS SELECT name FROM sysobjects\nGO\n");
  Compile("W");
  repo().Run(QStringLiteral("update MetaObject set DestScript = null"));  // all pending again
  m().SetProject(project_);
  // V1 is compiled again with a changed source; V2 keeps its result; V3 and W
  // are pending.
  repo().Run(QStringLiteral("update MetaObject set DestScript = 'kept' where Object = 'V2'"));
  repo().Run(QStringLiteral("update MetaObject set SourceScript = 'CREATE VIEW V1 AS SELECT 1' where Object = 'V1'"));
  TOptAddScript options;
  options.FileName = Path("out.sql");
  options.WithView = true;
  m().GenerateScript(options);

  std::vector<std::string> alarmed;
  for (const auto& alarm : Alarms()) alarmed.push_back(alarm.object);
  EXPECT_EQ(alarmed, (std::vector<std::string>{"V2", "V3"}));
  EXPECT_EQ(Alarms(other).size(), 1u);
  EXPECT_EQ(m().dsAlarmObject.RowCount(), 2);
}

// A failed compilation ends the run: objects compiled before keep their
// results, and the target keeps its old content, with no partial or
// temporary file beside it.
TEST_P(Generation, AFailedCompilationWritesNoFile) {
  Import("CREATE TABLE A (a int)\nGO\nCREATE INDEX IX ON A\nGO\n");
  const std::string file = WriteFile("out.sql", "old content");
  log_.clear();
  TOptAddScript options = Options("out.sql");
  options.WithIndex = true;
  try {
    m().GenerateScript(options);
    FAIL();
  } catch (const Error& error) {
    EXPECT_STREQ(error.what(), "Странный индекс");
  }
  EXPECT_EQ(ReadFile(file), "old content");
  EXPECT_EQ(FolderFiles(), (std::vector<std::string>{"import.sql", "out.sql"}));
  EXPECT_TRUE(Object("A").dest.has_value());
  EXPECT_FALSE(Object("IX").dest.has_value());
  EXPECT_THAT(log_, ::testing::Not(::testing::Contains("Сборка скрипта ...")));
  EXPECT_FALSE(m().BatchCompile);
  EXPECT_FALSE(m().dsObjects.IsOpen());
  EXPECT_FALSE(m().dsObjectScript.IsOpen());
}

// With KeepGoing the failing object is logged, reported and left out.
TEST_P(Generation, KeepGoingLeavesAFailingObjectOut) {
  Import("CREATE TABLE A (a int)\nGO\nCREATE INDEX IX ON A\nGO\nCREATE INDEX IX2 ON A (a)\nGO\n");
  std::vector<TSkippedFailure> skipped;
  m().OnSkipped = [&](const TSkippedFailure& failure) { skipped.push_back(failure); };
  log_.clear();
  TOptAddScript options = Options("out.sql");
  options.WithIndex = true;
  options.KeepGoing = true;
  m().GenerateScript(options);
  ASSERT_EQ(skipped.size(), 1u);
  EXPECT_EQ(skipped[0].ObjectName, "IX");
  EXPECT_EQ(skipped[0].TypeName, "INDEX");
  EXPECT_EQ(skipped[0].Message, "Странный индекс");
  EXPECT_THAT(log_, ::testing::Contains("Обьект [IX] пропущен: Странный индекс"));
  EXPECT_THAT(log_, ::testing::Contains("Пропущено обьектов с ошибками: 1"));
  EXPECT_EQ(log_.back(), "Скрипт сгенерирован без обьектов с ошибками (1): их нет ни в удалении, ни в создании");
  EXPECT_EQ(Printed(ReadFile(options.FileName)), (std::vector<std::string>{"A", "IX2"}));
}

// A project deleted since it was opened (by another program, or in the
// project list) is no ground for work: nothing is stored, no file written.
TEST_P(Generation, AProjectDeletedSinceItWasOpenedIsRefused) {
  Import(test::kTableScript);
  auto other = Repository::Open(location());
  other->Run(QStringLiteral("delete from Project where Project_id = %1").arg(m().ProjectId));
  log_.clear();
  for (const bool generate : {true, false}) {
    SCOPED_TRACE(generate ? "generate" : "import");
    try {
      if (generate)
        m().GenerateScript(Options("out.sql"));
      else
        m().AddScript(AllTypes(WriteFile("more.sql", "CREATE TABLE T2 (a int)\nGO\n")));
      ADD_FAILURE() << "done";
    } catch (const Error& error) {
      EXPECT_THAT(error.what(), HasSubstr("удалён из репозитория"));
    }
  }
  EXPECT_TRUE(log_.empty());
  EXPECT_FALSE(std::filesystem::exists(Path("out.sql")));
  EXPECT_EQ(other->Run(QStringLiteral("select count(*) from MetaObject")).rows[0][0].toInt(), 0);
}

// The target is UTF-8 unless Windows-1251 is named; a character the chosen
// encoding cannot hold names its line and column and leaves no file.
TEST_P(Generation, WritesTheChosenEncodingAndRefusesCharactersItCannotHold) {
  Import("CREATE TABLE Заказы (a int)\nGO\n");
  TOptAddScript options = Options("out.sql");
  m().GenerateScript(options);
  EXPECT_THAT(ReadFile(options.FileName), HasSubstr("print 'Заказы'"));

  options.OutputEncoding = "windows-1251";
  m().GenerateScript(options);
  EXPECT_THAT(ReadFile(options.FileName), HasSubstr("print '\xC7\xE0\xEA\xE0\xE7\xFB'"));
  EXPECT_THAT(ReadFile(options.FileName), HasSubstr("> \xCF\xF0\xEE\xE5\xEA\xF2: \"Shop\""));  // Проект

  // A name with a character Windows-1251 lacks: its drop script comes first,
  // on line 13.
  Import("CREATE TABLE [Z中] (a int)\nGO\n");
  const std::string before = ReadFile(options.FileName);
  options.WithTable = true;
  try {
    m().GenerateScript(options);
    FAIL();
  } catch (const Error& error) {
    EXPECT_THAT(error.what(), HasSubstr(options.FileName));
    EXPECT_THAT(error.what(), HasSubstr("U+4E2D"));
    EXPECT_THAT(error.what(), HasSubstr("строка 13, столбец 56"));
  }
  EXPECT_EQ(ReadFile(options.FileName), before);
  EXPECT_EQ(FolderFiles(), (std::vector<std::string>{"import.sql", "out.sql"}));

  options.OutputEncoding = "utf-16le";
  EXPECT_THROW(m().GenerateScript(options), Error);
}

// A target that cannot be written fails before anything is done.
TEST_P(Generation, AnUnwritableTargetFailsBeforeAnyWork) {
  Import(test::kTableScript);
  log_.clear();
  TOptAddScript options = Options("no/such/folder/out.sql");
  try {
    m().GenerateScript(options);
    FAIL();
  } catch (const Error& error) {
    EXPECT_THAT(error.what(), HasSubstr(options.FileName));
  }
  EXPECT_TRUE(log_.empty());
  for (const StoredObject& object : Objects()) EXPECT_FALSE(object.dest.has_value());
}

// The window's save names any file: never the repository's own (SQLite),
// nor a file the run keeps, under whatever name reaches it.
TEST_P(Generation, NeverWritesOverTheRepositoryOrAKeptFile) {
  Import(test::kTableScript);
  log_.clear();
  const std::string script = WriteFile("source.sql", "kept");
  std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
      {Path("./source.sql"), {script}},
  };
  if (GetParam() == Backend::SQLite) cases.push_back({location().path, {}});
  for (const auto& [output, kept] : cases) {
    SCOPED_TRACE(output);
    TOptAddScript options = Options("");
    options.FileName = output;
    options.KeptFiles = kept;
    try {
      m().GenerateScript(options);
      ADD_FAILURE() << "written";
    } catch (const Error& error) {
      EXPECT_THAT(error.what(), HasSubstr("Скрипт не записан"));
    }
    EXPECT_TRUE(log_.empty());
  }
  EXPECT_EQ(ReadFile(script), "kept");
  EXPECT_EQ(Objects().size(), 4u);  // the repository still reads
}

// A project with no object of the chosen types: the header and both
// section headings only.
TEST_P(Generation, AnEmptyProjectGivesTheHeadingsOnly) {
  m().GenerateScript(Options("out.sql"));
  const std::string text = ReadFile(Path("out.sql"));
  EXPECT_EQ(text.substr(text.find("> Удаление")),
            "> Удаление существующих обьектов базы данных\r\n"
            "*******************************************************/\r\n"
            "\r\n"
            "\r\n"
            "\r\n"
            "/******************************************************\r\n"
            "> Создание обьектов базы данных\r\n"
            "*******************************************************/\r\n"
            "\r\n");
  EXPECT_EQ(log_.front(), "Удаление предупреждений компилятора");
  EXPECT_EQ(log_.at(1), "");
}

AMBRIX_ALL_BACKENDS(Generation);

}  // namespace
}  // namespace ambrix
