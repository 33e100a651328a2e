// Built-in function mappings and the system-object alarms, on texts parsed
// with the dialect of data/: functions print with a capital initial.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "conversion/alarm_object.h"
#include "conversion/convert_object.h"
#include "rewriting/builtin_rules.h"
#include "rewriting/raiserror_rules.h"
#include "rewriting/statement_rules.h"
#include "rule_fixture.h"

namespace ambrix {
namespace {

struct LineCase {
  const char* source;
  const char* expected;
};

class BuiltinFunctions : public RuleTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(BuiltinFunctions, MapToWatcomSql) {
  EXPECT_EQ(ApplyLine(GetParam().source, {ConvertBuiltinFunctions}), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Aggregates, BuiltinFunctions,
    ::testing::Values(LineCase{"SELECT COUNT_BIG(ALL x) FROM t", "select Count (x) from t"},
                      LineCase{"select count_big(all x) from t", "select Count (x) from t"},
                      LineCase{"SELECT COUNT_BIG(*) FROM t", "select Count (*) from t"},
                      LineCase{"SELECT SUM(ALL x), AVG(ALL y), COUNT(ALL z) FROM t",
                               "select Sum (x), Avg (y), Count (z) from t"},
                      LineCase{"SELECT COUNT(*), COUNT(DISTINCT x) FROM t",
                               "select Count (*), Count (distinct x) from t"},
                      LineCase{"SELECT SUM(/* all */ x) FROM t", "select Sum (/* all */ x) from t"}));

INSTANTIATE_TEST_SUITE_P(
    Identity, BuiltinFunctions,
    ::testing::Values(LineCase{"SET @id = SCOPE_IDENTITY()", "set @id = @@IDENTITY"},
                      LineCase{"SET @id = IDENT_CURRENT('T')", "set @id = @@IDENTITY"},
                      LineCase{"SELECT IDENTITY(int, 1, 1) AS id INTO #t FROM u",
                               "select Number (*) as id into #t from u"},
                      LineCase{"SELECT IDENTITY() AS id INTO #t FROM u", "select Number (*) as id into #t from u"}));

TEST_F(RuleTest, IdentityThatStartsOrStepsOtherThanByOneIsReported) {
  EXPECT_EQ(ApplyLine("SELECT IDENTITY(int, 100, 10) AS id, a INTO #t FROM u", {ConvertBuiltinFunctions}),
            "select Number (*) as id, a into #t from u");
  TAlarmList alarms;
  ReportAlarmMarks(words, alarms);
  ASSERT_EQ(alarms.Count(), 1);
  EXPECT_EQ(alarms.Items(0).VarName, "IdentityNumbering");
  EXPECT_EQ(alarms.Items(0).Word, "Identity (int, 100, 10)");
}

INSTANTIATE_TEST_SUITE_P(
    CharIndex, BuiltinFunctions,
    // The target's Locate names the searched text first and gives 0, not
    // start - 1, when nothing is found.
    ::testing::Values(LineCase{"SET @x = CHARINDEX(@a, @b, 5)", "set @x = Locate (@b, @a, 5)"},
                      LineCase{"SET @x = CHARINDEX(@a, @b, @i + 1)", "set @x = Locate (@b, @a, @i + 1)"},
                      LineCase{"IF CHARINDEX(',', SUBSTRING(@s, 2, 9), LEN(@p)) > 0",
                               "if Locate (Substring(@s, 2, 9), ',', Length (@p)) > 0"},
                      LineCase{"SET @x = CHARINDEX(/* what */ @a, @b /* where */, 5)",
                               "set @x = Locate (@b /* where */, /* what */ @a, 5)"},
                      LineCase{"SET @x = CHARINDEX(@a, @b)", "set @x = Charindex (@a, @b)"},
                      // An empty argument is not counted.
                      LineCase{"SET @x = CHARINDEX(@a, , @b)", "set @x = Charindex (@a, , @b)"}));

TEST_F(RuleTest, CharIndexArgumentEndingInALineCommentKeepsItsLine) {
  // The separator that comes after the comment now starts a line of its own.
  EXPECT_EQ(Apply({"SET @x = CHARINDEX(@a, @b -- the list", ", 5)"}, {ConvertBuiltinFunctions}),
            (std::vector<std::string>{"set @x = Locate (@b -- the list", ", @a", ", 5)"}));
  EXPECT_EQ(Apply({"SET @x = CHARINDEX(@a -- the word", ", @b, 5)"}, {ConvertBuiltinFunctions}),
            (std::vector<std::string>{"set @x = Locate (@b", ", @a -- the word", ", 5)"}));
}

INSTANTIATE_TEST_SUITE_P(
    Round, BuiltinFunctions,
    ::testing::Values(LineCase{"SET @x = ROUND(@y, 2, 1)", "set @x = Truncnum (@y, 2)"},
                      LineCase{"SET @x = ROUND(@y, 2, @f)", "set @x = Truncnum (@y, 2)"},
                      LineCase{"SET @x = ROUND(@y, 2, 0)", "set @x = Round (@y, 2)"},
                      // Any zero asks for rounding, however it is written.
                      LineCase{"SET @x = ROUND(@y, 2, 00)", "set @x = Round (@y, 2)"},
                      LineCase{"SET @x = ROUND(@y, 2, 0.0)", "set @x = Round (@y, 2)"},
                      LineCase{"SET @x = ROUND(@y, 2)", "set @x = Round (@y, 2)"},
                      // The inner call went with the third argument.
                      LineCase{"SET @x = ROUND(@y, 2, LEN(@s))", "set @x = Truncnum (@y, 2)"}));

INSTANTIATE_TEST_SUITE_P(
    DateParts, BuiltinFunctions,
    // Always the full name, whichever spelling the source used.
    ::testing::Values(LineCase{"SET @p = DATEPART(yyyy, @d)", "set @p = Datepart (year, @d)"},
                      LineCase{"SET @p = DATEPART(YY, @d)", "set @p = Datepart (year, @d)"},
                      LineCase{"SET @p = DATEPART(Q, @d)", "set @p = Datepart (quarter, @d)"},
                      LineCase{"SET @p = DATEPART(m, @d)", "set @p = Datepart (month, @d)"},
                      LineCase{"SET @p = DATEPART(Y, @d)", "set @p = Datepart (dayofyear, @d)"},
                      LineCase{"SET @p = DATEPART(d, @d)", "set @p = Datepart (day, @d)"},
                      LineCase{"SET @p = DATEPART(wW, @d)", "set @p = Datepart (week, @d)"},
                      LineCase{"SET @p = DATEPART(dw, @d)", "set @p = Datepart (weekday, @d)"},
                      LineCase{"SET @p = DATEPART(hh, @d)", "set @p = Datepart (hour, @d)"},
                      LineCase{"SET @p = DATEPART(n, @d)", "set @p = Datepart (minute, @d)"},
                      LineCase{"SET @p = DATEPART(S, @d)", "set @p = Datepart (second, @d)"},
                      LineCase{"SET @p = DATEPART(ms, @d)", "set @p = Datepart (millisecond, @d)"},
                      LineCase{"SET @p = DATEPART(Year, @d)", "set @p = Datepart (year, @d)"},
                      LineCase{"SET @p = DATEPART(@part, @d)", "set @p = Datepart (@part, @d)"},
                      LineCase{"SET @p = DATEPART()", "set @p = Datepart ()"},
                      // The other date functions take the same table.
                      LineCase{"SET @d = DATEADD(d, -3, GETDATE())", "set @d = Dateadd (day, -3, Getdate())"},
                      LineCase{"SET @n = DATEDIFF(mi, @a, @b)", "set @n = Datediff (minute, @a, @b)"},
                      LineCase{"SET @s = DATENAME(yy, @d) + DATENAME(w, @d)",
                               "set @s = Datename (year, @d) + Datename (weekday, @d)"},
                      LineCase{"SELECT dateadd(/* part */ qq, 1, @d)", "select Dateadd (/* part */ quarter, 1, @d)"}));

INSTANTIATE_TEST_SUITE_P(
    Others, BuiltinFunctions,
    ::testing::Values(LineCase{"SET @n = LEN(@s)", "set @n = Length (@s)"},
                      LineCase{"SELECT CURRENT_USER, SESSION_USER, system_user", "select user, user, user"},
                      LineCase{"SELECT 'LEN(x)', -- COUNT_BIG(ALL x)", "select 'LEN(x)', -- COUNT_BIG(ALL x)"}));

// --- RAISERROR placeholders ------------------------------------------------------

struct FormatCase {
  const char* source;
  const char* expected;
  int next;       // the number after the last placeholder
  bool faithful;  // the target's form says the same
};

class Placeholders : public ::testing::TestWithParam<FormatCase> {};

TEST_P(Placeholders, AreRenumberedInOrder) {
  int next = 1;
  bool faithful = true;
  EXPECT_EQ(RenumberPlaceholders(GetParam().source, next, faithful), GetParam().expected);
  EXPECT_EQ(next, GetParam().next);
  EXPECT_EQ(faithful, GetParam().faithful);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Placeholders,
    ::testing::Values(FormatCase{"no placeholder", "no placeholder", 1, true},
                      FormatCase{"%d of %s, %i %u", "%1! of %2!, %3! %4!", 5, true},
                      // Flags, width, precision and size go: the target has none.
                      FormatCase{"[%-10s] %+5.2d %ld %hu", "[%1!] %2! %3! %4!", 5, true},
                      FormatCase{"50%", "50%", 1, true},          // a % that starts no placeholder
                      FormatCase{"100 %% sure", "100 %% sure", 1, false},
                      FormatCase{"mask %x, %X, %o", "mask %1!, %2!, %3!", 4, false},  // printed in decimal now
                      FormatCase{"%*d", "%1!", 2, false},          // the width would take an argument
                      FormatCase{"%.*s", "%1!", 2, false}));

TEST(Placeholders, MoreThanTheTargetsTwentyAreNotFaithful) {
  int next = 20;
  bool faithful = true;
  EXPECT_EQ(RenumberPlaceholders("%d %d", next, faithful), "%20! %21!");
  EXPECT_FALSE(faithful);
}

class StrangeCalls : public RuleTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(StrangeCalls, AreReported) {
  EXPECT_EQ(ErrorOf(GetParam().source, ConvertBuiltinFunctions), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, StrangeCalls,
                         ::testing::Values(LineCase{"SET @x = CHARINDEX(@a)", "Странная функция CHARINDEX"},
                                           LineCase{"SET @x = CHARINDEX()", "Странная функция CHARINDEX"},
                                           LineCase{"SET @x = CHARINDEX(@a, @b, 1, 2)", "Странная функция CHARINDEX"},
                                           LineCase{"SET @x = ROUND(@y)", "Странная функция ROUND"},
                                           LineCase{"SET @x = ROUND(@y, , )", "Странная функция ROUND"},
                                           LineCase{"SET @x = ROUND(@y, 1, 2, 3)", "Странная функция ROUND"}));

// --- Alarms -------------------------------------------------------------------

std::vector<std::string> Describe(const TAlarmList& alarms) {
  std::vector<std::string> out;
  for (int i = 0; i < alarms.Count(); ++i) {
    const TAlarmObject& a = alarms.Items(i);
    out.push_back(a.VarName + " " + a.Word + " " + std::to_string(a.NumLine) + ":" + std::to_string(a.NumPos));
  }
  return out;
}

TEST_F(RuleTest, SystemObjectAlarmsComeByKindThenInDocumentOrder) {
  Apply({"SELECT @@OPTIONS FROM master.dbo.sysobjects",
         "SELECT * FROM INFORMATION_SCHEMA.TABLES, sysobjects",
         "EXEC sp_who",
         "DBCC CHECKDB",
         "EXEC (@s)"},
        {});
  TAlarmList alarms;
  CheckSystemObjectAlarms(words, alarms);
  EXPECT_EQ(Describe(alarms), (std::vector<std::string>{
                                  "SysTable SYSOBJECTS 1:34",
                                  "SysTable SYSOBJECTS 2:42",
                                  "SysView INFORMATION_SCHEMA 2:15",
                                  "SysProc SP_WHO 3:6",
                                  "SysDB MASTER 1:23",
                                  "SysGlobVar @@OPTIONS 1:8",
                                  "DBCC DBCC 4:1",
                                  "DynamicSQL EXEC ( 5:1",
                              }));
}

TEST_F(RuleTest, AlarmPositionsAreThoseOfThePrintedText) {
  // The hint before the table is gone when the text is printed.
  Apply({"SELECT a FROM t (INDEX = ix1) JOIN sysobjects o ON 1 = 1"}, {RemoveIndexHints});
  TAlarmList alarms;
  RaiseTypeAlarms("SysTable", words, {"SYSTABLE"}, alarms);
  EXPECT_EQ(Describe(alarms), (std::vector<std::string>{"SysTable SYSOBJECTS 1:22"}));
}

TEST_F(RuleTest, AlarmOfADeletedWordIsAtLineZero) {
  Apply({"SELECT 1", "SET @x = ROUND(@a, 2, @@LOCK_TIMEOUT)"}, {ConvertBuiltinFunctions});
  TAlarmList alarms;
  CheckSystemObjectAlarms(words, alarms);
  EXPECT_EQ(Describe(alarms), (std::vector<std::string>{"SysGlobVar @@LOCK_TIMEOUT 0:0"}));
}

// A truncation flag known only at run time may be zero, when the call rounds:
// Truncnum then changes the result, and the warning names the flag. A number
// written out decides at conversion time and needs none.
TEST_F(RuleTest, RoundWithAFlagKnownOnlyAtRunTimeIsReported) {
  struct Case {
    const char* source;
    std::vector<std::string> alarms;
  };
  const std::vector<Case> cases = {
      {"SET @x = ROUND(@y, 2, 1)", {}},
      {"SET @x = ROUND(@y, 2, 0)", {}},
      {"SET @x = ROUND(@y, 2, 0.0)", {}},
      {"SET @x = ROUND(@y, 2)", {}},
      {"SET @x = ROUND(@y, 2, @f)", {"RoundTruncationFlag @f 1:10"}},
      {"SET @x = ROUND(@y, 2, LEN(@s))", {"RoundTruncationFlag Len (@s) 1:10"}},
      {"SET @x = ROUND(@y, 2, @a - 1)", {"RoundTruncationFlag @a - 1 1:10"}},
  };
  for (const Case& c : cases) {
    ApplyLine(c.source, {ConvertBuiltinFunctions});
    TAlarmList alarms;
    ReportAlarmMarks(words, alarms);
    EXPECT_EQ(Describe(alarms), c.alarms) << c.source;
  }
}

TEST_F(RuleTest, WordsInCommentsAndStringsRaiseNoAlarm) {
  Apply({"SELECT 'sysobjects' -- sysobjects", "/* sp_who */"}, {});
  TAlarmList alarms;
  CheckSystemObjectAlarms(words, alarms);
  EXPECT_EQ(alarms.Count(), 0);
}

}  // namespace
}  // namespace ambrix
