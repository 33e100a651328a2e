// `ambrix convert`: the whole job in one command, its diagnostics and its
// failures.

#include <regex>

#include <gmock/gmock.h>

#include "run_ambrix.h"
#include "text/utf8.h"

namespace ambrix::test {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

// A table, a procedure that cannot be converted (ROUND needs two or three
// arguments), and a procedure that reads a system table after a Russian
// literal, so that characters and bytes differ before the warned word.
const char kMixedScript[] =
    "CREATE TABLE [dbo].[T1] (\n"
    "\t[Id] [int] NOT NULL\n"
    ") ON [PRIMARY]\n"
    "GO\n"
    "\n"
    "CREATE PROCEDURE dbo.Broken @x money\n"
    "AS\n"
    "  SELECT ROUND(@x)\n"
    "GO\n"
    "\n"
    "CREATE PROCEDURE dbo.Fine\n"
    "AS\n"
    "  SELECT 'Привет', name FROM sysobjects\n"
    "GO\n";

struct Warning {
  std::string file;
  int line = 0;
  int column = 0;
  std::string word;
  std::string tag;
};

// The warnings of stderr, in the form FILE:LINE:COL: warning: TEXT: WORD [TYPE OBJECT].
std::vector<Warning> Warnings(const std::string& err) {
  std::vector<Warning> warnings;
  const std::regex form(R"(^(.+):(\d+):(\d+): warning: .*: ([^:\[]+) (\[[^\]]+\])$)");
  for (const std::string& line : Lines(err)) {
    std::smatch m;
    if (!std::regex_match(line, m, form)) continue;
    warnings.push_back({m[1], std::stoi(m[2]), std::stoi(m[3]), m[4], m[5]});
  }
  return warnings;
}

// The text of `line` (1-based) of a file from character `column` (1-based) on.
std::string TextAt(const std::string& fileText, int line, int column) {
  const std::vector<std::string> lines = Lines(fileText);
  if (line < 1 || line > static_cast<int>(lines.size())) return {};
  const std::string& text = lines[static_cast<std::size_t>(line - 1)];
  return text.substr(Utf8ByteOffset(text, static_cast<std::size_t>(column - 1)));
}

using Convert = CliTest;

TEST_F(Convert, WritesTheScriptBesideTheFirstInputAndLeavesNoRepository) {
  std::filesystem::copy_file(Example("demo.sql"), dir_ / "demo.sql");
  const RunResult r = Ambrix({"convert", "demo.sql"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "");
  const std::string script = Read(dir_ / "demo.asa.sql");
  EXPECT_THAT(script, HasSubstr("> Velkor Ambrix Data Convertor\r\n"));
  EXPECT_THAT(script, HasSubstr("print 'Customer'\r\n"));
  EXPECT_THAT(script, HasSubstr("print 'trOrderLine_Stock'\r\n"));
  EXPECT_THAT(r.err, HasSubstr("Скрипт успешно сгенерирован"));  // the converter's log
  EXPECT_THAT(r.err, HasSubstr("ambrix: wrote demo.asa.sql ("));
  // The one-shot conversion works in memory: no repository appears anywhere.
  EXPECT_FALSE(std::filesystem::exists(dir_ / "ambrix"));
  EXPECT_THAT(r.err, Not(HasSubstr("\033[")));  // no progress bar on a pipe
}

TEST_F(Convert, OnATerminalTheBarIsDrawnBetweenTheLogLinesAndGoneAtTheEnd) {
  std::filesystem::copy_file(Example("demo.sql"), dir_ / "demo.sql");
  const RunResult piped = Ambrix({"convert", "demo.sql"});
  const RunResult shown = AmbrixOnTerminal({"convert", "demo.sql"});
  ASSERT_EQ(shown.exitCode, piped.exitCode) << shown.err;
  EXPECT_THAT(shown.err, HasSubstr("] 0%\033[K"));  // the bar was drawn

  // A frame is followed by the next frame or by what erases it: never by
  // a log line written on after the bar.
  const std::regex frame(R"(\r[^\r\n]*\] [0-9]+%\x1b\[K)");
  int frames = 0;
  for (auto it = std::sregex_iterator(shown.err.begin(), shown.err.end(), frame); it != std::sregex_iterator(); ++it) {
    ++frames;
    const std::size_t after = static_cast<std::size_t>(it->position() + it->length());
    EXPECT_TRUE(after < shown.err.size() && shown.err[after] == '\r') << shown.err.substr(after, 40);
  }
  EXPECT_GE(frames, 1);

  // Without the bar's frames and what erases them, the terminal got every
  // line a pipe gets, whole and in the same order (its line ends are CR LF).
  std::string text = std::regex_replace(shown.err, frame, "");
  text = std::regex_replace(text, std::regex(R"(\r\x1b\[K)"), "");
  EXPECT_EQ(Lines(text), Lines(piped.err));
  // The last thing on the terminal is the summary line, not a bar.
  EXPECT_THAT(shown.err.substr(shown.err.rfind("ambrix: wrote")), Not(HasSubstr("%")));
}

TEST_F(Convert, WarningsPointAtTheirWordInTheGeneratedFile) {
  std::filesystem::copy_file(Example("demo.sql"), dir_ / "demo.sql");
  Write("mixed.sql", kMixedScript);
  const RunResult r = Ambrix({"convert", "-q", "-k", "demo.sql", "mixed.sql", "-o", "out/all.sql"});
  ASSERT_FALSE(std::filesystem::exists(dir_ / "out"));
  EXPECT_EQ(r.exitCode, 3);  // the output folder does not exist
  std::filesystem::create_directory(dir_ / "out");

  const RunResult ok = Ambrix({"convert", "-q", "-k", "demo.sql", "mixed.sql", "-o", "out/all.sql"});
  EXPECT_EQ(ok.exitCode, 1) << ok.err;  // Broken failed
  const std::string script = Read(dir_ / "out" / "all.sql");
  const std::vector<Warning> warnings = Warnings(ok.err);
  ASSERT_GE(warnings.size(), 3u) << ok.err;
  std::vector<std::string> tags;
  for (const Warning& w : warnings) {
    EXPECT_EQ(w.file, "out/all.sql");
    tags.push_back(w.tag);
    // The INSTEAD OF words are gone from the converted trigger; its warning
    // points at the trigger's first line.
    if (w.tag == "[trigger trProduct_NoDelete]") {
      EXPECT_THAT(TextAt(script, w.line, w.column), ::testing::StartsWith("create trigger trProduct_NoDelete"));
      continue;
    }
    // Every other warned word stands at the given line and character column.
    EXPECT_TRUE(SameText(TextAt(script, w.line, w.column).substr(0, w.word.size()), w.word))
        << w.line << ":" << w.column << " " << w.word << " in: " << TextAt(script, w.line, 1);
  }
  EXPECT_THAT(tags, ::testing::Contains("[procedure Fine]"));
  EXPECT_THAT(tags, ::testing::Contains("[procedure OrderReport]"));
  EXPECT_THAT(tags, ::testing::Contains("[trigger trProduct_NoDelete]"));
  // In line order, as a compiler lists them.
  for (std::size_t i = 1; i < warnings.size(); ++i) EXPECT_LE(warnings[i - 1].line, warnings[i].line);
}

TEST_F(Convert, StopsAtTheFirstFailedObjectWithItsScriptLine) {
  Write("mixed.sql", kMixedScript);
  const RunResult r = Ambrix({"convert", "-q", "mixed.sql"});
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_THAT(r.err, HasSubstr("mixed.sql:6: error: Странная функция ROUND [procedure Broken]\n"));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "mixed.asa.sql"));
}

TEST_F(Convert, KeepGoingGeneratesWhatCompiledAndStillSaysObjectsFailed) {
  Write("mixed.sql", kMixedScript);
  const RunResult r = Ambrix({"convert", "--keep-going", "mixed.sql"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_THAT(r.err, HasSubstr("mixed.sql:6: error: Странная функция ROUND [procedure Broken]\n"));
  EXPECT_THAT(r.err, HasSubstr("(2 objects, 1 warnings, 1 failed)"));
  const std::string script = Read(dir_ / "mixed.asa.sql");
  EXPECT_THAT(script, AllOf(HasSubstr("print 'T1'"), HasSubstr("print 'Fine'"), Not(HasSubstr("Broken"))));
}

TEST_F(Convert, AFailureNamesTheInputItWasReadFrom) {
  Write("first.sql", "CREATE TABLE T0 (a int)\nGO\n");
  Write("mixed.sql", kMixedScript);
  const RunResult r = Ambrix({"convert", "-q", "--keep-going", "first.sql", "mixed.sql", "-o", "out.sql"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_THAT(r.err, HasSubstr("mixed.sql:6: error: Странная функция ROUND [procedure Broken]\n"));
  EXPECT_THAT(r.err, Not(HasSubstr("first.sql:")));
}

TEST_F(Convert, KeepGoingPassesOverABatchThatDoesNotParse) {
  Write("bad.sql", std::string(kMixedScript) + "CREATE TABLE T2 (a int,\n  b varchar(10)\nGO\nCREATE TABLE T3 (a int)\nGO\n");
  const RunResult r = Ambrix({"convert", "-q", "-k", "bad.sql", "--types", "table"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_THAT(r.err, HasSubstr("bad.sql:15:18: error: Ошибка вложений разделителя"));
  EXPECT_THAT(Read(dir_ / "bad.asa.sql"), AllOf(HasSubstr("print 'T1'"), HasSubstr("print 'T3'")));
}

TEST_F(Convert, TypesChooseWhatIsConverted) {
  std::filesystem::copy_file(Example("demo.sql"), dir_ / "demo.sql");
  const RunResult r = Ambrix({"convert", "-q", "demo.sql", "--types", "table, primary-key", "-o", "t.sql"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string script = Read(dir_ / "t.sql");
  EXPECT_THAT(script, HasSubstr("> Участвующие типы обьектов: 'table', 'constraint primary key'"));
  EXPECT_THAT(script, AllOf(HasSubstr("print 'OrderLine'"), HasSubstr("print 'PK_OrderLine'")));
  EXPECT_THAT(script, AllOf(Not(HasSubstr("print 'vOrderTotal'")), Not(HasSubstr("print 'AddOrder'"))));
}

TEST_F(Convert, BadInputsGiveAClearErrorAndExitThree) {
  Write("binary.sql", std::string("CREATE TABLE\0\x01\x02 t", 18));
  // A NUL byte past the first pieces the check reads: its line counts them all.
  std::string late;
  for (int i = 0; i < 10000; ++i) late += "-- line\n";
  Write("late-binary.sql", late + std::string("x\0", 2));
  Write("unclosed.sql", "CREATE TABLE T1 (a int)\nGO\n\nCREATE VIEW v AS SELECT (a FROM T1\nGO\n");
  std::filesystem::create_directory(dir_ / "folder.sql");
  struct Case {
    std::string input;
    std::string error;
  };
  const std::vector<Case> cases = {
      {"missing.sql", "missing.sql: error: no such file"},
      {"binary.sql", "binary.sql: error: binary data (a NUL byte at offset 12, line 1): not a text script"},
      {"late-binary.sql", "late-binary.sql: error: binary data (a NUL byte at offset 80001, line 10001): not a text script"},
      {"folder.sql", "folder.sql: error: is a directory"},
      {"unclosed.sql", "unclosed.sql:4:26: error: Ошибка вложений разделителя: "},
  };
  for (const Case& c : cases) {
    const RunResult r = Ambrix({"convert", "-q", c.input});
    EXPECT_EQ(r.exitCode, 3) << c.input;
    EXPECT_THAT(r.err, HasSubstr(c.error)) << c.input;
    EXPECT_FALSE(std::filesystem::exists(dir_ / (std::filesystem::path(c.input).stem().string() + ".asa.sql")));
  }
}

TEST_F(Convert, RefusesToOverwriteItsInput) {
  Write("a.sql", "CREATE TABLE T1 (a int)\nGO\n");
  const RunResult r = Ambrix({"convert", "a.sql", "-o", "./a.sql"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_THAT(r.err, HasSubstr("would overwrite the input"));
  EXPECT_EQ(Read(dir_ / "a.sql"), "CREATE TABLE T1 (a int)\nGO\n");
}

TEST_F(Convert, ReadsWindows1251AndWritesEitherEncoding) {
  // "-- Клиенты" in Windows-1251, then a table.
  Write("cp.sql", "CREATE TABLE T1 ( -- \xCA\xEB\xE8\xE5\xED\xF2\xFB\n  a int)\nGO\n");
  ASSERT_EQ(Ambrix({"convert", "-q", "cp.sql"}).exitCode, 0);
  EXPECT_THAT(Read(dir_ / "cp.asa.sql"), HasSubstr("-- Клиенты"));
  ASSERT_EQ(Ambrix({"convert", "-q", "cp.sql", "--output-encoding", "windows-1251", "-o", "cp1251.sql"}).exitCode, 0);
  EXPECT_THAT(Read(dir_ / "cp1251.sql"), HasSubstr("-- \xCA\xEB\xE8\xE5\xED\xF2\xFB"));
  // Read as UTF-8 when told so, the same bytes are no text.
  const RunResult named = Ambrix({"convert", "-q", "cp.sql", "--input-encoding", "utf-8"});
  EXPECT_EQ(named.exitCode, 3);
  EXPECT_THAT(named.err, HasSubstr("cp.sql: error: "));
}

TEST_F(Convert, ACharacterTheOutputEncodingLacksIsAnErrorAndNoFile) {
  Write("cjk.sql", "CREATE TABLE T1 ( -- 漢字\n  a int)\nGO\n");
  const RunResult r = Ambrix({"convert", "-q", "cjk.sql", "--output-encoding", "windows-1251"});
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_THAT(r.err, HasSubstr("ambrix: error: "));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "cjk.asa.sql"));
}

TEST_F(Convert, QuietKeepsOnlyDiagnostics) {
  Write("mixed.sql", kMixedScript);
  const RunResult r = Ambrix({"convert", "-q", "-k", "mixed.sql"});
  for (const std::string& line : Lines(r.err))
    EXPECT_THAT(line, ::testing::StartsWith("mixed.")) << "not a diagnostic: " << line;
  EXPECT_THAT(Lines(r.err), ::testing::SizeIs(2));
}

TEST_F(Convert, WithARepositoryTheProjectStays) {
  Write("mixed.sql", kMixedScript);
  const std::string repo = RepositoryFile();
  const RunResult r = Ambrix({"convert", "-q", "-k", "mixed.sql", "--repository", repo, "--project", "keep"});
  EXPECT_EQ(r.exitCode, 1) << r.err;
  EXPECT_THAT(Ambrix({"project", "list", "--repository", repo}).out, ::testing::StartsWith("keep "));
  // A second run finds the project and its compiled objects; Broken fails again.
  const RunResult again = Ambrix({"convert", "-q", "-k", "mixed.sql", "--repository", repo, "--project", "keep"});
  EXPECT_EQ(again.exitCode, 1) << again.err;
  EXPECT_THAT(Lines(Ambrix({"project", "list", "--repository", repo}).out), ::testing::SizeIs(1));
  EXPECT_THAT(Read(dir_ / "mixed.asa.sql"), HasSubstr("print 'Fine'"));
  EXPECT_THAT(again.err, HasSubstr("mixed.sql:6: error: Странная функция ROUND [procedure Broken]"));
}

}  // namespace
}  // namespace ambrix::test
