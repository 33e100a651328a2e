// Recognition of whole batches: which records each statement yields, and the
// failures of each command.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recognition_fixture.h"

namespace ambrix::testing {
namespace {

// ---- Execute ----

TEST_F(Recognition, ExecuteIgnoresABatchOfAnotherCommand) {
  Parse("CREATE VIEW v AS SELECT 1");
  TSQLObjectList objects;
  TCommandDML& table = commands.Items(commands.IndexOfClass<TCommand_CreateTable>());
  EXPECT_FALSE(table.Execute(lines, words, objects));
  EXPECT_EQ(objects.Count(), 0);

  Parse("INSERT INTO t VALUES (1)");  // a statement no command handles
  EXPECT_FALSE(table.Execute(lines, words, objects));
  Parse("select 1 -- no statement word at all");
  EXPECT_FALSE(table.Execute(lines, words, objects));
  Parse("");
  EXPECT_FALSE(table.Execute(lines, words, objects));
  EXPECT_EQ(objects.Count(), 0);
}

TEST_F(Recognition, ExecuteTakesTheFirstStatementWordOnly) {
  // Only the first DML word of the batch counts: the CREATE TABLE after it is
  // not this batch's statement.
  Parse("INSERT INTO t VALUES (1)\nCREATE TABLE t2 (a int)");
  TSQLObjectList objects;
  EXPECT_FALSE(commands.Items(0).Execute(lines, words, objects));
  EXPECT_EQ(objects.Count(), 0);
}

TEST_F(Recognition, RejectsAStatementWithNothingAfterItsKeyWord) {
  const std::string name = "Не возможно проанализировать имя ";
  EXPECT_EQ(Failure("CREATE TABLE"), name);
  EXPECT_EQ(Failure("CREATE TABLE -- nothing else\n/* really */"), name);
  EXPECT_EQ(Failure("create trigger /* */"), name);
  EXPECT_EQ(Failure("CREATE UNIQUE INDEX"), name);
  EXPECT_EQ(Failure("ALTER TABLE -- t"), name);
  EXPECT_EQ(Failure("exec sp_addtype -- t"), "Неправильные параметры команды создания пользовательского типа");
  EXPECT_EQ(Failure("exec sp_bindefault"), "Неправильные параметры команды привязки пользовательского умолчания");
}

// ---- Named objects ----

TEST_F(Recognition, NamedObjectsTakeTheLastNamePartAndTheWholeBatch) {
  struct Case {
    std::string text;
    std::string type;
    std::string name;
  };
  const std::vector<Case> cases{
      {"CREATE TABLE dbo.Orders (\n  id int,\n  qty int\n)", "TABLE", "Orders"},
      {"create   table [dbo].[Order Details] ([a] int)", "TABLE", "Order Details"},
      {"create default [dbo].[df_zero] as 0", "DEFAULT", "df_zero"},
      {"CREATE VIEW \"my view\" AS SELECT 1", "VIEW", "my view"},
      {"CREATE PROCEDURE srv.db.dbo.p1 @a int AS RETURN", "PROCEDURE", "p1"},
      {"create proc p2 as return", "PROCEDURE", "p2"},
      {"CREATE FUNCTION dbo.f() RETURNS int AS BEGIN RETURN 1 END", "FUNCTION", "f"},
      // comments before the key word and between it and the name
      {"-- the header\n/* more */\nCREATE TABLE /* c */ -- x\n  T (a int)", "TABLE", "T"},
      {"CREATE TABLE Заказы (Сумма money)", "TABLE", "Заказы"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const std::vector<Record> records = Recognise(c.text);
    const std::vector<Record> expected{{c.type, c.name, "", SplitLines(c.text)}};
    EXPECT_EQ(records, expected);
  }
}

TEST_F(Recognition, TriggerParentIsTheTableAfterOn) {
  const std::string text = "CREATE TRIGGER trU ON dbo.Orders FOR UPDATE AS\nUPDATE x SET a = 1";
  EXPECT_EQ(Recognise(text), (std::vector<Record>{{"TRIGGER", "trU", "Orders", SplitLines(text)}}));
  const std::string lower = "create trigger [dbo].[tr ins] -- c\n on [dbo].[Order Details] for insert as return";
  EXPECT_EQ(Recognise(lower), (std::vector<Record>{{"TRIGGER", "tr ins", "Order Details", SplitLines(lower)}}));
}

TEST_F(Recognition, EveryIndexFormYieldsAnIndexOfTheTableAfterOn) {
  for (const std::string form : {"CREATE INDEX", "CREATE UNIQUE INDEX", "CREATE CLUSTERED INDEX",
                                 "create nonclustered index", "CREATE UNIQUE CLUSTERED INDEX",
                                 "CREATE UNIQUE NONCLUSTERED INDEX"}) {
    const std::string text = form + " IX ON [dbo].[T] (a)";
    EXPECT_EQ(Recognise(text), (std::vector<Record>{{"INDEX", "IX", "T", {text}}})) << form;
  }
}

TEST_F(Recognition, TriggerOrIndexWithoutOnFails) {
  Parse("CREATE TRIGGER trU FOR UPDATE AS SELECT 1");
  TSQLObjectList objects;
  TCommandDML& trigger = commands.Items(commands.IndexOfClass<TCommand_CreateTrigger>());
  EXPECT_EQ(MessageOf([&] { trigger.Execute(lines, words, objects); }), "Не найдено указание таблицы триггера");
  EXPECT_EQ(objects.Count(), 0);

  EXPECT_EQ(Failure("CREATE INDEX IX (a)"), "Не найдено указание таблицы индекса");
  EXPECT_EQ(Failure("CREATE INDEX IX ON"), "Не возможно проанализировать имя ");
  EXPECT_EQ(Failure("CREATE TRIGGER t ON (a)"), "Не возможно проанализировать имя ");
}

TEST_F(Recognition, NamedObjectWithoutAValidNameFails) {
  for (const std::string text : {"CREATE TABLE 'T' (a int)", "CREATE TABLE (a int)", "CREATE VIEW dbo.",
                                 "CREATE TABLE a.b.c.d.e (x int)", "CREATE TABLE [] (x int)"}) {
    EXPECT_EQ(Failure(text), "Не возможно проанализировать имя ") << text;
  }
}

TEST_F(Recognition, ARecordKeepsItsOwnLines) {
  Parse("CREATE TABLE T (a int)");
  TSQLObjectList objects;
  ASSERT_TRUE(commands.Items(0).Execute(lines, words, objects));
  lines[0] = "changed";
  lines.clear();
  ASSERT_EQ(objects.Count(), 1);
  EXPECT_EQ(objects.Items(0).Script, std::vector<std::string>{"CREATE TABLE T (a int)"});
}

// ---- ALTER TABLE ----

TEST_F(Recognition, AlterTableYieldsANamedPrimaryKeyWithItsItemAsScript) {
  EXPECT_EQ(Recognise("ALTER TABLE [dbo].[T] WITH NOCHECK ADD CONSTRAINT [PK_T] PRIMARY KEY CLUSTERED ([id])"),
            (std::vector<Record>{
                {"CONSTRAINT PRIMARY KEY", "PK_T", "T", {"CONSTRAINT [PK_T] PRIMARY KEY CLUSTERED ([id])"}}}));
}

TEST_F(Recognition, AlterTableNumbersOnlyTheGeneratedNames) {
  EXPECT_EQ(Recognise("ALTER TABLE T ADD UNIQUE (a), CONSTRAINT U2 UNIQUE (b), UNIQUE (d), CHECK (a > 0)"),
            (std::vector<Record>{
                {"CONSTRAINT UNIQUE", "T_Unique_1", "T", {"UNIQUE (a)"}},
                {"CONSTRAINT UNIQUE", "U2", "T", {"CONSTRAINT U2 UNIQUE (b)"}},
                {"CONSTRAINT UNIQUE", "T_Unique_2", "T", {"UNIQUE (d)"}},
                {"CONSTRAINT RULE", "T_Check_1", "T", {"CHECK (a > 0)"}},
            }));
  EXPECT_EQ(Recognise("alter table dbo.T add primary key (id), foreign key (a) references P (id), "
                      "constraint FK_X foreign key (b) references P (id), FOREIGN KEY (c) REFERENCES Q (id), "
                      "constraint CK check(b > 0), check (c > 0), constraint DF_T_d default 0 for d"),
            (std::vector<Record>{
                {"CONSTRAINT PRIMARY KEY", "T_PrimaryKey", "T", {"primary key (id)"}},
                {"CONSTRAINT FOREIGN KEY", "T_ForeignKey_1", "T", {"foreign key (a) references P (id)"}},
                {"CONSTRAINT FOREIGN KEY", "FK_X", "T", {"constraint FK_X foreign key (b) references P (id)"}},
                {"CONSTRAINT FOREIGN KEY", "T_ForeignKey_2", "T", {"FOREIGN KEY (c) REFERENCES Q (id)"}},
                {"CONSTRAINT RULE", "CK", "T", {"constraint CK check(b > 0)"}},
                {"CONSTRAINT RULE", "T_Check_1", "T", {"check (c > 0)"}},
                {"CONSTRAINT DEFAULT", "DF_T_d", "T", {"constraint DF_T_d default 0 for d"}},
            }));
}

TEST_F(Recognition, AlterTableCountersStartAgainForEachStatement) {
  EXPECT_EQ(Recognise("ALTER TABLE T ADD UNIQUE (a)")[0].Name, "T_Unique_1");
  EXPECT_EQ(Recognise("ALTER TABLE T ADD UNIQUE (b)")[0].Name, "T_Unique_1");
}

TEST_F(Recognition, AlterTableItemScriptSpansItsLines) {
  const std::string text =
      "ALTER TABLE [dbo].[Orders] ADD \n"
      "  CONSTRAINT [FK_Orders_Customers] FOREIGN KEY \n"
      "  (\n"
      "    [CustomerID]\n"
      "  ) REFERENCES [dbo].[Customers] (\n"
      "    [CustomerID]\n"
      "  ),\n"
      "  -- the default\n"
      "  CONSTRAINT [DF_Orders_Freight] DEFAULT (0) FOR [Freight]\n"
      "GO_NOT_A_SEPARATOR_HERE";
  const std::vector<Record> records = Recognise(text);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0], (Record{"CONSTRAINT FOREIGN KEY", "FK_Orders_Customers", "Orders",
                                {"CONSTRAINT [FK_Orders_Customers] FOREIGN KEY ", "  (", "    [CustomerID]",
                                 "  ) REFERENCES [dbo].[Customers] (", "    [CustomerID]", "  )"}}));
  // The item starts at the comment before it and runs to the end of the batch.
  EXPECT_EQ(records[1], (Record{"CONSTRAINT DEFAULT", "DF_Orders_Freight", "Orders",
                                {"-- the default", "  CONSTRAINT [DF_Orders_Freight] DEFAULT (0) FOR [Freight]",
                                 "GO_NOT_A_SEPARATOR_HERE"}}));
}

TEST_F(Recognition, AlterTableSkipsWhatAddsNoConstraint) {
  for (const std::string text : {"ALTER TABLE T ADD c int", "ALTER TABLE T DROP CONSTRAINT X",
                                 "ALTER TABLE T ADD", "ALTER TABLE T ADD ,, -- nothing", "ALTER TABLE T",
                                 "ALTER TABLE T ADD c int, d char(10) NULL"}) {
    EXPECT_EQ(Recognise(text), std::vector<Record>{}) << text;
  }
  EXPECT_EQ(Recognise("ALTER TABLE T ADD c int, CONSTRAINT PK PRIMARY KEY (c)"),
            (std::vector<Record>{{"CONSTRAINT PRIMARY KEY", "PK", "T", {"CONSTRAINT PK PRIMARY KEY (c)"}}}));
}

TEST_F(Recognition, AlterTableNamesAnUnnamedDefaultAfterItsColumn) {
  EXPECT_EQ(Recognise("ALTER TABLE T ADD DEFAULT (0) FOR [c]"),
            (std::vector<Record>{{"CONSTRAINT DEFAULT", "T_default_c", "T", {"DEFAULT (0) FOR [c]"}}}));
  EXPECT_EQ(Failure("ALTER TABLE T ADD DEFAULT (0)"), "Отсутствует имя у ограничения умолчания");
}

TEST_F(Recognition, AlterTableFailures) {
  EXPECT_EQ(Failure("ALTER TABLE T ADD CONSTRAINT X"), "Не опознанное ограничение таблицы");
  EXPECT_EQ(Failure("ALTER TABLE T ADD CONSTRAINT X /* nothing */"), "Не опознанное ограничение таблицы");
  EXPECT_EQ(Failure("ALTER TABLE T ADD CONSTRAINT"), "Не возможно проанализировать имя ");
  EXPECT_EQ(Failure("ALTER TABLE T ADD CONSTRAINT (a) UNIQUE"), "Не возможно проанализировать имя ");
  EXPECT_EQ(Failure("ALTER TABLE 'T' ADD UNIQUE (a)"), "Не возможно проанализировать имя ");
}

TEST_F(Recognition, AlterTableKeepsTheRecordsBeforeAFailure) {
  Parse("ALTER TABLE T ADD UNIQUE (a), CONSTRAINT X, UNIQUE (b)");
  TSQLObjectList objects;
  TCommandDML& alter = commands.Items(commands.IndexOfClass<TCommand_AlterTable>());
  EXPECT_THROW(alter.Execute(lines, words, objects), Error);
  EXPECT_EQ(Records(objects), (std::vector<Record>{{"CONSTRAINT UNIQUE", "T_Unique_1", "T", {"UNIQUE (a)"}}}));
}

// ---- exec sp_addtype ----

TEST_F(Recognition, UserTypeIsNamedByItsFirstLiteral) {
  for (const auto& [text, name] : std::vector<std::pair<std::string, std::string>>{
           {"exec sp_addtype 'ssn', 'varchar(11)', 'NOT NULL'", "ssn"},
           {"EXEC sp_addtype @typename = 'empid', @phystype = 'char(9)'", "empid"},
           {"exec sp_addtype N'тип', 'int'", "тип"},
           {"exec sp_addtype /* c */ 'only'", "only"},
           {"exec sp_addtype id, 'varchar(11)', 'NOT NULL'", "id"},
           {"exec sp_addtype [tid], 'varchar(6)'", "tid"},
           {"EXEC sp_addtype @phystype = 'int', @typename = N'late'", "late"},
       }) {
    EXPECT_EQ(Recognise(text), (std::vector<Record>{{"DOMAIN", name, "", {text}}})) << text;
  }
}

TEST_F(Recognition, UserTypeWithoutANameFails) {
  const std::string message = "Неправильные параметры команды создания пользовательского типа";
  for (const std::string text : {"exec sp_addtype @phystype = 'int'", "exec sp_addtype '', 'int'",
                                 "exec sp_addtype '  ', 'int'", "exec sp_addtype ,"}) {
    EXPECT_EQ(Failure(text), message) << text;
  }
}

// ---- exec sp_bindefault ----

TEST_F(Recognition, DefaultBindingNamesTheTableAndColumn) {
  for (const std::string column : {"'Orders.Qty'", "'dbo.Orders.Qty'", "'[dbo].[Orders].[Qty]'", "N'Orders.Qty'"}) {
    const std::string text = "exec sp_bindefault 'df_zero', " + column;
    EXPECT_EQ(Recognise(text), (std::vector<Record>{{"CONSTRAINT DEFAULT", "Orders_default_Qty", "Orders", {text}}}))
        << column;
  }
}

// Bound to a user type (a name of one part), with @futureonly or not: an
// object without a parent, which the conversion keeps commented out.
TEST_F(Recognition, DefaultBindingToAUserTypeHasNoParent) {
  for (const std::string text :
       {"exec sp_bindefault 'df_zero', 'ssn'", "exec sp_bindefault 'df_zero', 'ssn', 'futureonly'"})
    EXPECT_EQ(Recognise(text), (std::vector<Record>{{"CONSTRAINT DEFAULT", "ssn_default", "", {text}}})) << text;
}

TEST_F(Recognition, DefaultBindingFailures) {
  const std::string message = "Неправильные параметры команды привязки пользовательского умолчания";
  for (const std::string text : {
           "exec sp_bindefault 'df_zero', 'Orders.Qty', 'futureonly', 'x'",  // a fourth argument
           "exec sp_bindefault 'df_zero'",                          // one argument
           "exec sp_bindefault 'df_zero', Orders.Qty",              // no literal
           "exec sp_bindefault 'df_zero', ''",                      // an empty literal
           "exec sp_bindefault 'df_zero', '   '",                   // blanks only
       }) {
    EXPECT_EQ(Failure(text), message) << text;
  }
  EXPECT_EQ(Failure("exec sp_bindefault 'df_zero', 'Orders.'"), "Не возможно проанализировать имя ");
  EXPECT_EQ(Failure("exec sp_bindefault 'df_zero', '.Qty'"), "Не возможно проанализировать имя ");
}

}  // namespace
}  // namespace ambrix::testing
