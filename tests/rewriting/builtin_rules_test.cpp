// Built-in function mappings and the system-object alarms, on texts parsed
// with the dialect of data/: functions print with a capital initial.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "conversion/alarm_object.h"
#include "rewriting/builtin_rules.h"
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
                               "select Number () as id into #t from u"},
                      LineCase{"SELECT IDENTITY() AS id INTO #t FROM u", "select Number () as id into #t from u"}));

INSTANTIATE_TEST_SUITE_P(
    CharIndex, BuiltinFunctions,
    ::testing::Values(LineCase{"SET @x = CHARINDEX(@a, @b, 5)",
                               "set @x = ( Charindex (@a, Substring ( @b, 5) ) - 1 + 5)"},
                      LineCase{"SET @x = CHARINDEX(@a, @b, @i + 1)",
                               "set @x = ( Charindex (@a, Substring ( @b, @i + 1) ) - 1 + @i + 1)"},
                      LineCase{"SET @x = CHARINDEX(@a, @b)", "set @x = Charindex (@a, @b)"},
                      // An empty argument is not counted.
                      LineCase{"SET @x = CHARINDEX(@a, , @b)", "set @x = Charindex (@a, , @b)"}));

TEST_F(RuleTest, CharIndexStartOverSeveralLinesIsJoinedAndTrimmed) {
  EXPECT_EQ(Apply({"SET @x = CHARINDEX(@a, @b,", "  @i", "  + 1 )"}, {ConvertBuiltinFunctions}),
            (std::vector<std::string>{"set @x = ( Charindex (@a, Substring ( @b,", "  @i", "  + 1 ) ) - 1 + @i", "  + 1)"}));
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
    ::testing::Values(LineCase{"SET @p = DATEPART(yyyy, @d)", "set @p = Datepart (yy, @d)"},
                      LineCase{"SET @p = DATEPART(YYYY, @d)", "set @p = Datepart (yy, @d)"},
                      LineCase{"SET @p = DATEPART(Q, @d)", "set @p = Datepart (qq, @d)"},
                      LineCase{"SET @p = DATEPART(m, @d)", "set @p = Datepart (mm, @d)"},
                      LineCase{"SET @p = DATEPART(Y, @d)", "set @p = Datepart (dy, @d)"},
                      LineCase{"SET @p = DATEPART(d, @d)", "set @p = Datepart (dd, @d)"},
                      LineCase{"SET @p = DATEPART(wW, @d)", "set @p = Datepart (wk, @d)"},
                      LineCase{"SET @p = DATEPART(n, @d)", "set @p = Datepart (mi, @d)"},
                      LineCase{"SET @p = DATEPART(S, @d)", "set @p = Datepart (ss, @d)"},
                      LineCase{"SET @p = DATEPART(year, @d)", "set @p = Datepart (year, @d)"},
                      LineCase{"SET @p = DATEPART(yy, @d)", "set @p = Datepart (yy, @d)"},
                      LineCase{"SET @p = DATEPART(mi, @d)", "set @p = Datepart (mi, @d)"},
                      LineCase{"SET @p = DATEPART()", "set @p = Datepart ()"}));

INSTANTIATE_TEST_SUITE_P(
    Others, BuiltinFunctions,
    ::testing::Values(LineCase{"SET @n = LEN(@s)", "set @n = Length (@s)"},
                      LineCase{"RAISERROR ('Error', 16, 1)", "RAISERROR 20000,'Error' "},
                      LineCase{"RAISERROR ('Bad ' + @x, 16, 1)", "RAISERROR 20000,'Bad ' "},
                      LineCase{"RAISERROR (@msg, 16, 1) WITH NOWAIT", "RAISERROR 20000,@msg  with NOWAIT"},
                      LineCase{"RAISERROR ('Only')", "RAISERROR 20000,'Only' "},
                      // Without brackets it is no call.
                      LineCase{"RAISERROR 50001 'No'", "raiserror 50001 'No'"},
                      LineCase{"SELECT CURRENT_USER, SESSION_USER, system_user", "select user, user, user"},
                      LineCase{"SELECT 'LEN(x)', -- COUNT_BIG(ALL x)", "select 'LEN(x)', -- COUNT_BIG(ALL x)"}));

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
  Apply({"SELECT 1", "RAISERROR ('Lock %d', 16, 1, @@LOCK_TIMEOUT)"}, {ConvertBuiltinFunctions});
  TAlarmList alarms;
  CheckSystemObjectAlarms(words, alarms);
  EXPECT_EQ(Describe(alarms), (std::vector<std::string>{"SysGlobVar @@LOCK_TIMEOUT 0:0"}));
}

TEST_F(RuleTest, WordsInCommentsAndStringsRaiseNoAlarm) {
  Apply({"SELECT 'sysobjects' -- sysobjects", "/* sp_who */"}, {});
  TAlarmList alarms;
  CheckSystemObjectAlarms(words, alarms);
  EXPECT_EQ(alarms.Count(), 0);
}

}  // namespace
}  // namespace ambrix
