// The function, procedure, view and trigger analyzers, run the way
// compilation runs them (convert, print, alarms, drop script) on texts parsed
// with the dialect of data/: reserved words print in lower case.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../support/dialect_core.h"
#include "conversion/alarm_object.h"
#include "conversion/analizer_object.h"
#include "conversion/code_analizers.h"
#include "conversion/convert_object.h"
#include "conversion/register_analizers.h"

namespace ambrix {
namespace {

using Lines = std::vector<std::string>;

class CodeAnalizers : public ::testing::Test {
 protected:
  void SetUp() override { RegisterAnalizers(analizers); }

  /// The destination lines of an object of `type` with the source `lines`.
  Lines Convert(const std::string& type, Lines lines, const std::string& parent = "T",
                const std::string& name = "obj") {
    words.Clear();
    dialect.Parse(std::move(lines), words);
    dest.clear();
    drop.clear();
    alarms.Clear();
    ConvertObject(analizers, type, parent, name, words, dest, drop, alarms);
    return dest;
  }

  /// The message of the error converting the object raises; empty when none.
  std::string ErrorOf(const std::string& type, Lines lines) {
    try {
      Convert(type, std::move(lines));
    } catch (const Error& e) {
      return e.what();
    }
    return {};
  }

  Lines Alarms() const {
    Lines out;
    for (int i = 0; i < alarms.Count(); ++i) {
      const TAlarmObject& a = alarms.Items(i);
      out.push_back(a.VarName + " " + a.Word + " " + std::to_string(a.NumLine) + ":" + std::to_string(a.NumPos));
    }
    return out;
  }

  testing::DialectCore dialect;
  TAnalizerObjectList analizers{dialect.Context()};
  TParserWordList words;
  Lines dest, drop;
  TAlarmList alarms;
};

TEST_F(CodeAnalizers, RegisteredAfterTheDataObjectsInTheirOrder) {
  ASSERT_EQ(analizers.Count(), 14);
  EXPECT_EQ(analizers.IndexOfClass<TAnalizer_Function>(), 10);
  EXPECT_EQ(analizers.IndexOfClass<TAnalizer_Procedure>(), 11);
  EXPECT_EQ(analizers.IndexOfClass<TAnalizer_View>(), 12);
  EXPECT_EQ(analizers.IndexOfClass<TAnalizer_Trigger>(), 13);
  EXPECT_EQ(analizers.IndexOfTypeName(0, " trigger "), 13);
}

// --- Scalar functions -----------------------------------------------------------

TEST_F(CodeAnalizers, ScalarFunctionWithoutBodyFrameGetsOne) {
  EXPECT_EQ(Convert("FUNCTION", {"CREATE FUNCTION f (@a int) RETURNS int AS RETURN @a * 2"}),
            (Lines{"create function f (@a int) returns int as", "begin return @a * 2", "end"}));
}

TEST_F(CodeAnalizers, ScalarFunctionWithBeginKeepsItsText) {
  EXPECT_EQ(Convert("FUNCTION", {"CREATE FUNCTION dbo.f (@a int)", "RETURNS int", "AS -- note", "BEGIN",
                                 "  RETURN @a * 2", "END"}),
            (Lines{"create function dba.f (@a int)", "returns int", "as -- note", "begin", "  return @a * 2", "end"}));
}

TEST_F(CodeAnalizers, ScalarFunctionWithoutAsGetsItBeforeBegin) {
  EXPECT_EQ(Convert("FUNCTION", {"CREATE FUNCTION f (@a int) RETURNS int", "  BEGIN", "  RETURN @a", "  END"}),
            (Lines{"create function f (@a int) returns int", "as", "  begin", "  return @a", "  end"}));
}

TEST_F(CodeAnalizers, ScalarFunctionWithStatementsBeforeBeginIsFramed) {
  EXPECT_EQ(Convert("FUNCTION", {"CREATE FUNCTION f () RETURNS int AS", "IF 1 = 1 BEGIN RETURN 1 END",
                                 "RETURN 0"}),
            (Lines{"create function f () returns int as", "begin", "if 1 = 1 begin return 1 end", "return 0",
                   "end"}));
}

// --- Inline table functions ----------------------------------------------------

TEST_F(CodeAnalizers, InlineTableFunctionBecomesAProcedure) {
  EXPECT_EQ(Convert("FUNCTION",
                    {"CREATE FUNCTION dbo.f (@p int) RETURNS TABLE AS RETURN (SELECT * FROM t WHERE a = @p)"}),
            (Lines{"create procedure dba.f (@p int) as select * from t where a = @p"}));
}

TEST_F(CodeAnalizers, InlineTableFunctionWithoutAsGetsItBeforeTheQuery) {
  EXPECT_EQ(Convert("FUNCTION", {"CREATE FUNCTION f (@p int)", "RETURNS TABLE", "RETURN (SELECT a FROM t)"}),
            (Lines{"create procedure f (@p int)", "as select a from t"}));
}

TEST_F(CodeAnalizers, InlineTableFunctionQueryKeepsItsOwnAs) {
  EXPECT_EQ(Convert("FUNCTION", {"CREATE FUNCTION f () RETURNS TABLE AS RETURN SELECT a AS b FROM t"}),
            (Lines{"create procedure f () as select a as b from t"}));
  EXPECT_EQ(Convert("FUNCTION", {"CREATE FUNCTION f () RETURNS TABLE", "RETURN SELECT a AS b FROM t"}),
            (Lines{"create procedure f ()", "as select a as b from t"}));
}

TEST_F(CodeAnalizers, CommentAfterReturnsDoesNotChangeTheFunctionKind) {
  EXPECT_EQ(Convert("FUNCTION", {"CREATE FUNCTION f () RETURNS /* rows */ TABLE AS RETURN (SELECT a FROM t)"}),
            (Lines{"create procedure f () as select a from t"}));
  EXPECT_EQ(Convert("FUNCTION", {"CREATE FUNCTION f ()", "RETURNS -- rows", "@t TABLE (a int)", "AS BEGIN",
                                 "  RETURN", "END"}),
            // RETURN opens the body, so it keeps the empty line put before the body.
            (Lines{"create procedure f ()", "as begin", "  create table -- rows", "#t (a int null)", "  begin",
                   "    select * from #t", " ", "    return", "  end", "end", "select * from #t"}));
}

// --- Multi-statement table functions ----------------------------------------------

TEST_F(CodeAnalizers, TableFunctionFillsATemporaryTableAndSelectsFromIt) {
  EXPECT_EQ(Convert("FUNCTION", {"CREATE FUNCTION dbo.f (@p int)", "RETURNS @t TABLE (a int, b nvarchar(10))",
                                 "AS", "BEGIN", "  INSERT @t SELECT a, b FROM x WHERE k = @p", "  RETURN", "END"}),
            (Lines{"create procedure dba.f (@p int)", "as", "begin", "  create table #t (a int null, b varchar(10) null)", " ",
                   "  insert #t select a, b from x where k = @p", "  begin", "    select * from #t", "    return",
                   "  end", "end", "select * from #t"}));
}

TEST_F(CodeAnalizers, TableFunctionReturnsEverywhereButInStrings) {
  EXPECT_EQ(Convert("FUNCTION", {"CREATE FUNCTION f () RETURNS @t TABLE (a varchar(9)) AS BEGIN",
                                 "  IF 1 = 1 RETURN", "  INSERT @t VALUES ('RETURN')", "  RETURN", "END"}),
            (Lines{"create procedure f () as begin", "  create table #t (a varchar(9) null)", " ", "  if 1 = 1",
                   " begin", "   select * from #t   return", " end", "  insert #t values ('RETURN')",
                   "  begin", "    select * from #t", "    return", "  end", "end", "select * from #t"}));
}

TEST_F(CodeAnalizers, TableFunctionWithoutBeginIsFramed) {
  EXPECT_EQ(Convert("FUNCTION", {"CREATE FUNCTION f () RETURNS @t TABLE (a int) AS", "INSERT @t VALUES (1)",
                                 "RETURN"}),
            (Lines{"create procedure f () as", "begin", "  create table #t (a int null)", " ", "insert #t values (1)",
                   "begin", "  select * from #t", "  return", "end", "end", "select * from #t"}));
}

// --- Function errors -------------------------------------------------------------

struct ErrorCase {
  Lines source;
  const char* message;
};

class StrangeFunctions : public CodeAnalizers, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(StrangeFunctions, AreReported) { EXPECT_EQ(ErrorOf("FUNCTION", GetParam().source), GetParam().message); }

INSTANTIATE_TEST_SUITE_P(
    Cases, StrangeFunctions,
    ::testing::Values(
        ErrorCase{{"CREATE FUNCTION f () AS BEGIN RETURN 1 END"}, "Странная функция"},
        ErrorCase{{"CREATE FUNCTION f () RETURNS int RETURN 1"}, "Странная функция"},
        ErrorCase{{"CREATE FUNCTION f () RETURNS @t TABLE (a int) RETURN"}, "Странная функция"},
        ErrorCase{{"RETURNS TABLE AS RETURN (SELECT 1)"}, "Странная функция - нет RETURNS"},
        ErrorCase{{"RETURNS @t TABLE (a int) AS BEGIN RETURN END"}, "Странная функция - нет RETURNS"},
        ErrorCase{{"CREATE FUNCTION f () RETURNS TABLE AS SELECT 1"}, "Странная функция - нет RETURN"},
        ErrorCase{{"CREATE FUNCTION f () RETURNS @t TABLE AS BEGIN RETURN END"},
                  "Странное описание таблицы в функции"},
        ErrorCase{{"CREATE FUNCTION f () RETURNS @t TABLE AS BEGIN INSERT @t (a) SELECT 1 RETURN END"},
                  "Странное описание таблицы в функции"}));

// --- Procedures --------------------------------------------------------------

TEST_F(CodeAnalizers, ProcShortFormIsWrittenOut) {
  EXPECT_EQ(Convert("PROCEDURE", {"CREATE PROC   p AS SELECT 1"}), (Lines{"create procedure p as select 1"}));
  EXPECT_EQ(Convert("PROCEDURE", {"-- head", "CREATE PROCEDURE dbo.p AS SELECT 1"}),
            (Lines{"-- head", "create procedure dba.p as select 1"}));
}

TEST_F(CodeAnalizers, ProcedureBodyGoesThroughTheStatementRules) {
  EXPECT_EQ(Convert("PROCEDURE", {"CREATE PROCEDURE p @a int AS", "BEGIN",
                                  "  SELECT * FROM dbo.t (INDEX = ix) WHERE a < = LEN(@a);",
                                  "  DROP TABLE #a, #b", "  INSERT INTO #t EXEC q N'x'",
                                  "  UPDATE a SET x = 1 FROM t a", "END"}),
            (Lines{"create procedure p @a int as", "begin", "  select * from dba.t where a <= Length (@a)",
                   "  drop table #a", "  drop table #b", "  insert into #t select * from q( 'x')",
                   "  update t a set x = 1 from t a", "end"}));
}

TEST_F(CodeAnalizers, ProcedureOfCommentsOnlyIsStrange) {
  EXPECT_EQ(ErrorOf("PROCEDURE", {"-- nothing", "/* here */"}), "Странная процедура");
}

// --- Views -------------------------------------------------------------------

TEST_F(CodeAnalizers, ViewGetsNamesOperatorsHintsAndFunctions) {
  EXPECT_EQ(Convert("VIEW", {"CREATE VIEW dbo.v AS SELECT [date], nchar(1) AS c FROM dbo.t WITH (INDEX = ix)",
                             "WHERE a ! = LEN(b)"}),
            (Lines{"create view dba.v as select [date], char(1) as c from dba.t", "where a != Length (b)"}));
}

TEST_F(CodeAnalizers, ViewAlarmsLeaveOutProceduresDbccAndDynamicSql) {
  Convert("VIEW", {"CREATE VIEW v AS SELECT sp_who = 1, dbcc = 2 FROM sysobjects, INFORMATION_SCHEMA.TABLES,",
                   "  master.dbo.x WHERE @@OPTIONS > 0"});
  EXPECT_EQ(Alarms(), (Lines{"SysTable SYSOBJECTS 1:51", "SysView INFORMATION_SCHEMA 1:63", "SysDB MASTER 2:3",
                             "SysGlobVar @@OPTIONS 2:22"}));
}

// --- Triggers ----------------------------------------------------------------

TEST_F(CodeAnalizers, InsteadOfTriggerBecomesABeforeTriggerWithItsBodyCommentedOut) {
  EXPECT_EQ(Convert("TRIGGER", {"CREATE TRIGGER trI ON dbo.T INSTEAD OF INSERT AS BEGIN SELECT 1 END"}),
            (Lines{"create trigger trI BEFORE insert on dba.T",
                   "for each row", "begin /* Самостоятельно исправьте логику этого триггера !!! as begin select 1 end",
                   "*/ end"}));
  EXPECT_EQ(Alarms(), (Lines{"TriggerInsteadOf INSTEAD OF 1:1"}));
}

TEST_F(CodeAnalizers, AllEventsMoveBeforeTheTable) {
  EXPECT_EQ(Convert("TRIGGER", {"CREATE TRIGGER tr ON T", "INSTEAD OF INSERT, UPDATE", "AS", "  SELECT 1"}),
            (Lines{"create trigger tr", "BEFORE insert, update on T",
                   "for each row", "begin /* Самостоятельно исправьте логику этого триггера !!!", "as",
                   "  select 1", "*/ end"}));
}

TEST_F(CodeAnalizers, CommentedBodyCannotEndItsComment) {
  EXPECT_EQ(Convert("TRIGGER", {"CREATE TRIGGER tr ON T INSTEAD OF DELETE AS", "/* old */ SELECT '*/', 2*/**/3"}),
            (Lines{"create trigger tr BEFORE delete on T",
                   "for each row", "begin /* Самостоятельно исправьте логику этого триггера !!! as",
                   "/ * old * / select '* /', 2* / ** /3", "*/ end"}));
  EXPECT_EQ(Alarms(), (Lines{"TriggerInsteadOf INSTEAD OF 1:1", "CommentedEndMark */ 4:1"}));
}

TEST_F(CodeAnalizers, AfterTriggerIsWrittenWithFor) {
  EXPECT_EQ(Convert("TRIGGER", {"CREATE TRIGGER tr ON dbo.T", "AFTER INSERT, UPDATE -- after the change", "AS",
                                "SELECT 'after'"}),
            (Lines{"create trigger tr on dba.T", "for insert, update -- after the change", "as", "select 'after'"}));
}

TEST_F(CodeAnalizers, ForTriggerGetsTheRulesOnly) {
  EXPECT_EQ(Convert("TRIGGER", {"CREATE TRIGGER tr ON dbo.T FOR INSERT, UPDATE AS", "IF UPDATE (a)",
                                "  UPDATE x SET a = 1 FROM T x"}),
            (Lines{"create trigger tr on dba.T for insert, update as", "if Update (a)",
                   "  update T x set a = 1 from T x"}));
  EXPECT_TRUE(alarms.Count() == 0);
}

class StrangeTriggers : public CodeAnalizers, public ::testing::WithParamInterface<const char*> {};

TEST_P(StrangeTriggers, AreReported) { EXPECT_EQ(ErrorOf("TRIGGER", {GetParam()}), "Странный триггер"); }

INSTANTIATE_TEST_SUITE_P(Cases, StrangeTriggers,
                         ::testing::Values("CREATE TRIGGER tr ON T INSTEAD OF",          // no event
                                           "CREATE TRIGGER tr INSTEAD OF INSERT AS SELECT 1",  // no ON
                                           "CREATE TRIGGER tr INSTEAD OF INSERT ON T AS SELECT 1",  // ON after
                                           "CREATE TRIGGER tr ON T INSTEAD OF INSERT SELECT 1"));  // no AS

// --- Drop scripts ------------------------------------------------------------

TEST_F(CodeAnalizers, DropScriptsRemoveTheObjectIfItExists) {
  Convert("FUNCTION", {"CREATE FUNCTION f () RETURNS int AS BEGIN RETURN 1 END"}, "", "f");
  EXPECT_EQ(drop, (Lines{"if exists( select * from SysProcedure where Proc_Name = 'f')", "  drop function \"f\""}));
  Convert("PROCEDURE", {"CREATE PROCEDURE p AS SELECT 1"}, "", "p");
  EXPECT_EQ(drop, (Lines{"if exists( select * from SysProcedure where Proc_Name = 'p')", "  drop procedure \"p\""}));
  Convert("VIEW", {"CREATE VIEW v AS SELECT 1"}, "", "v");
  EXPECT_EQ(drop, (Lines{"if exists( select * from SysViews where ViewName = 'v')", "  drop view [v]"}));
  Convert("TRIGGER", {"CREATE TRIGGER tr ON T FOR INSERT AS SELECT 1"}, "Orders", "tr");
  EXPECT_EQ(drop, (Lines{"if exists( select * from SysTrigger tr key join SysTable t where tr.Trigger_Name  = "
                         "'tr' and t.Table_Name = 'Orders' )",
                         "  drop trigger [Orders].tr"}));
}

TEST_F(CodeAnalizers, DropScriptsQuoteNamesThatHoldQuotes) {
  Convert("PROCEDURE", {"CREATE PROCEDURE [O'Brien] AS SELECT 1"}, "", "O'Brien");
  EXPECT_EQ(drop, (Lines{"if exists( select * from SysProcedure where Proc_Name = 'O''Brien')",
                         "  drop procedure \"O'Brien\""}));
}

}  // namespace
}  // namespace ambrix
