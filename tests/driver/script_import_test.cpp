// Reverse-engineering of source scripts into a project: batches, the three
// modes, parents, the log lines and the per-type summary, progress, decoding
// of the file, and failures.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "operations_fixture.h"
#include "text/error.h"
#include "text/utf8.h"

namespace ambrix {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Lines = std::vector<std::string>;
using test::StoredObject;

// Several batches: an option setting, a comment-only batch, two tables, two
// ALTER TABLE batches adding three constraints, a statement the dialect does
// not know, a data statement no command handles, and a last batch (an index)
// with no GO line after it. The separators vary in case and blanks.
const std::string kShopScript =
    "SET QUOTED_IDENTIFIER ON\n"
    "GO\n"
    "-- nothing but a comment\n"
    "GO\n"
    "CREATE TABLE [dbo].[Orders] (\n"
    "\t[id] int NOT NULL ,\n"
    "\t[qty] int NULL\n"
    ")\n"
    "\n"
    "GO\n"
    "CREATE TABLE Lines (id int NOT NULL, order_id int NULL)\n"
    "go  \n"
    "ALTER TABLE [dbo].[Orders] WITH NOCHECK ADD\n"
    "\tCONSTRAINT [PK_Orders] PRIMARY KEY CLUSTERED ([id]) ON [PRIMARY]\n"
    " Go\n"
    "ALTER TABLE Lines ADD CONSTRAINT FK_Lines_Orders FOREIGN KEY (order_id) REFERENCES Orders (id),\n"
    "  CONSTRAINT PK_Lines PRIMARY KEY (id)\n"
    "GO\n"
    "PRINT 'done'\n"
    "GO\n"
    "INSERT INTO Orders VALUES (1, 2)\n"
    "GO\n"
    "CREATE INDEX IX_Lines_Order ON Lines (order_id)\n";

class ScriptImport : public test::OperationsTest {};

TEST_P(ScriptImport, StoresEveryObjectOfABatchedScriptWithItsParentAndLogsEachOne) {
  const std::string file = WriteFile("shop.sql", kShopScript);
  m().AddScript(AllTypes(file, amOnlyNew));

  EXPECT_EQ(log_, (Lines{"",
                         "Обработка файла \"" + file + "\"",
                         "",
                         "Добавлен обьект table [Orders]",
                         "Добавлен обьект table [Lines]",
                         "Добавлен обьект constraint primary key [Orders].[PK_Orders]",
                         "Добавлен обьект constraint foreign key [Lines].[FK_Lines_Orders]",
                         "Добавлен обьект constraint primary key [Lines].[PK_Lines]",
                         "Не понятная команда: \"PRINT 'done'\"",
                         "Добавлен обьект index [Lines].[IX_Lines_Order]",
                         "",
                         "Реинженеринг успешно завершен",
                         "Обработано обьектов:",
                         "  TABLE - 2",
                         "  CONSTRAINT PRIMARY KEY - 2",
                         "  CONSTRAINT FOREIGN KEY - 1",
                         "  INDEX - 1"}));

  const auto objects = Objects();
  ASSERT_EQ(objects.size(), 6u);
  // Stored texts: the lines joined by CR LF and trimmed, as written (tabs
  // kept); constraints hold their own item only.
  EXPECT_EQ(objects[0].type, "table");
  EXPECT_EQ(objects[0].name, "Orders");
  EXPECT_EQ(objects[0].parent, "");
  EXPECT_EQ(objects[0].source, "CREATE TABLE [dbo].[Orders] (\r\n\t[id] int NOT NULL ,\r\n\t[qty] int NULL\r\n)");
  EXPECT_EQ(objects[1].source, "CREATE TABLE Lines (id int NOT NULL, order_id int NULL)");
  EXPECT_EQ(objects[2].type, "constraint primary key");
  EXPECT_EQ(objects[2].parent, "Orders");
  EXPECT_EQ(objects[2].source, "CONSTRAINT [PK_Orders] PRIMARY KEY CLUSTERED ([id]) ON [PRIMARY]");
  EXPECT_EQ(objects[3].type, "constraint foreign key");
  EXPECT_EQ(objects[3].parent, "Lines");
  EXPECT_EQ(objects[4].name, "PK_Lines");
  EXPECT_EQ(objects[5].type, "index");
  EXPECT_EQ(objects[5].parent, "Lines");
  EXPECT_EQ(objects[5].source, "CREATE INDEX IX_Lines_Order ON Lines (order_id)");
  for (const auto& object : objects) EXPECT_FALSE(object.dest.has_value()) << object.name;

  // Progress: one step per line of the file.
  const int lines = 23;
  ASSERT_EQ(progress_.size(), static_cast<std::size_t>(lines) + 1);
  EXPECT_EQ(progress_.front(), -lines);
  EXPECT_EQ(progress_.back(), lines);
  // The tree is read again; no object is open.
  EXPECT_TRUE(m().dsTreeObject.IsOpen());
  EXPECT_GT(m().dsTreeObject.RowCount(), 6);
  EXPECT_FALSE(m().dsObjectScript.IsOpen());
  EXPECT_FALSE(m().dsScript.IsOpen());
  EXPECT_FALSE(m().dsParentScript.IsOpen());
}

// Mode 0 adds only new objects: an object the project has ends the handling
// of its batch, so the new key after an existing one is neither stored nor
// counted, while a new table in another batch is.
TEST_P(ScriptImport, OnlyNewStopsABatchAtTheFirstObjectTheProjectHas) {
  Import(kShopScript, amOnlyNew);
  log_.clear();
  Import("ALTER TABLE Lines ADD CONSTRAINT FK_Lines_Orders FOREIGN KEY (order_id) REFERENCES Orders (id),\n"
         "  CONSTRAINT UQ_Lines UNIQUE (order_id)\n"
         "GO\n"
         "CREATE TABLE Orders (changed int)\n"
         "GO\n"
         "CREATE TABLE Notes (id int)\n"
         "GO\n",
         amOnlyNew);

  EXPECT_THAT(log_, ElementsAre("", HasSubstr("Обработка файла"), "", "Добавлен обьект table [Notes]", "",
                                "Реинженеринг успешно завершен", "Обработано обьектов:", "  TABLE - 1"));
  EXPECT_EQ(Objects().size(), 7u);
  EXPECT_EQ(Object("Orders").source.substr(0, 27), "CREATE TABLE [dbo].[Orders]");
}

// Mode 1 replaces an object only when its text changed: an unchanged script
// stores and logs nothing but the summary heading; a changed table is
// replaced and loses its compilation result, the others keep theirs.
TEST_P(ScriptImport, UpdateChangedReplacesOnlyObjectsWhoseTextChanged) {
  Import(kShopScript, amUpdateChanged);
  Compile("Orders");
  Compile("Lines");
  ASSERT_TRUE(Object("Orders").dest.has_value());
  log_.clear();

  Import(kShopScript, amUpdateChanged);
  EXPECT_THAT(log_, ElementsAre("", HasSubstr("Обработка файла"), "", "Не понятная команда: \"PRINT 'done'\"", "",
                                "Реинженеринг успешно завершен", "Обработано обьектов:"));
  EXPECT_TRUE(Object("Orders").dest.has_value());

  std::string changed = kShopScript;
  changed.replace(changed.find("[qty] int NULL"), 14, "[qty] bigint NULL");
  log_.clear();
  Import(changed, amUpdateChanged);
  EXPECT_THAT(log_, ElementsAre("", HasSubstr("Обработка файла"), "", "Заменен обьект table [Orders]",
                                "Не понятная команда: \"PRINT 'done'\"", "", "Реинженеринг успешно завершен",
                                "Обработано обьектов:", "  TABLE - 1"));
  const StoredObject orders = Object("Orders");
  EXPECT_THAT(orders.source, HasSubstr("[qty] bigint NULL"));
  EXPECT_FALSE(orders.dest.has_value());
  EXPECT_FALSE(orders.drop.has_value());
  EXPECT_TRUE(Object("Lines").dest.has_value());
  EXPECT_EQ(Objects().size(), 6u);
}

// Mode 2 replaces every existing object, changed or not, and keeps its key
// and parent.
TEST_P(ScriptImport, UpdateAllReplacesEveryObject) {
  Import(kShopScript, amUpdateChanged);
  const int pk = ObjectId("PK_Orders");
  Compile("PK_Orders");
  log_.clear();

  Import(kShopScript, amUpdateAll);
  EXPECT_THAT(log_, ElementsAre("", HasSubstr("Обработка файла"), "", "Заменен обьект table [Orders]",
                                "Заменен обьект table [Lines]",
                                "Заменен обьект constraint primary key [Orders].[PK_Orders]",
                                "Заменен обьект constraint foreign key [Lines].[FK_Lines_Orders]",
                                "Заменен обьект constraint primary key [Lines].[PK_Lines]",
                                "Не понятная команда: \"PRINT 'done'\"", "Заменен обьект index [Lines].[IX_Lines_Order]",
                                "", "Реинженеринг успешно завершен", "Обработано обьектов:", "  TABLE - 2",
                                "  CONSTRAINT PRIMARY KEY - 2", "  CONSTRAINT FOREIGN KEY - 1", "  INDEX - 1"));
  EXPECT_EQ(ObjectId("PK_Orders"), pk);
  EXPECT_EQ(Object("PK_Orders").parent, "Orders");
  EXPECT_FALSE(Object("PK_Orders").dest.has_value());
  EXPECT_EQ(Objects().size(), 6u);

  // Any other mode value behaves as 2.
  log_.clear();
  Import("CREATE TABLE Lines (id int NOT NULL, order_id int NULL)\n", 7);
  EXPECT_THAT(log_, ::testing::Contains("Заменен обьект table [Lines]"));
}

// The summary lists each type once, in order of its first stored object; an
// object of a type not chosen is not stored, logged or counted, even when
// storing it would fail (its parent table is unknown).
TEST_P(ScriptImport, StoresOnlyTheChosenTypesAndCountsThemInOrderOfFirstUse) {
  TOptAddScript options;
  options.FileName = WriteFile("s.sql",
                               "CREATE INDEX IX_Missing ON Nowhere (a)\nGO\n"
                               "ALTER TABLE Nowhere ADD CONSTRAINT PK_N PRIMARY KEY (a)\nGO\n"
                               "CREATE TABLE A (a int)\nGO\n"
                               "CREATE VIEW V AS SELECT a FROM A\nGO\n"
                               "CREATE TABLE B (b int)\nGO\n");
  options.WithView = true;
  options.WithTable = true;
  m().AddScript(options);
  EXPECT_THAT(log_, ElementsAre("", HasSubstr("Обработка файла"), "", "Добавлен обьект table [A]",
                                "Добавлен обьект view [V]", "Добавлен обьект table [B]", "",
                                "Реинженеринг успешно завершен", "Обработано обьектов:", "  TABLE - 2", "  VIEW - 1"));
  EXPECT_EQ(Objects().size(), 3u);
}

// Two indexes of one name on different tables are two objects, each of its
// own table: an object is identified by project, type, name and parent. The
// same index read again is the same object.
TEST_P(ScriptImport, IndexesOfOneNameOnTwoTablesAreTwoObjects) {
  Import("CREATE TABLE A (a int)\nGO\nCREATE TABLE B (a int)\nGO\n"
         "CREATE INDEX IX ON A (a)\nGO\nCREATE INDEX IX ON B (a)\nGO\n",
         amUpdateAll);
  Import("CREATE INDEX IX ON b (a, b)\nGO\n", amUpdateChanged);
  EXPECT_THAT(log_, ::testing::Contains("Заменен обьект index [b].[IX]"));
  std::map<std::string, std::string> indexes;  // parent -> source
  for (const StoredObject& object : Objects())
    if (object.name == "IX") indexes[object.parent] = object.source;
  EXPECT_EQ(indexes, (std::map<std::string, std::string>{{"A", "CREATE INDEX IX ON A (a)"},
                                                         {"B", "CREATE INDEX IX ON b (a, b)"}}));
}

// In the target an index name is its owner's: of indexes of one name (case
// ignored) the first keeps it and each later one is named after its table
// too, never as another index of the project is named; a compilation run
// compiles each under that name.
TEST_P(ScriptImport, LaterIndexesOfOneNameGetTheirTablesNameInTheTarget) {
  Import("CREATE TABLE A (a int)\nCREATE TABLE B (a int)\nCREATE TABLE C (a int)\nGO\n"
         "CREATE INDEX IX ON A (a)\nCREATE INDEX IX ON B (a)\nCREATE INDEX IX_B ON C (a)\n"
         "ALTER TABLE C ADD CONSTRAINT ix UNIQUE (a)\nGO\n");
  std::map<std::string, std::string> names;  // parent and name -> target name
  std::map<long long, std::string> keys;
  for (const StoredObject& object : Objects())
    if (object.type == "index" || object.type == "constraint unique") keys[object.id] = object.parent + "." + object.name;
  for (const auto& [id, name] : m().IndexTargetNames()) names[keys.at(id)] = name;
  EXPECT_EQ(names, (std::map<std::string, std::string>{{"B.IX", "IX_B_2"}, {"C.ix", "ix_C"}}));

  TOptAddScript options = AllTypes(Path("out.sql"));
  m().GenerateScript(options);
  for (const StoredObject& object : Objects())
    if (object.parent == "B" && object.name == "IX") EXPECT_THAT(object.drop.value_or(""), HasSubstr("drop index [B].IX_B_2"));
}

// What separates batches: a line reading GO in any case with blanks or tabs
// around it, also followed by a count, a semicolon or a comment; a longer
// word (GOTO) is no separator. Empty lines before a batch belong to no
// batch; inside one they stay (they may be inside a string), as do lines of
// blanks.
TEST_P(ScriptImport, SplitsBatchesAtLinesThatReadGo) {
  Import("CREATE TABLE A (a int)\n\t gO \t\n"
         "CREATE TABLE B (\n   \n\n  b int)\nGO\n"
         "CREATE TABLE C (c int)\nGO 2\n"
         "CREATE TABLE D (d int)\nGO;\n"
         "CREATE TABLE E (e int)\nGO -- the end of E\n"
         "CREATE PROCEDURE P AS\nGOTO done\ndone: RETURN\ngo /* P */\n");
  const auto objects = Objects();
  ASSERT_EQ(objects.size(), 6u);
  EXPECT_EQ(objects[0].source, "CREATE TABLE A (a int)");
  EXPECT_EQ(objects[1].source, "CREATE TABLE B (\r\n   \r\n\r\n  b int)");
  EXPECT_EQ(objects[2].source, "CREATE TABLE C (c int)");
  EXPECT_EQ(objects[3].source, "CREATE TABLE D (d int)");
  EXPECT_EQ(objects[4].source, "CREATE TABLE E (e int)");
  EXPECT_EQ(objects[5].source, "CREATE PROCEDURE P AS\r\nGOTO done\r\ndone: RETURN");
}

// Option settings (SET ...) are skipped without a word, at the head of a
// batch or before its statements; the statements after them are read.
TEST_P(ScriptImport, SkipsOptionSettingsSilently) {
  Import("set nocount on\nCREATE TABLE A (a int)\nGO\n  SET ANSI_NULLS ON\nGO\n");
  EXPECT_THAT(log_, ElementsAre("", HasSubstr("Обработка файла"), "", "Добавлен обьект table [A]", "",
                                "Реинженеринг успешно завершен", "Обработано обьектов:", "  TABLE - 1"));
  ASSERT_EQ(Objects().size(), 1u);
  EXPECT_EQ(Objects()[0].source, "CREATE TABLE A (a int)");
}

// A batch that is no command is still checked in full: one whose delimiters
// do not close fails with the position of its parse, not as "not understood";
// a comment before a command does not hide it.
TEST_P(ScriptImport, ABatchThatIsNoCommandStillFailsWhereItsDelimitersDoNotClose) {
  std::vector<TSkippedFailure> skipped;
  m().OnSkipped = [&](const TSkippedFailure& failure) { skipped.push_back(failure); };
  TOptAddScript options = AllTypes(WriteFile("nc.sql",
                                             "if exists (select 1\ndrop table A\nGO\n"
                                             "PRINT 'ok' /* (\n*/\nGO\n"
                                             "-- first (\n/* ( */ CREATE TABLE B (b int)\nGO\n"));
  options.KeepGoing = true;
  m().AddScript(options);

  ASSERT_EQ(skipped.size(), 1u);
  EXPECT_EQ(skipped[0].Line, 1);
  EXPECT_EQ(skipped[0].Message, "Ошибка вложений разделителя: 0:12");
  EXPECT_THAT(log_, ::testing::Contains("Ошибка обработки скрипта:"));
  EXPECT_THAT(log_, ::testing::Contains("Не понятная команда: \"PRINT 'ok' /* (\""));
  EXPECT_THAT(log_, ::testing::Contains("if exists (select 1\r\ndrop table A\r\n"));
  EXPECT_THAT(log_, ::testing::Not(::testing::Contains(HasSubstr("Не понятная команда: \"if"))));
  ASSERT_EQ(Objects().size(), 1u);
  EXPECT_EQ(Object("B").name, "B");
}

// A batch led by data statements or permissions that no command handles
// (INSERT, GRANT, ...) is only checked, not parsed into a tree; what it gives
// must be what a parse gave: the commands further on in it are read, an
// option setting among its statements makes the statements after it named,
// and its delimiters are checked all the same.
TEST_P(ScriptImport, DataStatementBatchesGiveWhatAParseOfThemGave) {
  struct Case {
    const char* script;
    std::vector<std::string> objects;       // names stored, in order
    std::vector<std::string> notUnderstood;  // the "not understood" lines
  };
  const Case cases[] = {
      {"INSERT INTO T VALUES (1, 'a')\ninsert T values (2, 'b')\nGO\n", {}, {}},
      {"GRANT SELECT ON T TO public\nDELETE FROM T\nGO\n", {}, {}},
      {"INSERT INTO T VALUES (1)\nCREATE TABLE X (x int)\nGO\n", {"X"}, {}},
      {"GRANT SELECT ON T TO public\nEXEC sp_addtype Money2, 'decimal(10,2)'\nGO\n", {"Money2"}, {}},
      {"INSERT INTO T VALUES (1)\nSET NOCOUNT ON\nPRINT 'after'\nGO\n", {}, {"PRINT 'after'"}},
      {"INSERT INTO T VALUES (1)\nPRINT 'within'\nGO\n", {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    log_.clear();
    m().AddScript(AllTypes(WriteFile("data.sql", c.script), amUpdateAll));
    std::vector<std::string> names;
    for (const auto& object : Objects()) names.push_back(object.name);
    std::vector<std::string> expected = c.objects;
    std::vector<std::string> notUnderstood;
    for (const auto& line : log_) {
      if (line.rfind("Не понятная команда: ", 0) == 0) notUnderstood.push_back(line);
    }
    std::vector<std::string> expectedLines;
    for (const auto& text : c.notUnderstood) expectedLines.push_back("Не понятная команда: \"" + text + "\"");
    for (const auto& name : expected) EXPECT_THAT(names, ::testing::Contains(name));
    EXPECT_EQ(notUnderstood, expectedLines);
  }

  // Only checked, but checked: an unclosed string fails where it opens.
  std::vector<TSkippedFailure> skipped;
  m().OnSkipped = [&](const TSkippedFailure& failure) { skipped.push_back(failure); };
  TOptAddScript options = AllTypes(WriteFile("bad.sql", "INSERT INTO T VALUES (1)\nINSERT INTO T VALUES ('x)\nGO\n"));
  options.KeepGoing = true;
  m().AddScript(options);
  ASSERT_EQ(skipped.size(), 1u);
  EXPECT_EQ(skipped[0].Message, "Ошибка вложений разделителя: 1:24");
}

// The last batch needs no GO line: it is handled at the end of the file.
TEST_P(ScriptImport, HandlesALastBatchWithoutItsGoLine) {
  Import("CREATE TABLE A (a int)\nGO\nCREATE TABLE B (b int)\n\n");
  EXPECT_EQ(Objects().size(), 2u);
  Import("CREATE TABLE C (c int)");  // no line end either
  EXPECT_EQ(Object("C").source, "CREATE TABLE C (c int)");
}

TEST_P(ScriptImport, RefusesToRunWithoutAProjectOrAFile) {
  m().SetProject(0);
  log_.clear();
  const std::string file = WriteFile("a.sql", "CREATE TABLE A (a int)\n");
  try {
    m().AddScript(AllTypes(file));
    FAIL();
  } catch (const Error& error) {
    EXPECT_STREQ(error.what(), "Нет открытого проекта");
  }
  m().SetProject(project_);
  log_.clear();
  for (const std::string& missing : {Path("missing.sql"), dir_->path().toStdString()}) {
    try {
      m().AddScript(AllTypes(missing));
      FAIL();
    } catch (const Error& error) {
      EXPECT_STREQ(error.what(), "Файл скрипта не найден");
    }
  }
  EXPECT_TRUE(log_.empty());
  EXPECT_TRUE(Objects().empty());
}

// A batch that does not parse logs its text and ends the run; the objects of
// earlier batches stay, the summary is not logged, the tree is read again.
TEST_P(ScriptImport, ABatchThatDoesNotParseEndsTheRunAfterLoggingIt) {
  m().CloseObjectTree();
  EXPECT_THROW(Import("CREATE TABLE A (a int)\nGO\nCREATE TABLE B (b int\nGO\nCREATE TABLE C (c int)\nGO\n"), Error);
  EXPECT_THAT(log_, ElementsAre("", HasSubstr("Обработка файла"), "", "Добавлен обьект table [A]",
                                "Ошибка обработки скрипта:", "CREATE TABLE B (b int\r\n"));
  EXPECT_EQ(Objects().size(), 1u);
  EXPECT_TRUE(m().dsTreeObject.IsOpen());
  EXPECT_FALSE(m().dsScript.IsOpen());
}

// Failures of the statements: a command that refuses its statement, a new
// object whose parent table the project lacks.
TEST_P(ScriptImport, CommandAndParentFailuresEndTheRun) {
  struct Case {
    std::string script;
    std::string message;
  };
  for (const Case& c : std::vector<Case>{
           {"ALTER TABLE A ADD DEFAULT (0)\nGO\n", "Отсутствует имя у ограничения умолчания"},
           {"exec sp_addtype @phystype = 'varchar(11)'\nGO\n", "Неправильные параметры команды создания пользовательского типа"},
           {"CREATE INDEX IX ON Nowhere (a)\nGO\n", "Родительский обьект не обнаружен"},
       }) {
    log_.clear();
    try {
      Import("CREATE TABLE A (a int)\nGO\n" + c.script + "CREATE TABLE Z (z int)\nGO\n", amUpdateAll);
      ADD_FAILURE() << c.script;
    } catch (const Error& error) {
      EXPECT_EQ(error.what(), c.message);
    }
    EXPECT_THAT(log_, ::testing::Not(::testing::Contains("Реинженеринг успешно завершен")));
  }
  EXPECT_EQ(Objects().size(), 1u);
}

// With KeepGoing a failing batch is logged with its first line and skipped;
// the run goes on and says how many were skipped.
TEST_P(ScriptImport, KeepGoingSkipsFailingBatchesAndReportsWhere) {
  std::vector<TSkippedFailure> skipped;
  m().OnSkipped = [&](const TSkippedFailure& failure) { skipped.push_back(failure); };
  TOptAddScript options = AllTypes(WriteFile("k.sql",
                                             "CREATE TABLE A (a int)\nGO\n"
                                             "\n"
                                             "CREATE INDEX IX ON Nowhere (a)\nGO\n"
                                             "CREATE TABLE B (b int\nGO\n"
                                             "CREATE TABLE C (c int)\n"));
  options.KeepGoing = true;
  m().AddScript(options);

  ASSERT_EQ(skipped.size(), 2u);
  EXPECT_EQ(skipped[0].Line, 4);
  EXPECT_EQ(skipped[0].Message, "Родительский обьект не обнаружен");
  EXPECT_EQ(skipped[1].Line, 6);
  EXPECT_THAT(skipped[1].Message, HasSubstr("Ошибка вложений разделителя"));
  EXPECT_THAT(log_, ::testing::Contains("Пакет со строки 4 пропущен: Родительский обьект не обнаружен"));
  EXPECT_EQ(log_.back(), "Пропущено пакетов с ошибками: 2");
  EXPECT_EQ(Objects().size(), 2u);
  EXPECT_EQ(Object("C").name, "C");
}

// The file is decoded: a byte-order mark decides, valid UTF-8 is UTF-8 and
// anything else Windows-1251, unless the options name the encoding.
TEST_P(ScriptImport, DecodesTheFileByMarkContentOrTheNamedEncoding) {
  struct Case {
    std::string bytes;
    std::string encoding;
  };
  // "Заказы" in each encoding.
  const std::string cp1251 = "CREATE TABLE \xC7\xE0\xEA\xE0\xE7\xFB (a int)\r\n";
  const std::string utf8 = "CREATE TABLE Заказы (a int)\r\n";
  std::string utf16le = "\xFF\xFE";
  for (char32_t c : std::u32string(U"CREATE TABLE Заказы (a int)\r\n")) {
    utf16le += static_cast<char>(c & 0xFF);
    utf16le += static_cast<char>(c >> 8);
  }
  for (const Case& c : std::vector<Case>{{cp1251, ""},
                                         {utf8, ""},
                                         {"\xEF\xBB\xBF" + utf8, ""},
                                         {utf16le, ""},
                                         {cp1251, "windows-1251"},
                                         {utf8, "UTF-8"}}) {
    TOptAddScript options = AllTypes(WriteFile("enc.sql", c.bytes), amUpdateAll);
    options.InputEncoding = c.encoding;
    m().AddScript(options);
    const auto objects = Objects();
    ASSERT_EQ(objects.size(), 1u) << c.encoding;
    EXPECT_EQ(objects[0].name, "Заказы") << c.encoding;
    EXPECT_EQ(objects[0].source, "CREATE TABLE Заказы (a int)");
  }
}

// A file that cannot be decoded, or an encoding the program does not know,
// is a clear error and stores nothing.
TEST_P(ScriptImport, AFileThatCannotBeDecodedStoresNothing) {
  TOptAddScript options = AllTypes(WriteFile("bad.sql", "CREATE TABLE A (a int)\nGO\nCREATE TABLE \xC7 (b int)\nGO\n"));
  options.InputEncoding = "utf-8";
  try {
    m().AddScript(options);
    FAIL();
  } catch (const Error& error) {
    EXPECT_THAT(error.what(), HasSubstr(options.FileName));
    EXPECT_THAT(error.what(), HasSubstr("строка 3, столбец 14"));
  }
  options.InputEncoding = "koi8-r";
  try {
    m().AddScript(options);
    FAIL();
  } catch (const Error& error) {
    EXPECT_THAT(error.what(), HasSubstr("koi8-r"));
  }
  EXPECT_TRUE(Objects().empty());
}

// Objects and parents are found by name with Latin letters in any case,
// among the objects stored by earlier runs and by the running one, of the
// open project only, and a parent only among tables; a name found in another
// case replaces the stored object, which keeps its name, and never adds a
// second row. Each mode treats an object so found as one the project has.
TEST_P(ScriptImport, FindsObjectsAndParentsWhateverTheCaseOfTheirLatinLetters) {
  Import("CREATE TABLE Orders (id int NOT NULL, qty int NULL)\nGO\n"
         "ALTER TABLE Orders ADD CONSTRAINT PK_Orders PRIMARY KEY (id)\nGO\n"
         "CREATE VIEW Vw AS SELECT id FROM Orders\nGO\n");
  const int other = AddProject("Other");
  m().SetProject(other);
  Import("CREATE TABLE Notes (id int)\nGO\n");
  m().SetProject(project_);
  const int orders = ObjectId("Orders");

  struct Step {
    std::string script;
    std::uint8_t mode;
    Lines stored;         ///< the lines that tell an object stored
    std::string failure;  ///< the message of a run that fails
  };
  const std::vector<Step> steps{
      {"CREATE TABLE ORDERS (id int NOT NULL, qty int NULL)\n", amUpdateAll, {"Заменен обьект table [ORDERS]"}, ""},
      // The stored text of a key is its own item: the same text in a batch
      // that names the table in another case is unchanged.
      {"ALTER TABLE ORDERS ADD CONSTRAINT PK_Orders PRIMARY KEY (id)\n", amUpdateChanged, {}, ""},
      {"ALTER TABLE orders ADD CONSTRAINT pk_orders PRIMARY KEY (id, qty)\n",
       amUpdateChanged,
       {"Заменен обьект constraint primary key [orders].[pk_orders]"},
       ""},
      {"CREATE TABLE orders (changed int)\nGO\nCREATE TABLE Notes (id int)\n", amOnlyNew,
       {"Добавлен обьект table [Notes]"}, ""},
      {"CREATE INDEX IX_Qty ON oRdErS (qty)\n", amUpdateChanged, {"Добавлен обьект index [oRdErS].[IX_Qty]"}, ""},
      // Objects the running import stored are found as well.
      {"CREATE TABLE Items (id int)\nGO\nCREATE INDEX IX_Items ON ITEMS (id)\nGO\nCREATE TABLE items (id int, n int)\n",
       amUpdateChanged,
       {"Добавлен обьект table [Items]", "Добавлен обьект index [ITEMS].[IX_Items]", "Заменен обьект table [items]"},
       ""},
      // A view is a parent too (an indexed view).
      {"CREATE INDEX IX_Vw ON VW (id)\n", amUpdateChanged, {"Добавлен обьект index [VW].[IX_Vw]"}, ""},
      {"CREATE INDEX IX_Nowhere ON Nowhere (id)\n", amUpdateChanged, {}, "Родительский обьект не обнаружен"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.script);
    log_.clear();
    try {
      Import(step.script, step.mode);
      EXPECT_EQ(step.failure, "");
    } catch (const Error& error) {
      EXPECT_EQ(error.what(), step.failure);
    }
    Lines stored;
    for (const std::string& line : log_)
      if (line.rfind("Добавлен", 0) == 0 || line.rfind("Заменен", 0) == 0) stored.push_back(line);
    EXPECT_EQ(stored, step.stored);
  }

  std::map<std::string, std::string> rows;  // lower-case name -> parent
  for (const StoredObject& object : Objects()) {
    const auto [at, added] = rows.emplace(LowerCase(object.name), object.parent);
    EXPECT_TRUE(added) << "a second row for " << object.name;
  }
  EXPECT_EQ(rows, (std::map<std::string, std::string>{{"orders", ""},
                                                      {"pk_orders", "Orders"},
                                                      {"vw", ""},
                                                      {"ix_vw", "Vw"},
                                                      {"notes", ""},
                                                      {"ix_qty", "Orders"},
                                                      {"items", ""},
                                                      {"ix_items", "Items"}}));
  EXPECT_EQ(ObjectId("Orders"), orders);
  const StoredObject table = Object("Orders");
  EXPECT_EQ(table.source, "CREATE TABLE ORDERS (id int NOT NULL, qty int NULL)");
  EXPECT_EQ(Object("PK_Orders").source, "CONSTRAINT pk_orders PRIMARY KEY (id, qty)");
  EXPECT_EQ(Object("Items").source, "CREATE TABLE items (id int, n int)");
  EXPECT_EQ(Objects(other).size(), 1u);
}

// Names are compared as the servers compare them, ignoring the case of
// every letter of Windows-1251 alike, Cyrillic as Latin, on every backend:
// a parent named in another case is found, and a name in another case is
// the same object, replaced.
TEST_P(ScriptImport, NamesDifferingInTheCaseOfAnyLetterAreOneObject) {
  const std::vector<std::pair<std::string, std::string>> names = {
      {"Orders", "ORDERS"}, {"Заказы", "зАКАЗЫ"}, {"Ёлка", "ёЛКА"}, {"Ґанок_Її", "ґАНОК_ЇЇ"}};
  for (const auto& [stored, other] : names) {
    SCOPED_TRACE(stored);
    Import("CREATE TABLE " + stored + " (a int)\nGO\n");
    log_.clear();
    Import("CREATE INDEX IX_" + stored + " ON " + other + " (a)\nGO\nCREATE TABLE " + other +
           " (a int, b int)\nGO\nCREATE INDEX IX_" + other + " ON " + stored + " (b)\nGO\n");
    EXPECT_THAT(log_, ::testing::IsSupersetOf({"Добавлен обьект index [" + other + "].[IX_" + stored + "]",
                                               "Заменен обьект table [" + other + "]",
                                               "Заменен обьект index [" + stored + "].[IX_" + other + "]"}));
    EXPECT_EQ(Object(stored).source, "CREATE TABLE " + other + " (a int, b int)");
    EXPECT_EQ(Object("IX_" + stored).parent, stored);
    EXPECT_EQ(Object("IX_" + stored).source, "CREATE INDEX IX_" + other + " ON " + stored + " (b)");
  }
  EXPECT_EQ(Objects().size(), 2 * names.size());
}

AMBRIX_ALL_BACKENDS(ScriptImport);

}  // namespace
}  // namespace ambrix
