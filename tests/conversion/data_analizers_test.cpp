// The data-object analyzers on the real dialect: the failures they report,
// their less common paths, and names that need quoting in generated SQL.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../support/dialect_core.h"
#include "conversion/alarm_object.h"
#include "conversion/analizer_object.h"
#include "conversion/convert_object.h"
#include "conversion/register_analizers.h"
#include "parser/parser_word_list.h"
#include "text/error.h"

namespace ambrix {
namespace {

struct TResult {
  std::vector<std::string> Dest, Drop;
  std::string Error;
  std::vector<std::string> Alarms;  // VarName of each
};

class DataAnalizersTest : public ::testing::Test {
 protected:
  TResult Convert(const std::string& type, const std::string& parent, const std::string& name,
                  const std::vector<std::string>& source) {
    TResult result;
    TParserWordList words;
    dialect.Parse(source, words);
    TAnalizerObjectList analizers(dialect.Context());
    RegisterAnalizers(analizers);
    TAlarmList alarms;
    try {
      ConvertObject(analizers, type, parent, name, words, result.Dest, result.Drop, alarms);
    } catch (const Error& e) {
      result.Error = e.what();
    }
    for (int i = 0; i < alarms.Count(); ++i) result.Alarms.push_back(alarms.Items(i).VarName);
    return result;
  }

  testing::DialectCore dialect;
};

struct TFailureCase {
  const char* Type;
  const char* Source;
  const char* Message;
};

TEST_F(DataAnalizersTest, ReportsConstructsTheyCannotConvert) {
  dialect.Sources.Add("df_zero", {"CREATE DEFAULT df_zero AS 0"});
  dialect.Sources.Add("df_empty", {"CREATE DEFAULT df_empty AS "});
  dialect.Sources.Add("r_bad", {"CREATE RULE r_bad @v > 0 -- as"});
  const TFailureCase cases[] = {
      {"INDEX", "CREATE INDEX IX ON T", "Странный индекс"},
      {"CONSTRAINT UNIQUE", "CONSTRAINT [U] PRIMARY KEY ([a])", "Странное уникальное ограничение"},
      {"CONSTRAINT UNIQUE", "CONSTRAINT [U] UNIQUE NONCLUSTERED", "Странное уникальное ограничение"},
      {"CONSTRAINT FOREIGN KEY", "CONSTRAINT [F] FOREIGN KEY ([pid])", "Странная связь таблиц"},
      {"CONSTRAINT PRIMARY KEY", "CONSTRAINT [PK] PRIMARY KEY CLUSTERED", "Странное ключевое поле"},
      {"CONSTRAINT DEFAULT", "CONSTRAINT [DF] (0) FOR [c]", "Странное ограничение умолчания"},
      {"CONSTRAINT DEFAULT", "DEFAULT (0)", "Странное ограничение умолчания"},
      {"CONSTRAINT DEFAULT", "CONSTRAINT [DF] DEFAULT (0)", "Странное ограничение умолчания"},
      {"CONSTRAINT DEFAULT", "CONSTRAINT [DF] DEFAULT (0) FOR", "Странное ограничение умолчания"},
      {"CONSTRAINT DEFAULT", "exec sp_bindefault df_zero, Orders.Qty", "Странное ограничение умолчания"},
      {"CONSTRAINT DEFAULT", "exec sp_bindefault 'df_zero'", "Странное ограничение умолчания"},
      {"CONSTRAINT DEFAULT", "exec sp_bindefault '', 'Orders.Qty'", "Странное ограничение умолчания"},
      {"CONSTRAINT DEFAULT", "exec sp_bindefault 'df_zero', ''", "Странное ограничение умолчания"},
      {"CONSTRAINT DEFAULT", "exec sp_bindefault 'df_none', 'Orders.Qty'", "Не найдено или неверное умолчание"},
      {"CONSTRAINT DEFAULT", "exec sp_bindefault 'df_empty', 'Orders.Qty'", "Не найдено или неверное умолчание"},
      {"TABLE", "CREATE TABLE T", "Странное описание создания таблицы"},
      {"CONSTRAINT RULE", "exec sp_bindrule SSNRule, T.c", "Странная привязка правила"},
      {"CONSTRAINT RULE", "exec sp_bindrule 'r_zero'", "Странная привязка правила"},
      {"CONSTRAINT RULE", "exec sp_bindrule 'r_none', 'T.c'", "Не найдено или неверное правило"},
      {"CONSTRAINT RULE", "exec sp_bindrule 'r_bad', 'T.c'", "Не найдено или неверное правило"},
  };
  for (const TFailureCase& c : cases) {
    SCOPED_TRACE(c.Source);
    const TResult result = Convert(c.Type, "T", "X", {c.Source});
    EXPECT_EQ(result.Error, c.Message);
    EXPECT_TRUE(result.Dest.empty() && result.Drop.empty());
  }
}

TEST_F(DataAnalizersTest, BoundRuleBecomesACheckOnItsColumn) {
  // The variable, in any letter case, is the column everywhere outside strings
  // and comments; N before a string goes; a line comment at the end puts the
  // bracket on a line of its own.
  dialect.Sources.Add("r_code", {"create rule r_code as", "  @v like N'A%' /* @v */ or @V = '@v' -- @v"});
  const TResult rule = Convert("CONSTRAINT RULE", "T", "T_rule_c", {"exec sp_bindrule 'dbo.r_code', 'T.c'"});
  EXPECT_EQ(rule.Error, "");
  EXPECT_EQ(rule.Dest, (std::vector<std::string>{
                           "alter table [T] add constraint [T_rule_c] check ([c] like 'A%' /* @v */ or [c] = '@v' -- @v",
                           ")"}));
  EXPECT_EQ(rule.Drop.size(), 2u);
  // Without a repository no rule is found.
  dialect.Core->Context.Sources = nullptr;
  EXPECT_EQ(Convert("CONSTRAINT RULE", "T", "X", {"exec sp_bindrule 'r_code', 'T.c'"}).Error,
            "Не найдено или неверное правило");
}

TEST_F(DataAnalizersTest, RuleBoundToATypeStaysAsACommentWithAWarning) {
  const TResult rule = Convert("CONSTRAINT RULE", "", "SSN_rule", {"exec sp_bindrule 'r', 'SSN'"});
  EXPECT_EQ(rule.Error, "");
  EXPECT_EQ(rule.Dest.front(), "/*");
  EXPECT_TRUE(rule.Drop.empty());
  EXPECT_EQ(rule.Alarms, std::vector<std::string>{"RuleOnType"});
  const TResult object = Convert("RULE", "", "r", {"CREATE RULE r AS @v > 0"});
  EXPECT_EQ(object.Dest, (std::vector<std::string>{"/*", "  -- нет поддержки !!!", "  create rule r as @v > 0", "*/"}));
  EXPECT_TRUE(object.Drop.empty());
}

TEST_F(DataAnalizersTest, DefaultsBecomeWhatTheTargetTakes) {
  struct TDefaultCase {
    const char* Stored;  // the stored default after AS, or the constraint's value
    const char* Value;   // the value after "default "
  };
  const TDefaultCase cases[] = {
      {"0", "(0)"},
      {"((0))", "(0)"},
      {"(getdate())", "current timestamp"},
      {"GETDATE ( )", "current timestamp"},
      {"((getutcdate()))", "current utc timestamp"},
      {"current_timestamp", "current timestamp"},
      {"(suser_sname())", "current user"},
      {"(newid())", "newid()"},
      {"(dbo.f(1))", "(dbo.f(1))"},
      {"(getdate() + 1)", "(getdate() + 1)"},
      {"'(x)' + ')'", "('(x)' + ')')"},
  };
  for (const TDefaultCase& c : cases) {
    SCOPED_TRACE(c.Stored);
    dialect.Sources.Add("df", {std::string("CREATE DEFAULT df AS ") + c.Stored});
    EXPECT_EQ(Convert("CONSTRAINT DEFAULT", "T", "X", {"exec sp_bindefault 'df', 'T.c'"}).Dest,
              std::vector<std::string>{std::string("alter table [T] modify [c] default ") + c.Value});
  }
  // The same values as a named default of ALTER TABLE (printed by the parser).
  const TDefaultCase constraints[] = {
      {"((0))", "(0)"},
      {"(getdate())", "current timestamp"},
      {"getdate()", "current timestamp"},
      {"(user_name())", "current user"},
      {"-1", "-1"},
      {"((newid()))", "Newid()"},
      {"(Getdate() + 1)", "(Getdate() + 1)"},
  };
  for (const TDefaultCase& c : constraints) {
    SCOPED_TRACE(c.Stored);
    EXPECT_EQ(Convert("CONSTRAINT DEFAULT", "T", "X", {std::string("CONSTRAINT X DEFAULT ") + c.Stored + " FOR c"}).Dest,
              std::vector<std::string>{std::string("alter table [T] modify c default ") + c.Value});
  }
}

TEST_F(DataAnalizersTest, BoundDefaultWithoutRepositoryIsNotFound) {
  dialect.Core->Context.Sources = nullptr;
  EXPECT_EQ(Convert("CONSTRAINT DEFAULT", "Orders", "Orders_default_Qty",
                    {"exec sp_bindefault 'df_zero', 'Orders.Qty'"})
                .Error,
            "Не найдено или неверное умолчание");
}

TEST_F(DataAnalizersTest, BoundDefaultTakesTheWholeStoredExpression) {
  // The stored default spans lines; its last line end and trailing blanks
  // stay out of the brackets. Both names may carry owners and brackets.
  dialect.Sources.Add("df_now", {"CREATE DEFAULT dbo.df_now AS", "  getdate()  ", ""});
  dialect.Sources.Add("df_code", {"CREATE DEFAULT df_code AS 'A'  "});
  EXPECT_EQ(Convert("CONSTRAINT DEFAULT", "Orders", "Orders_default_Qty",
                    {"exec sp_bindefault 'dbo.[df_code]', '[Orders].[Code]'"})
                .Dest,
            std::vector<std::string>{"alter table [Orders] modify [Code] default ('A')"});
  dialect.Sources.Add("df_one", {"CREATE DEFAULT df_one AS 1 -- one", "  "});
  EXPECT_EQ(Convert("CONSTRAINT DEFAULT", "Orders", "X", {"exec sp_bindefault 'df_one', 'Orders.Qty'"}).Dest,
            (std::vector<std::string>{"alter table [Orders] modify [Qty] default (1 -- one", ")"}));
  // AS may end its line; getdate() becomes the target's special value.
  EXPECT_EQ(Convert("CONSTRAINT DEFAULT", "Orders", "X", {"exec sp_bindefault 'df_now', 'Orders.At'"}).Dest,
            std::vector<std::string>{"alter table [Orders] modify [At] default current timestamp"});
  // A default without AS, or one that is not stored, is not found.
  dialect.Sources.Add("df_bad", {"CREATE DEFAULT df_bad 0 -- as"});
  EXPECT_EQ(Convert("CONSTRAINT DEFAULT", "Orders", "X", {"exec sp_bindefault 'df_bad', 'Orders.At'"}).Error,
            "Не найдено или неверное умолчание");
  EXPECT_EQ(Convert("CONSTRAINT DEFAULT", "Orders", "X", {"exec sp_bindefault 'df_none', 'Orders.At'"}).Error,
            "Не найдено или неверное умолчание");
}

TEST_F(DataAnalizersTest, ForeignKeyToItselfComparesTableNamesIgnoringCase) {
  const TResult self =
      Convert("CONSTRAINT FOREIGN KEY", "Tree", "FK", {"CONSTRAINT FK FOREIGN KEY (parent) REFERENCES tree (id)"});
  EXPECT_EQ(self.Dest, (std::vector<std::string>{
                           "alter table [Tree] add",
                           "  constraint FK foreign key (parent) references tree (id) check on commit"}));
  const TResult other =
      Convert("CONSTRAINT FOREIGN KEY", "Tree", "FK", {"CONSTRAINT FK FOREIGN KEY (parent) REFERENCES dbo.Trees (id)"});
  EXPECT_EQ(other.Dest, (std::vector<std::string>{"alter table [Tree] add",
                                                  "  constraint FK foreign key (parent) references dba.Trees (id)"}));
}

TEST_F(DataAnalizersTest, ForeignKeyToItselfChecksOnCommitAfterItsActions) {
  // The target takes the clause after the referential actions only.
  const TResult result = Convert(
      "CONSTRAINT FOREIGN KEY", "T", "FK",
      {"CONSTRAINT FK FOREIGN KEY (p) REFERENCES T (id) ON DELETE NO ACTION", "  ON UPDATE CASCADE -- note"});
  // NO ACTION is the target's default and goes; so does NOT FOR REPLICATION.
  EXPECT_EQ(result.Dest, (std::vector<std::string>{
                             "alter table [T] add",
                             "  constraint FK foreign key (p) references T (id)",
                             "    on update cascade check on commit -- note"}));
  const TResult setNull = Convert("CONSTRAINT FOREIGN KEY", "T", "FK",
                                  {"FOREIGN KEY (p) REFERENCES T (id) ON DELETE SET NULL NOT FOR REPLICATION"});
  EXPECT_EQ(setNull.Dest,
            (std::vector<std::string>{"alter table [T] add",
                                      "  foreign key (p) references T (id) on delete set null check on commit"}));
}

TEST_F(DataAnalizersTest, ForeignKeyToItselfWithoutColumnListStaysAsItIs) {
  const TResult result =
      Convert("CONSTRAINT FOREIGN KEY", "T", "FK", {"CONSTRAINT FK FOREIGN KEY (parent) REFERENCES [T]"});
  EXPECT_EQ(result.Error, "");
  EXPECT_EQ(result.Dest, (std::vector<std::string>{"alter table [T] add", "  constraint FK foreign key (parent) references [T]"}));
}

TEST_F(DataAnalizersTest, NamedDefaultOverSeveralLinesMovesOnlyForAndTheColumn) {
  const TResult result =
      Convert("CONSTRAINT DEFAULT", "T", "DF", {"CONSTRAINT DF", "  DEFAULT (getdate())", "  FOR [at] WITH VALUES"});
  EXPECT_EQ(result.Error, "");
  // getdate() is the target's current timestamp; WITH VALUES has no place in MODIFY.
  EXPECT_EQ(result.Dest, (std::vector<std::string>{"alter table [T]", "    modify [at]", "    default current timestamp"}));
}

TEST_F(DataAnalizersTest, DropScriptsKeepEveryNameValidSql) {
  struct TNameCase {
    const char* Type;
    const char* Parent;
    const char* Name;
    std::vector<std::string> Drop;
  };
  const TNameCase cases[] = {
      {"TABLE", "", "it's",
       {"if exists( select * from SysTable where Table_Name = 'it''s')", "  drop table [it's]"}},
      {"TABLE", "", "a]b", {"if exists( select * from SysTable where Table_Name = 'a]b')", "  drop table [a]]b]"}},
      {"DOMAIN", "", "O'x",
       {"if exists( select * from SysUserType where Type_Name = 'O''x')", "  exec sp_droptype 'O''x'"}},
      {"INDEX", "T]'s", "my ix",
       {"if exists( select * from SysTable t key join SysIndex i where t.Table_Name = 'T]''s' and i.Index_Name = "
        "'my ix')",
        "  drop index [T]]'s].[my ix]"}},
      {"INDEX", "T", "IX_#1",
       {"if exists( select * from SysTable t key join SysIndex i where t.Table_Name = 'T' and i.Index_Name = "
        "'IX_#1')",
        "  drop index [T].IX_#1"}},
      {"CONSTRAINT UNIQUE", "T", "1x",
       {"if exists( select * from SysTable t key join SysIndex i where t.Table_Name = 'T' and i.Index_Name = "
        "'1x')",
        "  drop index [T].[1x]"}},
  };
  const std::vector<std::string> sources[] = {{"CREATE TABLE x (a int)"}, {"CREATE TABLE x (a int)"},
                                              {"exec sp_addtype 'x', 'int'"}, {"CREATE INDEX x ON t (a)"},
                                              {"CREATE INDEX x ON t (a)"}, {"UNIQUE (a)"}};
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].Name);
    const TResult result = Convert(cases[i].Type, cases[i].Parent, cases[i].Name, sources[i]);
    EXPECT_EQ(result.Error, "");
    EXPECT_EQ(result.Drop, cases[i].Drop);
  }
}

TEST_F(DataAnalizersTest, GeneratedStatementsBracketNamesSafely) {
  dialect.Sources.Add("df", {"CREATE DEFAULT df AS 0"});
  EXPECT_EQ(Convert("CONSTRAINT UNIQUE", "t]x", "u]1", {"UNIQUE (a)"}).Dest,
            std::vector<std::string>{"create unique index [u]]1] on [t]]x] (a)"});
  EXPECT_EQ(Convert("CONSTRAINT PRIMARY KEY", "t]x", "pk", {"PRIMARY KEY (a)"}).Dest,
            (std::vector<std::string>{"alter table [t]]x] add", "  primary key (a)"}));
  EXPECT_EQ(Convert("CONSTRAINT FOREIGN KEY", "t]x", "fk", {"FOREIGN KEY (a) REFERENCES p (id)"}).Dest,
            (std::vector<std::string>{"alter table [t]]x] add", "  foreign key (a) references p (id)"}));
  EXPECT_EQ(Convert("CONSTRAINT DEFAULT", "t]x", "df", {"CONSTRAINT df DEFAULT 0 FOR c"}).Dest,
            std::vector<std::string>{"alter table [t]]x] modify c default 0"});
  EXPECT_EQ(Convert("CONSTRAINT DEFAULT", "t]x", "df", {"exec sp_bindefault 'df', 't]x.c'"}).Dest,
            std::vector<std::string>{"alter table [t]]x] modify [c] default (0)"});
}

}  // namespace
}  // namespace ambrix

namespace ambrix {
namespace {

// A user type's physical type maps as a column's does; the call takes one
// form whatever form the source used.
TEST_F(DataAnalizersTest, UserTypesTakeTheTargetsPhysicalTypes) {
  struct Case {
    const char* Source;
    const char* Dest;
  };
  for (const Case& c : {
           Case{"exec sp_addtype amount, 'decimal', 'NULL'", "exec sp_addtype 'amount', 'decimal(18,0)', 'NULL'"},
           Case{"exec sp_addtype amount, 'numeric(9)'", "exec sp_addtype 'amount', 'numeric(9,0)'"},
           Case{"exec sp_addtype amount, 'numeric(9, 2)'", "exec sp_addtype 'amount', 'numeric(9, 2)'"},
           Case{"exec sp_addtype amount, N'nchar(4)', nonull", "exec sp_addtype 'amount', 'char(4)', 'NOT NULL'"},
           Case{"exec sp_addtype amount, sysname", "exec sp_addtype 'amount', 'varchar(128)'"},
           Case{"exec sp_addtype amount, 'phone_t'", "exec sp_addtype 'amount', 'phone_t'"},
       }) {
    const TResult result = Convert("DOMAIN", "", "amount", {c.Source});
    EXPECT_EQ(result.Error, "") << c.Source;
    EXPECT_EQ(result.Dest, std::vector<std::string>{c.Dest}) << c.Source;
  }
  EXPECT_EQ(Convert("DOMAIN", "", "v", {"exec sp_addtype v, 'rowversion'"}).Alarms, std::vector<std::string>{"TypeChanged"});
  EXPECT_EQ(Convert("DOMAIN", "", "v", {"exec sp_addtype @phystype = 'int'"}).Error,
            "Неправильные параметры команды создания пользовательского типа");
}

}  // namespace
}  // namespace ambrix
