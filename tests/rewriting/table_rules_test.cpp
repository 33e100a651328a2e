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
