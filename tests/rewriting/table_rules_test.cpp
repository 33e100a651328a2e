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
  EXPECT_EQ(ApplyText({"CREATE TABLE T (a int)"}, ConvertCreateTables), "create table T (a int)");
}

TEST_F(TableRulesTest, FilegroupClauseGoesWithWhatFollowsOn) {
  EXPECT_EQ(ApplyText({"CREATE TABLE T (a int) ON PRIMARY"}, ConvertCreateTables), "create table T (a int)");
  // The word right after ON goes, a comment included; [PRIMARY] then stays.
  EXPECT_EQ(ApplyText({"CREATE TABLE T (a int) ON /* fg */ [PRIMARY]"}, ConvertCreateTables),
            "create table T (a int) [PRIMARY]");
  // Only ON right after the block counts.
  EXPECT_EQ(ApplyText({"CREATE TABLE T (a int) WITH x ON [PRIMARY]"}, ConvertCreateTables),
            "create table T (a int) with x on [PRIMARY]");
}

TEST_F(TableRulesTest, ColumnItemsConvertOnePerItem) {
  EXPECT_EQ(ApplyText({"CREATE TABLE T (a, b [int], c AS a COLLATE x, d varchar(5) COLLATE Latin1_General_CI_AS,"
                 " e int IDENTITY (1, 1) PRIMARY KEY, CONSTRAINT [PK] PRIMARY KEY ([e]))"},
                ConvertCreateTables),
            "create table T (a, b int, c compute a collate x, d varchar(5) , e int identity primary key, "
            "constraint PK primary key ([e]))");
}

TEST_F(TableRulesTest, CollateWithoutANameIsLeftAlone) {
  EXPECT_EQ(ApplyText({"CREATE TABLE T (a varchar(5) COLLATE)"}, ConvertCreateTables),
            "create table T (a varchar(5) collate)");
}

TEST_F(TableRulesTest, CollateWithABracketedNameGoesWhole) {
  EXPECT_EQ(ApplyText({"CREATE TABLE T (a varchar(5) COLLATE [Cyrillic_General_CI_AS] NULL)"}, ConvertCreateTables),
            "create table T (a varchar(5) null)");
}

TEST_F(TableRulesTest, CreateTableAnywhereInATextIsConverted) {
  EXPECT_EQ(ApplyText({"CREATE PROC p AS", "BEGIN", "  IF 1 = 1", "    CREATE TABLE #x ([a] [int] IDENTITY (1,1)) ON [PRIMARY]",
                 "  SELECT * FROM #x", "END"},
                ConvertCreateTables),
            "create proc p as\nbegin\n  if 1 = 1\n    create table #x ([a] int identity)\n  select * from #x\nend");
}

TEST_F(TableRulesTest, CreateTableWithoutBlockFails) {
  EXPECT_EQ(FailureOf({"CREATE TABLE T", "SELECT 1"}, ConvertCreateTables).first, "Странное описание создания таблицы");
}

TEST_F(TableRulesTest, AlterTableIdentityStopsAtTheNextStatement) {
  EXPECT_EQ(ApplyText({"ALTER TABLE T ADD c int IDENTITY (1, 1)", "SELECT IDENTITY (1, 1)",
                 "ALTER TABLE U ADD d int IDENTITY(5,2) NOT NULL"},
                ConvertAlterTableIdentity),
            "alter table T add c int identity\nselect Identity (1, 1)\nalter table U add d int identity not null");
}

TEST_F(TableRulesTest, TableVariableBecomesATemporaryTable) {
  EXPECT_EQ(ApplyText({"DECLARE @t TABLE (id int IDENTITY (1, 1), name varchar (20))", "INSERT @T SELECT 1, 'x @t'",
                 "SELECT * FROM @t"},
                ConvertTableVariables),
            "create table #t (id int identity, name varchar (20))\ninsert #t select 1, 'x @t'\nselect * from #t");
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
