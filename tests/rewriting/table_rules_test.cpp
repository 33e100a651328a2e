// Rewrite rules on table definitions and table variables, on the real dialect.

#include "rewriting/table_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "parser/parser_word_list.h"
#include "rule_fixture.h"

namespace ambrix {
namespace {

using TableRulesTest = RuleTest;

TEST_F(TableRulesTest, CreateTableWithNothingAfterTheBlock) {
  EXPECT_EQ(ApplyText({"CREATE TABLE T (a int)"}, ConvertCreateTables), "create table T (a int null)");
}

TEST_F(TableRulesTest, FilegroupClausesGoWhereverTheyStand) {
  EXPECT_EQ(ApplyText({"CREATE TABLE T (a int) ON PRIMARY"}, ConvertCreateTables), "create table T (a int null)");
  // A comment between ON and the filegroup stays; the clause goes.
  EXPECT_EQ(ApplyText({"CREATE TABLE T (a int) ON /* fg */ [PRIMARY] TEXTIMAGE_ON \"big\""}, ConvertCreateTables),
            "create table T (a int null) /* fg */");
  // Also after words the rule does not know, up to the next statement.
  EXPECT_EQ(ApplyText({"CREATE TABLE T (a int) WITH x ON [PRIMARY]", "SELECT 1 FROM T ON [x]"}, ConvertCreateTables),
            "create table T (a int null) with x\nselect 1 from T on [x]");
}

TEST_F(TableRulesTest, ColumnItemsConvertOnePerItem) {
  EXPECT_EQ(ApplyText({"CREATE TABLE T (a, b [int], c AS a COLLATE x, d varchar(5) COLLATE Latin1_General_CI_AS,"
                 " e int IDENTITY (1, 1) PRIMARY KEY, CONSTRAINT [PK] PRIMARY KEY ([e]))"},
                ConvertCreateTables),
            "create table T (a, b int null, /* c as a collate x, */ d varchar(5) null , "
            "e int not null default autoincrement primary key, constraint [PK] primary key ([e]))");
}

TEST_F(TableRulesTest, EveryColumnSaysWhetherItTakesNull) {
  struct TCase {
    const char* Source;
    const char* Converted;
  };
  const TCase cases[] = {
      // Columns of a table-level key are NOT NULL in SQL Server.
      {"CREATE TABLE T (a int, b int, PRIMARY KEY NONCLUSTERED (a DESC, [B]))",
       "create table T (a int not null, b int not null, primary key (a, [B]))"},
      // A user type says it itself; sysname and timestamp are NOT NULL.
      {"CREATE TABLE T (a id, b sysname, c ssn PRIMARY KEY)",
       "create table T (a id, b varchar(128) not null, c ssn not null primary key)"},
      // Two-word types and what the source wrote after the type stay in place.
      {"CREATE TABLE T (a double precision, b national char varying (5) NOT NULL)",
       "create table T (a double precision null, b national char varying (5) not null)"},
  };
  for (const TCase& c : cases) EXPECT_EQ(ApplyText({c.Source}, ConvertCreateTables), c.Converted);
}

TEST_F(TableRulesTest, SeparatorsAndCommentsStayValid) {
  // A separator before the closing bracket goes; a computed column that
  // stays a comment takes the separator before it when it is the last.
  EXPECT_EQ(ApplyText({"CREATE TABLE T (a int, b AS dbo.f(a),)"}, ConvertCreateTables),
            "create table T (a int null /* , b as dbo.f(a) */)");
  // A word moved or added after a line comment goes onto the next line.
  EXPECT_EQ(ApplyText({"CREATE TABLE T (a int DEFAULT 0 -- zero", "  NOT NULL, b AS x -- no type", ")"}, ConvertCreateTables),
            "create table T (a int\n  not null default 0 -- zero\n/* , b as x -- no type\n */\n)");
}

TEST_F(TableRulesTest, KeyClausesLoseWhatTheTargetHasNoPlaceFor) {
  EXPECT_EQ(ApplyText({"CREATE TABLE T (a int REFERENCES P (id) ON DELETE NO ACTION NOT FOR REPLICATION,"
                       " b int CONSTRAINT U UNIQUE CLUSTERED WITH (PAD_INDEX = ON, FILLFACTOR = 80) ON \"default\","
                       " CHECK NOT FOR REPLICATION (a > 0))"},
                      ConvertCreateTables),
            "create table T (a int null references P (id), b int null constraint U unique, check (a > 0))");
}

TEST_F(TableRulesTest, AlterTableSplitsAtEachClause) {
  // A referential action's DELETE does not end the statement.
  EXPECT_EQ(ApplyText({"ALTER TABLE T ADD CONSTRAINT F FOREIGN KEY (a) REFERENCES P (id) ON DELETE CASCADE, b int",
                       "DELETE FROM T"},
                      ConvertAlterTables),
            "alter table T add constraint F foreign key (a) references P (id) on delete cascade\n"
            "alter table T add b int null\ndelete from T");
  // NOCHECK CONSTRAINT and the like are left as they are.
  EXPECT_EQ(ApplyText({"ALTER TABLE T NOCHECK CONSTRAINT ALL"}, ConvertAlterTables), "alter table T nocheck constraint all");
}

TEST_F(TableRulesTest, CollateGoesWithItsName) {
  EXPECT_EQ(ApplyText({"CREATE TABLE T (a varchar(5) COLLATE)"}, ConvertCreateTables),
            "create table T (a varchar(5) null)");
  EXPECT_EQ(ApplyText({"CREATE TABLE T (a varchar(5) COLLATE [Cyrillic_General_CI_AS] NULL)"}, ConvertCreateTables),
            "create table T (a varchar(5) null)");
}

TEST_F(TableRulesTest, CreateTableAnywhereInATextIsConverted) {
  EXPECT_EQ(ApplyText({"CREATE PROC p AS", "BEGIN", "  IF 1 = 1", "    CREATE TABLE #x ([a] [int] IDENTITY (1,1)) ON [PRIMARY]",
                 "  SELECT * FROM #x", "END"},
                ConvertCreateTables),
            "create proc p as\nbegin\n  if 1 = 1\n    create table #x ([a] int not null default autoincrement)\n"
            "  select * from #x\nend");
}

TEST_F(TableRulesTest, CreateTableWithoutBlockFails) {
  EXPECT_EQ(FailureOf({"CREATE TABLE T", "SELECT 1"}, ConvertCreateTables).first, "Странное описание создания таблицы");
}

TEST_F(TableRulesTest, AlterTableColumnsStopAtTheNextStatement) {
  EXPECT_EQ(ApplyText({"ALTER TABLE T ADD c int IDENTITY (1, 1)", "SELECT IDENTITY (1, 1)",
                 "ALTER TABLE U ADD d int IDENTITY(5,2) NOT NULL"},
                ConvertAlterTables),
            "alter table T add c int not null default autoincrement\nselect Identity (1, 1)\n"
            "alter table U add d int not null default autoincrement");
}

TEST_F(TableRulesTest, TableVariableBecomesATemporaryTable) {
  EXPECT_EQ(ApplyText({"DECLARE @t TABLE (id int IDENTITY (1, 1), name varchar (20))", "INSERT @T SELECT 1, 'x @t'",
                 "SELECT * FROM @t"},
                ConvertTableVariables),
            "create table #t (id int not null default autoincrement, name varchar (20) null)\ninsert #t select 1, 'x @t'\n"
            "select * from #t");
}

TEST_F(TableRulesTest, OtherDeclarationsStayAsTheyAre) {
  EXPECT_EQ(ApplyText({"DECLARE @a int, @t TABLE (a int)", "DECLARE @b /* c */ int", "DECLARE"}, ConvertTableVariables),
            "declare @a int, @t table (a int)\ndeclare @b /* c */ int\ndeclare");
}

TEST_F(TableRulesTest, TableVariableWithoutBlockFailsAfterTheDeclarationChanged) {
  const auto [error, text] = FailureOf({"DECLARE @t TABLE", "SELECT * FROM @t"}, ConvertTableVariables);
  EXPECT_EQ(error, "Странное обьявление табличной переменной");
  EXPECT_EQ(text, "create table #t\nselect * from #t");
}

}  // namespace
}  // namespace ambrix
