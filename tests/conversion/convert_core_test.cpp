#include "conversion/convert_core.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "parser/parser_text_word_list.h"
#include "recognition/commands.h"
#include "text/error.h"
#include "text/tsv_table.h"

namespace ambrix {
namespace {

TReservedWordRow Row(std::string start, std::string type, std::optional<std::string> end = std::nullopt,
                     int isWord = 1, int isMain = 0) {
  return {std::move(start), std::move(type), std::move(end), isWord, isMain};
}

// The four required delimiters.
std::vector<TReservedWordRow> Required() {
  return {Row(".", "OBJECT_DIV", std::nullopt, 0), Row(",", "LIST_DIV", std::nullopt, 0),
          Row("(", "BLOCK", ")", 0), Row("'", "TEXT", "'", 0)};
}

// A dialect that the eighteen commands can bind to.
std::vector<TReservedWordRow> WithCommands() {
  std::vector<TReservedWordRow> rows = Required();
  for (const char* start :
       {"create table", "create default", "create view", "create procedure", "create proc", "create function",
        "create trigger", "create index", "create unique index", "create clustered index",
        "create nonclustered index", "create unique clustered index", "create unique nonclustered index",
        "exec sp_addtype", "alter table", "exec sp_bindefault", "create rule", "exec sp_bindrule"})
    rows.push_back(Row(start, "DML", std::nullopt, 1, 1));
  return rows;
}

std::string ErrorOf(TConvertCore& core, const std::vector<TReservedWordRow>& rows) {
  try {
    core.LoadTerms(rows);
  } catch (const Error& e) {
    return e.what();
  }
  return "";
}

const TTerm* TermOf(const TConvertCore& core, std::string_view start) {
  int i = core.Terms.IndexOfStart(start);
  return i < 0 ? nullptr : core.Terms.Items(i);
}

TEST(ConvertCoreLoadTerms, TurnsRowsIntoTermsByType) {
  TConvertCore core;
  std::vector<TReservedWordRow> rows = Required();
  rows.push_back(Row("--", "comment", std::nullopt, 0));
  rows.push_back(Row("/*", " Comment ", "*/", 0));
  rows.push_back(Row("[", "OBJECT_NAME", "]", 0));
  rows.push_back(Row("CASE", "KEYWORD", "END"));
  rows.push_back(Row("getdate", "SysFunc"));
  rows.push_back(Row("@@error", "sysglobalvar"));
  rows.push_back(Row("nocount", "sysoption"));
  rows.push_back(Row("checkpoint", "syscommand"));
  rows.push_back(Row("sysobjects", "systable"));
  rows.push_back(Row("SELECT", "DML", std::nullopt, 1, 1));
  rows.push_back(Row("=", "OPERATOR", std::nullopt, 0));
  core.LoadTerms(rows);

  struct Case {
    const char* start;
    const char* type;
    TCaseStyle style;
    bool nested;
    TCharClasses ignoreNear;
    bool isWord;
    const char* tag;
  };
  const Case cases[] = {
      {".", "OBJECT_DIV", csLower, false, ccDigit, false, "child"},
      {",", "LIST_DIV", csLower, false, 0, false, "child"},
      {"(", "BLOCK", csLower, true, 0, false, "child"},
      {"'", "TEXT", csLower, false, 0, false, "child"},
      {"[", "OBJECT_NAME", csLower, false, 0, false, "child"},
      {"--", "#COMMENT#", csAsIs, false, 0, false, "child"},
      {"/*", "#COMMENT#", csAsIs, false, 0, false, "child"},
      {"CASE", "KEYWORD", csLower, true, 0, true, "child"},
      {"GETDATE", "SYSFUNC", csCapitalized, false, 0, true, "child"},
      {"@@ERROR", "SYSGLOBALVAR", csUpper, false, 0, true, "child"},
      {"NOCOUNT", "SYSOPTION", csUpper, false, 0, true, "child"},
      {"CHECKPOINT", "SYSCOMMAND", csUpper, false, 0, true, "child"},
      {"SYSOBJECTS", "SYSTABLE", csLower, false, 0, true, "child"},
      {"SELECT", "DML", csLower, false, 0, true, "main"},
      {"=", "OPERATOR", csLower, false, 0, false, "child"},
  };
  for (const Case& c : cases) {
    const TTerm* t = TermOf(core, c.start);
    ASSERT_NE(t, nullptr) << c.start;
    EXPECT_EQ(t->Kind, tkDefined) << c.start;
    EXPECT_EQ(t->TypeName, c.type) << c.start;
    EXPECT_EQ(t->CaseStyle, c.style) << c.start;
    EXPECT_EQ(t->Nested, c.nested) << c.start;
    EXPECT_EQ(t->IgnoreNear, c.ignoreNear) << c.start;
    EXPECT_EQ(t->IsWord, c.isWord) << c.start;
    EXPECT_EQ(t->Tags, std::vector<std::string>{c.tag}) << c.start;
  }
  EXPECT_TRUE(TermOf(core, "--")->EndsAtLineEnd()) << "a comment row without end word is a line comment";
  EXPECT_EQ(TermOf(core, "/*")->EndText(), "*/");
  EXPECT_EQ(TermOf(core, "CASE")->EndText(), "END");
  EXPECT_TRUE(core.Terms.Prepared);
  EXPECT_EQ(core.Context.CommentTermName, "#COMMENT#");
  EXPECT_EQ(core.Context.TextTermName, "TEXT");
  EXPECT_EQ(core.Context.Terms, &core.Terms);
}

TEST(ConvertCoreLoadTerms, FlagsOtherThanOneAreFalse) {
  TConvertCore core;
  std::vector<TReservedWordRow> rows = Required();
  rows.push_back(Row("+", "OPERATOR", std::nullopt, 2, 2));
  core.LoadTerms(rows);
  const TTerm* plus = TermOf(core, "+");
  ASSERT_NE(plus, nullptr);
  EXPECT_FALSE(plus->IsWord);
  EXPECT_EQ(plus->Tags, std::vector<std::string>{"child"});
}

TEST(ConvertCoreLoadTerms, BlankEndWordIsNoEndWord) {
  // A pair whose end is blanks could never close: it loads as a word, and a
  // comment row like it as a line comment.
  TConvertCore core;
  std::vector<TReservedWordRow> rows = Required();
  rows.push_back(Row("CASE", "KEYWORD", "  "));
  rows.push_back(Row("//", "COMMENT", " ", 0));
  core.LoadTerms(rows);
  EXPECT_EQ(TermOf(core, "CASE")->EndText(), "");
  EXPECT_TRUE(TermOf(core, "//")->EndsAtLineEnd());
}

TEST(ConvertCoreLoadTerms, KeepsTheFirstTermReadOfEachRequiredType) {
  TConvertCore core;
  std::vector<TReservedWordRow> rows = {Row("\"", "TEXT", "\"", 0)};
  for (const TReservedWordRow& r : Required()) rows.push_back(r);
  rows.push_back(Row("{", "BLOCK", "}", 0));
  core.LoadTerms(rows);
  EXPECT_EQ(core.Context.TextTerm->StartText(), "\"");
  EXPECT_EQ(core.Context.BlockTerm->StartText(), "(");
  EXPECT_EQ(core.Context.ObjectDivTerm->StartText(), ".");
  EXPECT_EQ(core.Context.ListDivTerm->StartText(), ",");
}

TEST(ConvertCoreLoadTerms, MissingRequiredTypeRaisesItsMessage) {
  const char* messages[] = {"Разделитель обьектов имени не найден", "Разделитель параметров не найден",
                            "Разделитель блока не найден", "Разделитель текста не найден"};
  for (int missing = 0; missing < 4; ++missing) {
    std::vector<TReservedWordRow> rows = Required();
    rows.erase(rows.begin() + missing);
    TConvertCore core;
    EXPECT_EQ(ErrorOf(core, rows), messages[missing]);
    EXPECT_EQ(core.Terms.Count(), 3) << "the terms read stay";
  }
}

TEST(ConvertCoreLoadTerms, RejectsRepeatedStartSequence) {
  TConvertCore core;
  std::vector<TReservedWordRow> rows = Required();
  rows.push_back(Row("create  table", "DML"));
  rows.push_back(Row(" CREATE TABLE ", "KEYWORD"));
  EXPECT_EQ(ErrorOf(core, rows), "Разделитель уже зарегистрирован");
}

TEST(ConvertCoreLoadTerms, ReloadingEmptiesWhatReferredToTheOldTerms) {
  TConvertCore core;
  core.LoadTerms(WithCommands());
  core.RegisterCommands();
  core.RegisterAnalizers();
  ASSERT_EQ(core.Commands.Count(), 18);
  ASSERT_GT(core.Analizers.Count(), 0);
  std::vector<std::string> lines{"create table t (a int)"};
  core.Parser.Parse(lines, core.Terms, core.Words);
  ASSERT_FALSE(core.Words.Empty());

  core.LoadTerms(WithCommands());
  EXPECT_EQ(core.Commands.Count(), 0);
  EXPECT_EQ(core.Analizers.Count(), 0);
  EXPECT_TRUE(core.Words.Empty());
  EXPECT_EQ(core.Terms.Count(), 22);
  core.RegisterCommands();
  EXPECT_EQ(core.Commands.Count(), 18);
}

TEST(ConvertCoreLoadTerms, FailedReloadLeavesNoStaleSpecialTerm) {
  TConvertCore core;
  core.LoadTerms(Required());
  std::vector<TReservedWordRow> rows = Required();
  rows.pop_back();  // no TEXT
  EXPECT_EQ(ErrorOf(core, rows), "Разделитель текста не найден");
  EXPECT_EQ(core.Context.TextTerm, nullptr);
  EXPECT_EQ(core.Context.BlockTerm->StartText(), "(");
}

TEST(ConvertCoreClose, EmptiesTermsRegistriesAndSpecialTerms) {
  TConvertCore core;
  core.LoadTerms(WithCommands());
  core.RegisterCommands();
  core.RegisterAnalizers();
  core.Close();
  EXPECT_EQ(core.Terms.Count(), 0);
  EXPECT_EQ(core.Commands.Count(), 0);
  EXPECT_EQ(core.Analizers.Count(), 0);
  EXPECT_TRUE(core.Words.Empty());
  EXPECT_EQ(core.Context.ObjectDivTerm, nullptr);
  EXPECT_EQ(core.Context.ListDivTerm, nullptr);
  EXPECT_EQ(core.Context.BlockTerm, nullptr);
  EXPECT_EQ(core.Context.TextTerm, nullptr);
}

TEST(ConvertCoreRegisterCommands, StopsAtTheFirstMissingKeyTerm) {
  TConvertCore core;
  std::vector<TReservedWordRow> rows = WithCommands();
  std::erase_if(rows, [](const TReservedWordRow& r) { return r.StartWord == "create proc"; });
  core.LoadTerms(rows);
  try {
    core.RegisterCommands();
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Не найдено определение команды создания процедуры");
  }
  EXPECT_EQ(core.Commands.Count(), 4) << "table, default, view and procedure were registered";
}

TEST(ConvertCoreNames, SplitsQualifiedNamesAtTheDialectsDivider) {
  TConvertCore core;
  std::vector<TReservedWordRow> rows = Required();
  rows.push_back(Row("[", "OBJECT_NAME", "]", 0));
  core.LoadTerms(rows);
  std::vector<std::string> lines{"srv.db.dbo.[Order Details] (1.5)"};
  core.Parser.Parse(lines, core.Terms, core.Words);
  TObjectName name = core.SplitObjectName(core.Words, 0);
  EXPECT_EQ(name.Parts, (std::array<std::string, 4>{"srv", "db", "dbo", "Order Details"}));
  int last = -1;
  EXPECT_EQ(core.ParseObjectName(core.Words, 0, last), "Order Details");
  EXPECT_EQ(last, 6);
  EXPECT_EQ(TConvertCore::ClearObjectName("dbo.[DF_Orders_Qty]"), "DF_Orders_Qty");
}

TEST(ReservedWordRows, ReadsTheRowsOfOneDialect) {
  TTsvTable table = TTsvTable::Parse(
      "Dialect_id\tStartWord\tTypeReservedWord\tEndWord\tIsWord\tIsMain\n"
      "1\t(\tBLOCK\t)\t0\t0\n"
      "2\tBEGIN\tBLOCK\tEND\t1\t0\n"
      "1\tSELECT\tDML\t\\N\t1\t1\n",
      "reserved_word.tsv");
  std::vector<TReservedWordRow> rows = ReservedWordRows(table, 1);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].StartWord, "(");
  EXPECT_EQ(rows[0].EndWord, std::optional<std::string>(")"));
  EXPECT_EQ(rows[1].StartWord, "SELECT");
  EXPECT_EQ(rows[1].TypeReservedWord, "DML");
  EXPECT_FALSE(rows[1].EndWord.has_value());
  EXPECT_EQ(rows[1].IsWord, 1);
  EXPECT_EQ(rows[1].IsMain, 1);
}

}  // namespace
}  // namespace ambrix
