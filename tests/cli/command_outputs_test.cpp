// What the commands print, read back the way their readers read it: the
// alarms as CSV and JSON, the script `show` names, a warning stored without a
// place, an input that cannot be read, the encoding an import is told, a
// reset of an unknown type, and the project name a conversion takes from its
// input.

#include <sys/stat.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <gmock/gmock.h>

#include "driver/repository.h"
#include "driver/repository_location.h"
#include "run_ambrix.h"

namespace ambrix::test {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

// A table, and a procedure whose name holds a comma, quotes and Cyrillic and
// which reads a system table (one warning).
const char kScript[] =
    "CREATE TABLE Orders (id int NOT NULL, qty int NULL)\n"
    "GO\n"
    "CREATE PROCEDURE [Отчёт, \"год\"]\n"
    "AS\n"
    "  SELECT name FROM sysobjects\n"
    "GO\n";
const char kProcedure[] = "Отчёт, \"год\"";

// The fields of CSV records (RFC 4180: a quoted field may hold commas,
// doubled quotes and line breaks; records end in CR LF).
std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
  std::vector<std::vector<std::string>> records;
  std::vector<std::string> record;
  std::string field;
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == '"' && field.empty()) {
      quoted = true;
    } else if (c == ',') {
      record.push_back(std::move(field));
      field.clear();
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      record.push_back(std::move(field));
      field.clear();
      records.push_back(std::move(record));
      record.clear();
      ++i;
    } else {
      field += c;
    }
  }
  if (!field.empty() || !record.empty()) ADD_FAILURE() << "the last CSV record does not end in CR LF";
  return records;
}

class CommandOutputs : public CliTest {
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

  // Runs one statement on the test's repository file (between runs of the
  // program, which holds no connection then).
  void Sql(const std::string& statement, const ParamValues& params = {}) {
    RepositoryLocation location;
    location.backend = Backend::SQLite;
    location.path = (dir_ / "repo.sqlite3").string();
    Repository::Connect(location)->Run(QString::fromStdString(statement), params);
  }
};

// Stored words with what a field may hold, each alone so that each must be
// quoted or escaped for itself: a line break, a comma, quotes, a tab, a
// backslash, a control character, Cyrillic. (The alarm texts come from the
// program's own rows, which it writes back on opening; they hold commas,
// brackets and Cyrillic.)
const std::vector<std::string> kWords = {
    "SYSOBJECTS", "a\r\nb", "a\nb", "a\rb", "a,b", "say \"hi\"", "\"", "tab\there", "back\\slash", "bell\x01\x1f",
    "Перепишите \"запрос\", затем\r\nпроверьте всё"};
const std::string kSysTableText =
    "Используется системная таблица MS SQL Server: в SQL Anywhere её нет или в ней другие столбцы. Перепишите запрос "
    "через системные таблицы ASA (SYS.SYSTABLE, SYS.SYSCOLUMN и т. п.)";

TEST_F(CommandOutputs, AlarmsAsCsvQuoteWhatNeedsIt) {
  ASSERT_EQ(In({"import", "shop", "shop.sql"}).exitCode, 0);
  ASSERT_EQ(In({"compile", "shop"}).exitCode, 0);
  for (const std::string& word : kWords) {
    Sql("update AlarmObject set Word = :Word", {{"Word", QString::fromStdString(word)}});
    const RunResult r = In({"alarms", "shop", "--format", "csv"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<std::vector<std::string>> records = ParseCsv(r.out);
    ASSERT_EQ(records.size(), 2u) << r.out;
    EXPECT_EQ(records[0], (std::vector<std::string>{"type", "object", "line", "column", "word", "alarm"}));
    EXPECT_EQ(records[1], (std::vector<std::string>{"procedure", kProcedure, "3", "20", word, kSysTableText}))
        << r.out;
    // A field with nothing to quote stays bare.
    EXPECT_THAT(r.out, HasSubstr("\r\nprocedure,\""));
    EXPECT_THAT(r.out, HasSubstr(",3,20,"));
  }
}

TEST_F(CommandOutputs, AlarmsAsJsonAreValidAndHoldTheTextsExactly) {
  ASSERT_EQ(In({"import", "shop", "shop.sql"}).exitCode, 0);
  ASSERT_EQ(In({"compile", "shop"}).exitCode, 0);
  for (const std::string& word : kWords) {
    Sql("update AlarmObject set Word = :Word", {{"Word", QString::fromStdString(word)}});
    const RunResult r = In({"alarms", "shop", "--format", "json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(r.out), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString() << "\n" << r.out;
    // JSON allows no raw control character inside a string (Qt's reader lets
    // them pass): the only ones are the line ends around the one record.
    std::string controls;
    for (const char c : r.out)
      if (static_cast<unsigned char>(c) < 0x20) controls += c;
    EXPECT_EQ(controls, "\n\n\n") << r.out;
    ASSERT_TRUE(document.isArray());
    ASSERT_EQ(document.array().size(), 1);
    const QJsonObject alarm = document.array()[0].toObject();
    EXPECT_EQ(alarm["type"].toString().toStdString(), "procedure");
    EXPECT_EQ(alarm["object"].toString().toStdString(), kProcedure);
    EXPECT_EQ(alarm["line"].toInt(), 3);
    EXPECT_EQ(alarm["column"].toInt(), 20);
    EXPECT_EQ(alarm["word"].toString().toStdString(), word);
    EXPECT_EQ(alarm["alarm"].toString().toStdString(), kSysTableText);
  }
  // No alarms: an empty array, a header alone.
  Sql("delete from AlarmObject");
  EXPECT_EQ(In({"alarms", "shop", "--format", "json"}).out, "[]\n");
  EXPECT_EQ(In({"alarms", "shop", "--format", "csv"}).out, "type,object,line,column,word,alarm\r\n");
}

// --source, --dest (the default) and --drop each print their own script.
TEST_F(CommandOutputs, ShowPrintsTheScriptItNames) {
  ASSERT_EQ(In({"import", "shop", "shop.sql"}).exitCode, 0);
  const std::string source = "CREATE TABLE Orders (id int NOT NULL, qty int NULL)\n";
  const std::string dest = "create table Orders (id int not null, qty int null)\n";
  EXPECT_EQ(In({"show", "shop", "Orders", "--source"}).out, source);
  // --dest compiles the table, which gives its drop script as well.
  EXPECT_EQ(In({"show", "shop", "Orders", "--dest"}).out, dest);
  EXPECT_EQ(In({"show", "shop", "Orders"}).out, dest);
  const RunResult drop = In({"show", "shop", "Orders", "--drop"});
  EXPECT_EQ(drop.exitCode, 0) << drop.err;
  EXPECT_THAT(drop.out, AllOf(StartsWith("if exists( select * from SysTable where Table_Name = 'Orders')\n"),
                              HasSubstr("  drop table "), Not(HasSubstr("create table")), Not(HasSubstr("CREATE"))));
  EXPECT_EQ(In({"show", "shop", "procedure:" + std::string(kProcedure), "--source"}).out,
            "CREATE PROCEDURE [Отчёт, \"год\"]\nAS\n  SELECT name FROM sysobjects\n");
}

// The line (from 1) of the generated file where `head` starts a line; 0
// when none does.
int LineStarting(const std::string& file, const std::string& head) {
  const std::vector<std::string> lines = Lines(file);
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (lines[i].rfind(head, 0) == 0) return static_cast<int>(i) + 1;
  return 0;
}

// A warning without a place (stored at line 0: its word is not in the
// converted script) is reported at its object's first line in the generated
// file, column 0; the project's own list keeps line 0.
TEST_F(CommandOutputs, AWarningWithoutAPlaceStandsAtItsObjectsFirstLine) {
  ASSERT_EQ(In({"import", "shop", "shop.sql"}).exitCode, 0);
  ASSERT_EQ(In({"compile", "shop"}).exitCode, 0);
  Sql("update AlarmObject set NumLine = 0, NumPos = 0");
  EXPECT_THAT(In({"alarms", "shop"}).out, StartsWith("[procedure " + std::string(kProcedure) + "]:0:0: "));
  const RunResult r = In({"generate", "shop", "-o", "shop.asa.sql"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const int first = LineStarting(Read(dir_ / "shop.asa.sql"), "create procedure ");
  ASSERT_GT(first, 1);
  EXPECT_THAT(Lines(r.err), ::testing::ElementsAre(StartsWith("shop.asa.sql:" + std::to_string(first) + ":0: warning: ")));

  // The same from a conversion: ROUND's third argument goes, and with it the
  // global variable the warning is about.
  Write("round.sql", "CREATE TABLE T1 (a int)\nGO\nCREATE PROCEDURE P2 @a money\nAS\n"
                     "  SELECT 1\n  SELECT ROUND(@a, 2, @@LOCK_TIMEOUT)\nGO\n");
  const RunResult converted = Ambrix({"convert", "-q", "round.sql"});
  ASSERT_EQ(converted.exitCode, 0) << converted.err;
  const std::string script = Read(dir_ / "round.asa.sql");
  ASSERT_THAT(script, Not(HasSubstr("@@LOCK_TIMEOUT")));
  const std::string head = "round.asa.sql:" + std::to_string(LineStarting(script, "create procedure P2")) + ":0: ";
  EXPECT_THAT(converted.err, HasSubstr(head + "warning: Глобальная переменная MS SQL Server"));
}

// An input that exists but cannot be read stops import and convert with
// exit code 3 and the reason; nothing is stored or written.
TEST_F(CommandOutputs, AnUnreadableInputIsAnErrorNamingIt) {
  // Unreadable to root as well: it opens but refuses to be read.
  std::vector<std::string> inputs{"/proc/self/clear_refs"};
  if (geteuid() != 0) {
    Write("locked.sql", kScript);
    ASSERT_EQ(chmod((dir_ / "locked.sql").c_str(), 0), 0);
    inputs.push_back("locked.sql");
  }
  for (const std::string& input : inputs) {
    const RunResult imported = In({"import", "shop", input});
    EXPECT_EQ(imported.exitCode, 3) << input;
    EXPECT_THAT(imported.err, HasSubstr(input + ": error: cannot be read: ")) << input;
    const RunResult converted = Ambrix({"convert", "-q", input, "-o", "out.sql"});
    EXPECT_EQ(converted.exitCode, 3) << input;
    EXPECT_THAT(converted.err, HasSubstr(input + ": error: cannot be read: ")) << input;
    EXPECT_FALSE(std::filesystem::exists(dir_ / "out.sql"));
  }
  EXPECT_THAT(In({"project", "show", "shop"}).out, HasSubstr("Objects:  0"));
}

// import reads its files in the encoding it is told; bytes that are no text
// in it are an error and nothing is stored.
TEST_F(CommandOutputs, ImportReadsTheInputEncodingItIsTold) {
  // "-- Клиенты" in Windows-1251.
  Write("cp.sql", "CREATE TABLE T1 ( -- \xCA\xEB\xE8\xE5\xED\xF2\xFB\n  a int)\nGO\n");
  std::string utf16;
  for (const char c : std::string("CREATE TABLE T2 (a int)\nGO\n")) utf16 += {c, '\0'};
  Write("wide.sql", utf16);
  struct Case {
    std::string file, encoding;
    int exitCode;
    std::string object, source;
  };
  const std::vector<Case> cases = {
      {"cp.sql", "utf-8", 3, "", ""},
      {"cp.sql", "windows-1251", 0, "T1", "CREATE TABLE T1 ( -- Клиенты\n  a int)\n"},
      {"wide.sql", "utf-16le", 0, "T2", "CREATE TABLE T2 (a int)\n"},
  };
  for (const Case& c : cases) {
    const RunResult r = In({"import", "shop", c.file, "--input-encoding", c.encoding});
    EXPECT_EQ(r.exitCode, c.exitCode) << c.file << " " << c.encoding << "\n" << r.err;
    if (c.exitCode != 0) {
      EXPECT_THAT(r.err, HasSubstr(c.file + ": error: ")) << c.encoding;
      EXPECT_THAT(In({"project", "show", "shop"}).out, HasSubstr("Objects:  0"));
      continue;
    }
    EXPECT_EQ(In({"show", "shop", c.object, "--source"}).out, c.source) << c.encoding;
  }
}

TEST_F(CommandOutputs, ResetOfAnUnknownTypeIsAUsageErrorAndResetsNothing) {
  ASSERT_EQ(In({"import", "shop", "shop.sql"}).exitCode, 0);
  ASSERT_EQ(In({"compile", "shop"}).exitCode, 0);
  const RunResult r = In({"reset", "shop", "--type", "gadget"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_THAT(r.err, HasSubstr("unknown object type 'gadget'"));
  EXPECT_EQ(r.out, "");
  const RunResult again = Ambrix({"compile", "shop", "--repository", RepositoryFile()});
  EXPECT_EQ(again.exitCode, 0) << again.err;
  EXPECT_THAT(again.err, Not(HasSubstr("Скомпилирован обьект")));
}

// The project of a conversion is named after its first input, cut to the
// fifty characters a project name may have (characters, not bytes).
TEST_F(CommandOutputs, ConvertNamesItsProjectAfterTheInputCutToFiftyCharacters) {
  std::string stem, kept;
  for (int i = 0; i < 60; ++i) {
    const std::string letter = i < 49 ? "Ж" : i == 49 ? "Ы" : "Щ";
    stem += letter;
    if (i < 50) kept += letter;
  }
  Write(stem + ".sql", "CREATE TABLE T1 (a int)\nGO\n");
  const RunResult direct = Ambrix({"convert", "-q", stem + ".sql", "-o", "direct.sql"});
  ASSERT_EQ(direct.exitCode, 0) << direct.err;
  EXPECT_THAT(Read(dir_ / "direct.sql"), HasSubstr("> Проект: \"" + kept + "\"\r\n"));
  const std::string repo = RepositoryFile("kept.sqlite3");
  const RunResult stored = Ambrix({"convert", "-q", stem + ".sql", "-o", "stored.sql", "--repository", repo});
  ASSERT_EQ(stored.exitCode, 0) << stored.err;
  EXPECT_THAT(Read(dir_ / "stored.sql"), HasSubstr("> Проект: \"" + kept + "\"\r\n"));
  EXPECT_THAT(Ambrix({"project", "list", "--repository", repo}).out, StartsWith(kept + " "));
}

}  // namespace
}  // namespace ambrix::test
