// The statement rewrites on texts parsed with the dialect of data/: reserved
// words print in lower case, built-in functions with a capital initial.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "conversion/alarm_object.h"
#include "conversion/convert_object.h"
#include "rewriting/name_rules.h"
#include "rewriting/table_rules.h"
#include "text/utf8.h"
#include "rewriting/statement_rules.h"
#include "rule_fixture.h"

namespace ambrix {
namespace {

using Lines = std::vector<std::string>;

struct LineCase {
  const char* source;
  const char* expected;
};

class StatementRules : public RuleTest {};

// --- Comparison operators -----------------------------------------------------

class JoinsOperators : public StatementRules, public ::testing::WithParamInterface<LineCase> {};

TEST_P(JoinsOperators, RemovesBlanksBetweenOperatorCharacters) {
  EXPECT_EQ(ApplyLine(GetParam().source, {JoinComparisonOperators}), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, JoinsOperators,
                         ::testing::Values(LineCase{"IF @a < = 1", "if @a <= 1"},
                                           LineCase{"IF @a <  > @b", "if @a <> @b"},
                                           LineCase{"IF @a ! = @b", "if @a != @b"},
                                           LineCase{"IF @a ! < @b", "if @a !< @b"},
                                           LineCase{"IF @a > = @b", "if @a >= @b"},
                                           LineCase{"IF @a < 1", "if @a < 1"},
                                           LineCase{"IF @a > -1", "if @a > -1"},
                                           LineCase{"IF @a = '< ='", "if @a = '< ='"}));

TEST_F(StatementRules, OperatorOnTheNextLineKeepsItsLineBreak) {
  EXPECT_EQ(Apply({"IF @a <", "  = 1"}, {JoinComparisonOperators}), (Lines{"if @a <", "= 1"}));
}

// --- RETURN -----------------------------------------------------------------

TEST_F(StatementRules, ReturnKeepsTheBracketsOfASubQuery) {
  // A query in brackets is an expression; RETURN SELECT is none.
  EXPECT_EQ(ApplyLine("RETURN (SELECT max(a) FROM t)", {ConvertReturnExpressions}),
            "return (select Max(a) from t)");
}

TEST_F(StatementRules, ReturnPutsACaseExpressionInBrackets) {
  EXPECT_EQ(ApplyLine("RETURN CASE WHEN @a > 0 THEN 1 ELSE 0 END", {ConvertReturnExpressions}),
            "return ( case when @a > 0 then 1 else 0 end )");
}

TEST_F(StatementRules, ReturnOfOtherExpressionsStays) {
  EXPECT_EQ(ApplyLine("RETURN (@a + 1)", {ConvertReturnExpressions}), "return (@a + 1)");
  EXPECT_EQ(ApplyLine("RETURN /* x */ (@a)", {ConvertReturnExpressions}), "return /* x */ (@a)");
  EXPECT_EQ(ApplyLine("RETURN", {ConvertReturnExpressions}), "return");
}

TEST_F(StatementRules, BareReturnBeforeTheNextStatementStays) {
  EXPECT_EQ(Apply({"RETURN", "SELECT 1"}, {ConvertReturnExpressions}), (Lines{"return", "select 1"}));
}

// --- FETCH ------------------------------------------------------------------

TEST_F(StatementRules, FetchLosesTheFromAfterIt) {
  EXPECT_EQ(ApplyLine("FETCH NEXT FROM c INTO @a", {ConvertFetchFrom}), "fetch next c into @a");
  EXPECT_EQ(ApplyLine("FETCH FROM c INTO @a", {ConvertFetchFrom}), "fetch c into @a");
}

TEST_F(StatementRules, FetchWithAnOwnWordBeforeFromStays) {
  EXPECT_EQ(ApplyLine("FETCH ABSOLUTE 5 FROM c INTO @a", {ConvertFetchFrom}),
            "fetch ABSOLUTE 5 from c into @a");
}

// --- Statement blocks ---------------------------------------------------------

TEST_F(StatementRules, BlockOfStatementsBecomesBeginEnd) {
  EXPECT_EQ(ApplyLine("IF @a = 1 (SELECT @n = count(*) FROM t)", {ConvertStatementBlocks}),
            "if @a = 1 begin select @n = Count (*) from t end");
  EXPECT_EQ(ApplyLine("IF @a = 1 (DELETE FROM t)", {ConvertStatementBlocks}),
            "if @a = 1 begin delete from t end");
}

TEST_F(StatementRules, BlockOnItsOwnLinesKeepsItsLayout) {
  EXPECT_EQ(Apply({"IF @a = 1", "(", "  DELETE FROM t", ")"}, {ConvertStatementBlocks}),
            (Lines{"if @a = 1", " begin", "  delete from t", "end"}));
}

TEST_F(StatementRules, SubQueriesAndListsStay) {
  EXPECT_EQ(ApplyLine("IF EXISTS (SELECT a FROM t)", {ConvertStatementBlocks}), "if exists (select a from t)");
  EXPECT_EQ(ApplyLine("INSERT t (a, b) VALUES (1, 2)", {ConvertStatementBlocks}),
            "insert t (a, b) values (1, 2)");
  EXPECT_EQ(ApplyLine("SELECT ()", {ConvertStatementBlocks}), "select ()");
}

TEST_F(StatementRules, SubQueryOfAVariableIsNoStatementBlock) {
  EXPECT_EQ(ApplyLine("RETURN (SELECT @a)", {ConvertReturnExpressions, ConvertStatementBlocks}), "return (select @a)");
  EXPECT_EQ(ApplyLine("SET @b = (SELECT @a + 1) * 2", {ConvertStatementBlocks}), "set @b = (select @a + 1) * 2");
  EXPECT_EQ(ApplyLine("IF (SELECT @a) = 1 (SELECT @b = 2, @c = 3)", {ConvertStatementBlocks}),
            "if (select @a) = 1 begin select @b = 2, @c = 3 end");
}

// --- DROP lists ---------------------------------------------------------------

TEST_F(StatementRules, DropListBecomesOneStatementPerObject) {
  EXPECT_EQ(Apply({"DROP TABLE #a, #b, #c"}, {SplitDropStatements}),
            (Lines{"drop table #a", "drop table #b", "drop table #c"}));
}

TEST_F(StatementRules, SplitDropsAreIndentedLikeTheFirst) {
  EXPECT_EQ(Apply({"BEGIN", "  DROP TABLE #a,#b", "  SELECT 1", "END"}, {SplitDropStatements}),
            (Lines{"begin", "  drop table #a", "  drop table #b", "  select 1", "end"}));
}

TEST_F(StatementRules, SingleDropStays) {
  EXPECT_EQ(Apply({"DROP TABLE #a"}, {SplitDropStatements}), (Lines{"drop table #a"}));
  EXPECT_EQ(Apply({"DROP TABLE #a SELECT 1"}, {SplitDropStatements}), (Lines{"drop table #a select 1"}));
}

TEST_F(StatementRules, DropWithNothingAfterItIsStrange) {
  EXPECT_EQ(ErrorOf("SELECT 1 DROP TABLE", SplitDropStatements), "Странная команда удаления обьекта БД");
  EXPECT_EQ(ErrorOf("DROP TABLE -- nothing", SplitDropStatements), "Странная команда удаления обьекта БД");
}

// --- EXEC -------------------------------------------------------------------

TEST_F(StatementRules, DynamicExecBecomesExecute) {
  EXPECT_EQ(ApplyLine("EXEC (@sql)", {ConvertExecStatements}), "execute (@sql)");
}

TEST_F(StatementRules, ExecArgumentsLoseNationalPrefixes) {
  EXPECT_EQ(ApplyLine("EXEC p N'x', @b", {ConvertExecStatements}), "exec p 'x', @b");
  EXPECT_EQ(ApplyLine("EXECUTE p @a = N'x'", {ConvertExecStatements}), "execute p @a = 'x'");
}

TEST_F(StatementRules, ExecPrefixesEndWithTheStatement) {
  EXPECT_EQ(Apply({"EXEC p N'x'", "SELECT N'y'"}, {ConvertExecStatements}), (Lines{"exec p 'x'", "select N'y'"}));
}

TEST_F(StatementRules, ExecOfAQualifiedOrBracketedProcedure) {
  EXPECT_EQ(ApplyLine("EXEC dbo.N1 N'x'", {ConvertExecStatements}), "exec dbo.N1 'x'");
  EXPECT_EQ(ApplyLine("EXEC [p] n'x'", {ConvertExecStatements}), "exec [p] 'x'");
  EXPECT_EQ(ApplyLine("EXEC", {ConvertExecStatements}), "exec");
}

// --- INSERT ... EXEC ----------------------------------------------------------

TEST_F(StatementRules, InsertExecSelectsFromTheProcedure) {
  EXPECT_EQ(ApplyLine("INSERT INTO #t EXEC p @a, @b", {ConvertInsertExec}),
            "insert into #t select * from p( @a, @b)");
  EXPECT_EQ(ApplyLine("INSERT #t (a, b) EXECUTE dbo.p @a", {ConvertInsertExec}),
            "insert #t (a, b) select * from dbo.p( @a)");
  EXPECT_EQ(ApplyLine("INSERT [t] EXEC [p] @a", {ConvertInsertExec}), "insert [t] select * from [p]( @a)");
}

TEST_F(StatementRules, InsertExecArgumentsEndBeforeTheNextStatement) {
  EXPECT_EQ(Apply({"INSERT INTO #t EXEC p @a -- note", "SELECT * FROM #t"}, {ConvertInsertExec}),
            (Lines{"insert into #t select * from p( @a) -- note", "select * from #t"}));
}

TEST_F(StatementRules, InsertExecWithoutArgumentsCallsWithEmptyBrackets) {
  EXPECT_EQ(ApplyLine("INSERT INTO #t EXEC p", {ConvertInsertExec}), "insert into #t select * from p()");
  EXPECT_EQ(Apply({"INSERT INTO #t EXEC dbo.p", "SELECT * FROM #t"}, {ConvertInsertExec}),
            (Lines{"insert into #t select * from dbo.p()", "select * from #t"}));
  EXPECT_EQ(Apply({"BEGIN", "  INSERT INTO #t EXEC p", "END"}, {ConvertInsertExec}),
            (Lines{"begin", "  insert into #t select * from p()", "end"}));
}

TEST_F(StatementRules, InsertExecWithoutProcedureStays) {
  EXPECT_EQ(ApplyLine("INSERT INTO #t EXEC", {ConvertInsertExec}), "insert into #t exec");
  EXPECT_EQ(ApplyLine("INSERT INTO #t EXEC -- p", {ConvertInsertExec}), "insert into #t exec -- p");
}

TEST_F(StatementRules, InsertExecAfterExecRemovedANationalPrefix) {
  EXPECT_EQ(ApplyLine("INSERT INTO #t EXEC p N'x'", {ConvertExecStatements, ConvertInsertExec}),
            "insert into #t select * from p( 'x')");
}

TEST_F(StatementRules, OtherInsertsStay) {
  EXPECT_EQ(ApplyLine("INSERT INTO t VALUES (1) EXEC p @a", {ConvertInsertExec}),
            "insert into t values (1) exec p @a");
  EXPECT_EQ(ApplyLine("INSERT INTO t SELECT a FROM u EXEC p @a", {ConvertInsertExec}),
            "insert into t select a from u exec p @a");
}

TEST_F(StatementRules, DynamicInsertExecEndsTheSearch) {
  // The EXEC of the next statement is no part of the INSERT.
  EXPECT_EQ(Apply({"INSERT INTO #t EXEC (@sql)", "EXEC p @a"}, {ConvertInsertExec}),
            (Lines{"insert into #t exec (@sql)", "exec p @a"}));
  EXPECT_EQ(Apply({"INSERT INTO t DEFAULT VALUES", "UPDATE t SET a = 1", "EXEC p @a"}, {ConvertInsertExec}),
            (Lines{"insert into t default values", "update t set a = 1", "exec p @a"}));
}

TEST_F(StatementRules, ExecAfterAnInsertOfDefaultValuesIsAStatementOfItsOwn) {
  EXPECT_EQ(Apply({"INSERT INTO t DEFAULT VALUES", "EXEC p @a"}, {ConvertInsertExec}),
            (Lines{"insert into t default values", "exec p @a"}));
  EXPECT_EQ(Apply({"INSERT t (a) VALUES (1)", "EXECUTE p"}, {ConvertInsertExec}),
            (Lines{"insert t (a) values (1)", "execute p"}));
}

// --- Index hints --------------------------------------------------------------

TEST_F(StatementRules, IndexHintsGo) {
  EXPECT_EQ(ApplyLine("SELECT a FROM t (INDEX = ix1) WHERE a = 1", {RemoveIndexHints}),
            "select a from t where a = 1");
  EXPECT_EQ(ApplyLine("SELECT a FROM t(INDEX = ix1)WHERE a = 1", {RemoveIndexHints}),
            "select a from t where a = 1");
  EXPECT_EQ(ApplyLine("SELECT a FROM t WITH (INDEX = ix1) WHERE a = 1", {RemoveIndexHints}),
            "select a from t where a = 1");
}

TEST_F(StatementRules, HintInAStringStays) {
  EXPECT_EQ(ApplyLine("SELECT '(INDEX = ix1)'", {RemoveIndexHints}), "select '(INDEX = ix1)'");
}

// --- UPDATE / DELETE with FROM --------------------------------------------------

class AliasTargets : public StatementRules, public ::testing::WithParamInterface<LineCase> {};

TEST_P(AliasTargets, GetTheirTableName) {
  EXPECT_EQ(ApplyLine(GetParam().source, {ConvertUpdateDeleteFrom}), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AliasTargets,
    ::testing::Values(
        LineCase{"UPDATE a SET x = 1 FROM Orders a WHERE a.id = @id",
                 "update Orders a set x = 1 from Orders a where a.id = @id"},
        // The table as it reads: delimited, qualified, a table variable renamed.
        LineCase{"UPDATE o SET x = 1 FROM [Orders] AS o", "update [Orders] o set x = 1 from [Orders] as o"},
        LineCase{"UPDATE o SET x = 1 FROM dbo.Orders o JOIN u ON u.id = o.id",
                 "update dbo.Orders o set x = 1 from dbo.Orders o join u on u.id = o.id"},
        LineCase{"UPDATE o SET x = 1 FROM u JOIN db..Orders AS o ON o.id = u.id",
                 "update db..Orders o set x = 1 from u join db..Orders as o on o.id = u.id"},
        // The alias is looked for in the FROM clause, not in its columns.
        LineCase{"UPDATE o SET x = 1 FROM u JOIN v ON v.o = o.x JOIN Orders o ON o.id = u.id",
                 "update Orders o set x = 1 from u join v on v.o = o.x join Orders o on o.id = u.id"},
        LineCase{"DELETE o FROM Orders o WHERE o.id IN (SELECT id FROM t o)",
                 "delete Orders o from Orders o where o.id in (select id from t o)"},
        // A qualified target that the FROM clause names as well.
        LineCase{"UPDATE dbo.T SET v = 1 FROM dbo.T JOIN U ON U.id = T.id",
                 "update dbo.T set v = 1 from dbo.T join U on U.id = T.id"},
        LineCase{"UPDATE t SET x = 1 FROM dbo.t, u WHERE u.id = t.id", "update t set x = 1 from dbo.t, u where u.id = t.id"},
        // A target table with an alias in FROM takes the alias.
        LineCase{"UPDATE Orders SET x = 1 FROM Orders o WHERE o.id = 1",
                 "update Orders o set x = 1 from Orders o where o.id = 1"},
        LineCase{"DELETE dbo.Orders FROM u JOIN dbo.Orders AS o ON o.id = u.id",
                 "delete dbo.Orders o from u join dbo.Orders as o on o.id = u.id"},
        // A target joined by WHERE alone is named first in FROM.
        LineCase{"UPDATE dbo.T SET v = 1 FROM U u WHERE T.id = u.id",
                 "update dbo.T set v = 1 from dbo.T, U u where T.id = u.id"},
        LineCase{"UPDATE t SET x = 1 FROM u WHERE u.id = t.id", "update t set x = 1 from t, u where u.id = t.id"},
        LineCase{"DELETE FROM t FROM (SELECT id FROM u) d WHERE d.id = t.id",
                 "delete from t from t, (select id from u) d where d.id = t.id"},
        LineCase{"UPDATE o SET x = 1 FROM u JOIN Orders o ON o.id = u.id",
                 "update Orders o set x = 1 from u join Orders o on o.id = u.id"},
        LineCase{"DELETE FROM a FROM Orders a WHERE a.id = 1", "delete from Orders a from Orders a where a.id = 1"},
        LineCase{"DELETE a FROM Orders a", "delete Orders a from Orders a"},
        // The target is a table of the FROM clause, not an alias.
        LineCase{"UPDATE Orders SET x = 1 FROM Orders JOIN u ON u.id = Orders.id",
                 "update Orders set x = 1 from Orders join u on u.id = Orders.id"},
        LineCase{"UPDATE t SET x = 1 FROM u, t WHERE u.id = t.id", "update t set x = 1 from u, t where u.id = t.id"},
        // No FROM clause, no simple target, trigger words.
        LineCase{"UPDATE t SET x = 1 WHERE y = 2", "update t set x = 1 where y = 2"},
        LineCase{"UPDATE [t] SET x = 1 FROM Orders t", "update [t] set x = 1 from Orders t"},
        LineCase{"IF UPDATE (a) SELECT 1", "if Update (a) select 1"},
        LineCase{"UPDATE STATISTICS t", "update statistics t"},
        LineCase{"CREATE TRIGGER tr ON t FOR INSERT, UPDATE, DELETE AS SELECT 1",
                 "create trigger tr on t for insert, update, delete as select 1"},
        LineCase{"CREATE TRIGGER tr ON t AFTER UPDATE -- event", "create trigger tr on t AFTER update -- event"},
        LineCase{"CREATE TRIGGER tr ON t INSTEAD OF DELETE AS DELETE a FROM t a",
                 "create trigger tr on t instead of delete as delete t a from t a"},
        LineCase{"UPDATE t SET x = 1", "update t set x = 1"}));

TEST_F(StatementRules, FromOfTheNextStatementIsNotTheTargetsFrom) {
  EXPECT_EQ(Apply({"UPDATE a SET x = 1", "SELECT * FROM Orders a"}, {ConvertUpdateDeleteFrom}),
            (Lines{"update a set x = 1", "select * from Orders a"}));
}

TEST_F(StatementRules, TableVariableAliasGetsTheTablesNewName) {
  EXPECT_EQ(Apply({"DECLARE @tab TABLE (id int)", "UPDATE t SET x = 1 FROM @tab t WHERE t.id = 2"},
                  {ConvertTableVariables, ConvertUpdateDeleteFrom}),
            (Lines{"create table #tab (id int null)", "update #tab t set x = 1 from #tab t where t.id = 2"}));
}

// Statements the rule cannot map stay as written, with an alarm at their
// first word; the object still converts.
struct UnmappedCase {
  const char* source;
  bool alarm;
};

class UnmappedUpdates : public StatementRules, public ::testing::WithParamInterface<UnmappedCase> {};

TEST_P(UnmappedUpdates, StayWithAnAlarm) {
  const auto [error, text] = FailureOf({GetParam().source}, ConvertUpdateDeleteFrom);
  EXPECT_EQ(error, "");
  TAlarmList alarms;
  ReportAlarmMarks(words, alarms);
  std::string expected = GetParam().source;
  EXPECT_EQ(UpperCase(text), UpperCase(expected));
  ASSERT_EQ(alarms.Count(), GetParam().alarm ? 1 : 0);
  if (GetParam().alarm) {
    EXPECT_EQ(alarms.Items(0).VarName, "UpdateDeleteFrom");
    EXPECT_EQ(alarms.Items(0).NumPos, static_cast<int>(expected.find_first_of("UD")) + 1);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnmappedUpdates,
    ::testing::Values(UnmappedCase{"UPDATE x SET a = 1 FROM (SELECT 1 AS a) x", true},  // a derived table
                      // o may be an alias inside the bracket.
                      UnmappedCase{"UPDATE o SET x = 1 FROM (u JOIN Orders o ON o.id = u.id)", true},
                      UnmappedCase{"UPDATE t x = 1 FROM t a", true},                     // no SET
                      UnmappedCase{"UPDATE a SET x = 1 FROM", true},                     // nothing after FROM
                      UnmappedCase{"DELETE a FROM", true},
                      UnmappedCase{"SELECT 1 UPDATE", false},  // no target: nothing to map
                      // A single DELETE word before its own FROM: no FROM clause.
                      UnmappedCase{"SELECT 1 DELETE /* */ FROM t WHERE a = 1", false}));

}  // namespace
}  // namespace ambrix
