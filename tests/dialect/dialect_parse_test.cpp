// The dialect of data/ loaded into the converter core: the parse trees it
// gives are the ones the commands and the rewrite rules look for.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialect_fixture.h"
#include "recognition/sql_object.h"
#include "text/string_helpers.h"

namespace ambrix {
namespace {

class DialectParse : public ::testing::Test {
 protected:
  void SetUp() override { LoadDialect(core); }

  const TParserWordList& Parse(std::vector<std::string> lines) {
    batch = std::move(lines);
    core.Parser.Parse(batch, core.Terms, core.Words);
    return core.Words;
  }

  // "type:text" of each node of a list, children in brackets.
  static std::string Shape(const TParserWordList& words) {
    std::string out;
    for (const TParserWord* w : words) {
      if (!out.empty()) out += ' ';
      out += w->TypeName() == "#KEYWORD#" ? w->Text() : w->TypeName() + ":" + w->Text();
      if (w->Children) out += "{" + Shape(*w->Children) + "}";
    }
    return out;
  }

  TConvertCore core;
  std::vector<std::string> batch;
};

TEST_F(DialectParse, LoadsEveryRowAndTheEighteenCommands) {
  EXPECT_EQ(core.Terms.Count(), DataTable("reserved_word.tsv").RowCount());
  EXPECT_EQ(core.Commands.Count(), 18);
  EXPECT_EQ(core.Context.ObjectDivTerm->StartText(), ".");
  EXPECT_EQ(core.Context.ListDivTerm->StartText(), ",");
  EXPECT_EQ(core.Context.BlockTerm->StartText(), "(");
  EXPECT_EQ(core.Context.TextTerm->StartText(), "'");
}

TEST_F(DialectParse, EveryTypeObjectHasItsAnalyzer) {
  // Compilation finds the analyzer by the object's type name; a type object
  // spelled otherwise than its analyzer's name would never compile.
  std::vector<std::string> without;
  for (const std::string& name : TypeObjectNames())
    if (core.Analizers.IndexOfTypeName(0, name) < 0) without.push_back(name);
  EXPECT_EQ(without, std::vector<std::string>{});
  EXPECT_EQ(core.Analizers.Count(), 14);
}

TEST_F(DialectParse, SplitsAtDelimitersAndOperators) {
  EXPECT_EQ(Shape(Parse({"SELECT COUNT(*), LEN(a) FROM t (INDEX = ix1) WHERE x.y=1.5 AND z<>N'it''s' -- note"})),
            "DML:SELECT SYSFUNC:COUNT ({OPERATOR:*} LIST_DIV:, SYSFUNC:LEN ({a} KEYWORD:FROM t "
            "KEYWORD:( INDEX ={ix1} KEYWORD:WHERE x OBJECT_DIV:. y OPERATOR:= 1.5 KEYWORD:AND z "
            "OPERATOR:<> N TEXT:'{it''s} #COMMENT#:--{note}");
}

TEST_F(DialectParse, KeepsDelimitedNamesAndCommentsRaw) {
  EXPECT_EQ(Shape(Parse({"INSERT \"Order Details\" VALUES(1, '(', [a-b]) /* don't", "*/"})),
            "DML:INSERT OBJECT_NAME:\"{Order Details} KEYWORD:VALUES ({1 LIST_DIV:, TEXT:'{(} LIST_DIV:, "
            "OBJECT_NAME:[{a-b}} #COMMENT#:/*{don't\r\n}");
}

TEST_F(DialectParse, CaseClosesAtItsEnd) {
  EXPECT_EQ(Shape(Parse({"SET @a = CASE WHEN @b > 0 THEN (SELECT 1) ELSE CASE @c WHEN 1 THEN 2 END END"})),
            "STATEMENT:SET @a OPERATOR:= KEYWORD:CASE{KEYWORD:WHEN @b OPERATOR:> 0 KEYWORD:THEN "
            "BLOCK:({DML:SELECT 1} STATEMENT:ELSE KEYWORD:CASE{@c KEYWORD:WHEN 1 KEYWORD:THEN 2}}");
}

TEST_F(DialectParse, TableDefinitionWords) {
  EXPECT_EQ(Shape(Parse({"CREATE TABLE [dbo].[T] ([id] [int] IDENTITY (1, 1) NOT NULL,",
                         " CONSTRAINT [PK_T] PRIMARY KEY CLUSTERED ([id]) ON [PRIMARY], CHECK (id > 0))"})),
            "DML:CREATE TABLE OBJECT_NAME:[{dbo} OBJECT_DIV:. OBJECT_NAME:[{T} BLOCK:({OBJECT_NAME:[{id} "
            "OBJECT_NAME:[{int} SYSFUNC:IDENTITY ({1 LIST_DIV:, 1} KEYWORD:NOT KEYWORD:NULL LIST_DIV:, "
            "KEYWORD:CONSTRAINT OBJECT_NAME:[{PK_T} KEYWORD:PRIMARY KEY KEYWORD:CLUSTERED BLOCK:({OBJECT_NAME:[{id}} "
            "KEYWORD:ON OBJECT_NAME:[{PRIMARY} LIST_DIV:, KEYWORD:CHECK ({id OPERATOR:> 0}}");
}

TEST_F(DialectParse, StatementsTheRulesRewriteAreOneWord) {
  EXPECT_EQ(Shape(Parse({"IF UPDATE(a) EXEC ('x') ELSE EXEC p; DELETE FROM t; DROP TABLE #a, #b"})),
            "STATEMENT:IF SYSFUNC:UPDATE ({a} DYNAMICSQL:EXEC ({TEXT:'{x}} STATEMENT:ELSE STATEMENT:EXEC p "
            "STATEMENT_DIV:; DML:DELETE FROM t STATEMENT_DIV:; DML:DROP TABLE #a LIST_DIV:, #b");
  const TParserWordList& words = Parse({"begin distributed transaction", "commit  transaction"});
  ASSERT_EQ(words.Count(), 2);
  EXPECT_EQ(words[0]->Text().substr(0, 22), "BEGIN DISTRIBUTED TRAN");
  EXPECT_EQ(words[0]->EndPos.Col, 29) << "the term covers the whole word TRANSACTION";
  EXPECT_TRUE(words[0]->Term->HasTag("main"));
  EXPECT_EQ(words[1]->Text(), "COMMIT TRANSACTION") << "not cut to a short form";
  EXPECT_EQ(Shape(Parse({"CREATE PROCEDURE p"})), "DML:CREATE PROCEDURE p");
  EXPECT_EQ(Shape(Parse({"CREATE PROC p"})), "DML:CREATE PROC p");
  EXPECT_EQ(Shape(Parse({"UPDATE StatisticsDaily SET n = 1"})), "DML:UPDATE StatisticsDaily STATEMENT:SET n OPERATOR:= 1")
      << "a keyword of several words takes whole words only";
}

TEST_F(DialectParse, SystemObjectsCarryTheirAlarmTypes) {
  EXPECT_EQ(Shape(Parse({"select name from master.dbo.sysobjects where @@error = 0 and @@options > 0"})),
            "DML:SELECT name KEYWORD:FROM SYSDB:MASTER OBJECT_DIV:. dbo OBJECT_DIV:. SYSTABLE:SYSOBJECTS "
            "KEYWORD:WHERE SYSGLOBALVAR:@@ERROR OPERATOR:= 0 KEYWORD:AND SYSGLOBVAR:@@OPTIONS OPERATOR:> 0");
}

TEST_F(DialectParse, PrintsWordsInTheCaseOfTheirType) {
  struct Case {
    const char* start;
    const char* printed;
  };
  const Case cases[] = {{"GETDATE", "Getdate"},   {"COUNT (", "Count ("},  {"@@ERROR", "@@ERROR"},
                        {"NOCOUNT", "NOCOUNT"},   {"CREATE TABLE", "create table"},
                        {"sysobjects", "sysobjects"}, {"@@OPTIONS", "@@options"}};
  for (const Case& c : cases) {
    int i = core.Terms.IndexOfStart(c.start);
    ASSERT_GE(i, 0) << c.start;
    EXPECT_EQ(core.Terms.Items(i)->FormattedStartText(), c.printed);
  }
}

TEST_F(DialectParse, RecognisesEveryCommandStatement) {
  struct Case {
    const char* batch;
    const char* type;
    const char* name;
    const char* parent;
  };
  const Case cases[] = {
      {"CREATE TABLE dbo.T (a int)", "TABLE", "T", ""},
      {"create default dbo.DF_Zero as 0", "DEFAULT", "DF_Zero", ""},
      {"CREATE VIEW [dbo].[V] AS SELECT 1 AS x", "VIEW", "V", ""},
      {"CREATE PROCEDURE p AS RETURN", "PROCEDURE", "p", ""},
      {"create proc dbo.p2 @a int AS SELECT @a", "PROCEDURE", "p2", ""},
      {"CREATE FUNCTION f() RETURNS int AS BEGIN RETURN 1 END", "FUNCTION", "f", ""},
      {"CREATE TRIGGER tr ON dbo.T FOR INSERT, UPDATE AS IF UPDATE(a) PRINT 'a'", "TRIGGER", "tr", "T"},
      {"CREATE INDEX ix ON T (a)", "INDEX", "ix", "T"},
      {"CREATE UNIQUE INDEX ix ON T (a)", "INDEX", "ix", "T"},
      {"CREATE CLUSTERED INDEX ix ON T (a)", "INDEX", "ix", "T"},
      {"CREATE NONCLUSTERED INDEX ix ON T (a)", "INDEX", "ix", "T"},
      {"CREATE UNIQUE CLUSTERED INDEX ix ON [dbo].[T] (a)", "INDEX", "ix", "T"},
      {"CREATE  UNIQUE  NONCLUSTERED  INDEX ix ON T (a) WITH FILLFACTOR = 90", "INDEX", "ix", "T"},
      {"EXEC sp_addtype 'ssn', 'varchar(11)', 'NOT NULL'", "DOMAIN", "ssn", ""},
      {"ALTER TABLE [dbo].[T] WITH NOCHECK ADD CONSTRAINT [PK_T] PRIMARY KEY CLUSTERED ([id]) ON [PRIMARY]",
       "CONSTRAINT PRIMARY KEY", "PK_T", "T"},
      {"exec sp_bindefault 'df_zero', 'Orders.Qty'", "CONSTRAINT DEFAULT", "Orders_default_Qty", "Orders"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.batch);
    Parse({c.batch});
    const int key = core.Words.IndexOfNotType(0, {"#COMMENT#"});
    ASSERT_GE(key, 0);
    const int command = core.Commands.IndexOfKeyTerm(core.Words[key]->Term);
    ASSERT_GE(command, 0);
    TSQLObjectList objects;
    ASSERT_TRUE(core.Commands.Items(command).Execute(batch, core.Words, objects));
    ASSERT_EQ(objects.Count(), 1);
    EXPECT_EQ(objects.Items(0).TypeName, c.type);
    EXPECT_NE(IndexOfText(c.type, TypeObjectNames()), -1) << "storing it needs a type object " << c.type;
    EXPECT_EQ(objects.Items(0).ObjectName, c.name);
    EXPECT_EQ(objects.Items(0).ParentName, c.parent);
  }
}

TEST_F(DialectParse, AlterTableConstraintsAreFoundByTheirWords) {
  Parse({"ALTER TABLE T ADD UNIQUE (a), CONSTRAINT U2 UNIQUE (b), CONSTRAINT FK FOREIGN KEY (c)",
         "  REFERENCES R (c), CONSTRAINT DF DEFAULT (0) FOR d, CHECK (a > 0)"});
  TSQLObjectList objects;
  ASSERT_TRUE(core.Commands.Items(core.Commands.IndexOfKeyTerm(core.Words[0]->Term))
                  .Execute(batch, core.Words, objects));
  std::vector<std::string> found;
  for (int i = 0; i < objects.Count(); ++i) {
    found.push_back(objects.Items(i).TypeName + " " + objects.Items(i).ObjectName);
    EXPECT_NE(IndexOfText(objects.Items(i).TypeName, TypeObjectNames()), -1) << objects.Items(i).TypeName;
  }
  EXPECT_EQ(found, (std::vector<std::string>{"CONSTRAINT UNIQUE T_Unique_1", "CONSTRAINT UNIQUE U2",
                                             "CONSTRAINT FOREIGN KEY FK", "CONSTRAINT DEFAULT DF",
                                             "CONSTRAINT RULE T_Check_1"}));
}

}  // namespace
}  // namespace ambrix
