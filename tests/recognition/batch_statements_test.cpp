// A batch holds as many objects as it has statements that create them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../support/dialect_core.h"
#include "recognition/batch_statements.h"
#include "recognition_fixture.h"

namespace ambrix::testing {
namespace {

using RecordList = std::vector<Record>;

// Batches recognised with the real dialect, statement by statement, as
// reverse-engineering recognises them.
class BatchRecognition : public ::testing::Test {
 protected:
  BatchRecognition() { dialect.Core->RegisterCommands(); }

  /// The records of a whole batch: every statement a command recognises
  /// yields its records, in order (a batch of one statement keeps its whole
  /// text). `stretches` receives the first line of each stretch of other
  /// statements, `objectLines` the line each record's text starts at.
  RecordList RecogniseBatch(const std::string& text, std::vector<int>* stretches = nullptr,
                         std::vector<int>* objectLines = nullptr) {
    lines = SplitLines(text);
    dialect.Parse(lines, words);
    TSQLObjectList objects;
    RecogniseStatements(dialect.Context(), dialect.Core->Commands, lines, words, objects,
                        [&](const TBatchStatement& statement) {
                          if (stretches) stretches->push_back(words[statement.Key]->StartPos.Line);
                        });
    if (objectLines)
      for (int i = 0; i < objects.Count(); ++i) objectLines->push_back(objects.Items(i).Line);
    return Records(objects);
  }

  std::string Failure(const std::string& text) {
    return MessageOf([&] { RecogniseBatch(text); });
  }

  DialectCore dialect;
  std::vector<std::string> lines;
  TParserWordList words;
};

TEST_F(BatchRecognition, EveryCreatingStatementOfABatchIsAnObjectWithItsOwnText) {
  std::vector<int> objectLines;
  EXPECT_EQ(RecogniseBatch("create table a (x int)\n"
                           "create table b (y int) -- b's own comment\n"
                           "-- the index of a\n"
                           "create index ix on a (x) create unique index iy on b (y)",
                           nullptr, &objectLines),
            (RecordList{{"TABLE", "a", "", {"create table a (x int)"}},
                     {"TABLE", "b", "", {"create table b (y int) -- b's own comment"}},
                     {"INDEX", "ix", "a", {"-- the index of a", "create index ix on a (x)"}},
                     {"INDEX", "iy", "b", {"create unique index iy on b (y)"}}}));
  EXPECT_EQ(objectLines, (std::vector<int>{0, 1, 2, 3}));
  // A batch of one statement keeps all of its text, comments around it too.
  EXPECT_EQ(RecogniseBatch("-- head\ncreate table a (x int)\n-- tail"),
            (RecordList{{"TABLE", "a", "", {"-- head", "create table a (x int)", "-- tail"}}}));
}

TEST_F(BatchRecognition, OtherStatementsBetweenObjectsAreStretchesOfTheirOwn) {
  std::vector<int> stretches;
  EXPECT_EQ(RecogniseBatch("SET NOCOUNT ON\n"
                           "if exists (select * from t) drop table t\n"
                           "create table t (x int)\n"
                           "insert into t values (1)\n"
                           "print 'done'\n"
                           "alter table t add constraint pk primary key (x)",
                           &stretches),
            (RecordList{{"TABLE", "t", "", {"create table t (x int)"}},
                     {"CONSTRAINT PRIMARY KEY", "pk", "t", {"constraint pk primary key (x)"}}}));
  // Option settings apart, the other statements up to the next object in one.
  EXPECT_EQ(stretches, (std::vector<int>{0, 1, 3}));
}

TEST_F(BatchRecognition, KeywordsOfAForeignKeyStayInItsStatement) {
  EXPECT_EQ(RecogniseBatch("alter table c add constraint fk foreign key (p) references p (id)\n"
                           "  on delete cascade on update set null\n"
                           "create table d (x int)"),
            (RecordList{{"CONSTRAINT FOREIGN KEY", "fk", "c",
                      {"constraint fk foreign key (p) references p (id)", "  on delete cascade on update set null"}},
                     {"TABLE", "d", "", {"create table d (x int)"}}}));
}

TEST_F(BatchRecognition, ACodeObjectRunsToTheEndOfItsBatch) {
  const std::string text = "create procedure p as\ncreate table #t (a int)\ninsert #t select 1\ncreate index i on #t (a)";
  EXPECT_EQ(RecogniseBatch(text), (RecordList{{"PROCEDURE", "p", "", SplitLines(text)}}));
}

TEST_F(BatchRecognition, UserTypesInEveryFormOfTheCall) {
  EXPECT_EQ(RecogniseBatch("execute sp_addtype id, 'varchar(11)', 'NOT NULL'\n"
                           "exec dbo.sp_addtype tid, 'varchar(6)'\n"
                           "EXEC [dbo].[sp_addtype] @typename = N'empid', @phystype = 'char(9)'\n"
                           "exec sp_addtype_audit 'x', 'int'\n"
                           "EXEC SP_ADDTYPE 'last', 'int', NULL"),
            (RecordList{{"DOMAIN", "id", "", {"execute sp_addtype id, 'varchar(11)', 'NOT NULL'"}},
                     {"DOMAIN", "tid", "", {"exec dbo.sp_addtype tid, 'varchar(6)'"}},
                     {"DOMAIN", "empid", "", {"EXEC [dbo].[sp_addtype] @typename = N'empid', @phystype = 'char(9)'"}},
                     {"DOMAIN", "last", "", {"EXEC SP_ADDTYPE 'last', 'int', NULL"}}}));
}

TEST_F(BatchRecognition, RulesAndTheirBindings) {
  EXPECT_EQ(RecogniseBatch("create rule r_qty as @v > 0\n"
                           "exec sp_bindrule 'r_qty', 'dbo.Orders.Qty'\n"
                           "execute sp_bindrule @rulename = 'r_qty', @objname = 'qty_type', @futureonly = 'futureonly'"),
            (RecordList{{"RULE", "r_qty", "", {"create rule r_qty as @v > 0"}},
                     {"CONSTRAINT RULE", "Orders_rule_Qty", "Orders", {"exec sp_bindrule 'r_qty', 'dbo.Orders.Qty'"}},
                     {"CONSTRAINT RULE", "qty_type_rule", "",
                      {"execute sp_bindrule @rulename = 'r_qty', @objname = 'qty_type', @futureonly = 'futureonly'"}}}));
  EXPECT_EQ(Failure("exec sp_bindrule 'r_qty'"), "Неправильные параметры команды привязки правила");
}

TEST_F(BatchRecognition, CheckConstraintsInEveryFormOfAnAlteration) {
  EXPECT_EQ(RecogniseBatch("ALTER TABLE [dbo].[T] WITH NOCHECK ADD CONSTRAINT [CK_T] CHECK NOT FOR REPLICATION ([qty] > 0),\n"
                           "  CHECK ([a] < 5)"),
            (RecordList{{"CONSTRAINT RULE", "CK_T", "T", {"CONSTRAINT [CK_T] CHECK NOT FOR REPLICATION ([qty] > 0)"}},
                     {"CONSTRAINT RULE", "T_Check_1", "T", {"CHECK ([a] < 5)"}}}));
}

}  // namespace
}  // namespace ambrix::testing
