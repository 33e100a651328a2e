// Checks the dialect rows of data/ against what the code requires of them:
// the repository's column names and widths, unique start sequences, the
// delimiters and statements the parser and the commands look up, the words
// the rewrite rules find as one term, the alarm kinds and the type objects.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <stdexcept>
#include <set>
#include <string>
#include <vector>

#include "embedded_file.h"
#include "text/string_helpers.h"
#include "text/tsv_table.h"
#include "text/utf8.h"

namespace ambrix {
namespace {

TTsvTable Load(const char* name) {
  std::string_view text = data::EmbeddedFile(name);
  if (text.empty()) throw std::runtime_error(std::string("no embedded file ") + name);
  return TTsvTable::Parse(text, name);
}

const TTsvTable& Words() {
  static const TTsvTable table = Load("reserved_word.tsv");
  return table;
}

// A start or end text as the term list compares it: words split at blanks,
// upper-cased, joined by single spaces.
std::string Sequence(const std::string& text) {
  std::vector<std::string> words;
  SplitWords(1, static_cast<int>(Utf8Length(text)), text, words);
  for (std::string& w : words) w = UpperCase(w);
  return JoinWithSpaces(words);
}

struct WordRow {
  std::string start;  // normalised
  std::string type;   // upper case
  std::optional<std::string> end;
  int isWord;
  int isMain;
  int line;
};

const std::vector<WordRow>& Rows() {
  static const std::vector<WordRow> rows = [] {
    std::vector<WordRow> out;
    const TTsvTable& t = Words();
    for (int i = 0; i < t.RowCount(); ++i) {
      std::optional<std::string> end = t.Field(i, "EndWord");
      out.push_back({Sequence(t.Text(i, "StartWord")), UpperTrim(t.Text(i, "TypeReservedWord")), end,
                     t.Int(i, "IsWord"), t.Int(i, "IsMain"), t.LineOf(i)});
    }
    return out;
  }();
  return rows;
}

const WordRow* Find(const std::string& sequence) {
  std::string key = Sequence(sequence);
  for (const WordRow& r : Rows())
    if (r.start == key) return &r;
  return nullptr;
}

std::vector<const WordRow*> OfType(const std::string& type) {
  std::vector<const WordRow*> out;
  for (const WordRow& r : Rows())
    if (r.type == UpperTrim(type)) out.push_back(&r);
  return out;
}

TEST(DialectData, FilesHaveTheRepositoryColumns) {
  const std::map<std::string, std::vector<std::string>> expected = {
      {"dialect.tsv", {"Dialect_id", "Name"}},
      {"type_object.tsv", {"TypeObject_id", "Name", "ParentTypeObject_id", "Num"}},
      {"type_object_dialect.tsv", {"Dialect_id", "TypeObject_id"}},
      {"alarm.tsv", {"Alarm_id", "VarName", "Name", "Dialect_id"}},
      {"reserved_word.tsv", {"Dialect_id", "StartWord", "TypeReservedWord", "EndWord", "IsWord", "IsMain"}},
  };
  for (const auto& [file, columns] : expected) EXPECT_EQ(Load(file.c_str()).Columns(), columns) << file;
}

TEST(DialectData, ReservedWordsFitTheRepositoryColumns) {
  const TTsvTable& t = Words();
  ASSERT_GT(t.RowCount(), 0);
  for (int i = 0; i < t.RowCount(); ++i) {
    SCOPED_TRACE("reserved_word.tsv line " + std::to_string(t.LineOf(i)));
    EXPECT_EQ(t.Int(i, "Dialect_id"), 1);
    const std::string& type = t.Text(i, "TypeReservedWord");
    EXPECT_FALSE(Trim(type).empty());
    EXPECT_LE(Utf8Length(type), 15u) << type;
    ASSERT_TRUE(t.Field(i, "StartWord").has_value());
    EXPECT_FALSE(Trim(t.Text(i, "StartWord")).empty());
    EXPECT_LE(Utf8Length(t.Text(i, "StartWord")), 100u);
    if (t.Field(i, "EndWord")) {
      EXPECT_FALSE(Trim(t.Text(i, "EndWord")).empty()) << "an end word is NULL or not blank";
      EXPECT_LE(Utf8Length(t.Text(i, "EndWord")), 100u);
    }
    EXPECT_TRUE(t.Int(i, "IsWord") == 0 || t.Int(i, "IsWord") == 1);
    EXPECT_TRUE(t.Int(i, "IsMain") == 0 || t.Int(i, "IsMain") == 1);
  }
}

TEST(DialectData, StartSequencesAreUnique) {
  std::map<std::string, int> seen;
  for (const WordRow& r : Rows()) {
    auto [it, added] = seen.emplace(r.start, r.line);
    EXPECT_TRUE(added) << "\"" << r.start << "\" on lines " << it->second << " and " << r.line;
  }
}

TEST(DialectData, RequiredDelimitersExistExactlyOnce) {
  struct Case {
    const char* type;
    const char* start;
    std::optional<std::string> end;
  };
  // One row per type, so the term the code keeps does not depend on the order
  // in which the repository returns the rows.
  const Case cases[] = {
      {"OBJECT_DIV", ".", std::nullopt},
      {"LIST_DIV", ",", std::nullopt},
      {"BLOCK", "(", ")"},
      {"TEXT", "'", "'"},
  };
  for (const Case& c : cases) {
    std::vector<const WordRow*> rows = OfType(c.type);
    ASSERT_EQ(rows.size(), 1u) << c.type;
    EXPECT_EQ(rows[0]->start, c.start);
    EXPECT_EQ(rows[0]->end, c.end) << c.type;
    EXPECT_EQ(rows[0]->isWord, 0) << c.type << " must split the text";
  }
}

TEST(DialectData, NoSequenceIsHiddenByAShorterOne) {
  // The parser compares a multi-word sequence with the text by characters and
  // tries it before a sequence whose last word it begins: CREATE PROC takes
  // the words CREATE PROCEDURE. A row so hidden never matches, and the text
  // would print in the short form; only the pairs the code expects remain.
  const std::set<std::pair<std::string, std::string>> expected = {
      {"CREATE PROC", "CREATE PROCEDURE"},
      {"BEGIN DISTRIBUTED TRAN", "BEGIN DISTRIBUTED TRANSACTION"},
  };
  std::set<std::pair<std::string, std::string>> hidden;
  for (const WordRow& a : Rows()) {
    if (a.start.find(' ') == std::string::npos) continue;
    for (const WordRow& b : Rows())
      if (b.start.size() > a.start.size() && b.start.compare(0, a.start.size(), a.start) == 0 &&
          b.start[a.start.size()] != ' ')
        hidden.emplace(a.start, b.start);
  }
  EXPECT_EQ(hidden, expected);
}

TEST(DialectData, NamesAndCommentsAreDelimiters) {
  std::set<std::pair<std::string, std::string>> names;
  for (const WordRow* r : OfType("OBJECT_NAME")) names.emplace(r->start, r->end.value_or(""));
  EXPECT_EQ(names, (std::set<std::pair<std::string, std::string>>{{"[", "]"}, {"\"", "\""}}));

  std::set<std::pair<std::string, std::string>> comments;
  for (const WordRow* r : OfType("COMMENT")) comments.emplace(r->start, r->end.value_or("<line>"));
  EXPECT_EQ(comments, (std::set<std::pair<std::string, std::string>>{{"--", "<line>"}, {"/*", "*/"}}));
}

TEST(DialectData, SeparatorsAreSymbolsAndWordsAreWords) {
  // A separator splits text wherever it occurs, so one made of letters or
  // digits would cut identifiers apart; a multi-word sequence must be a word.
  for (const WordRow& r : Rows()) {
    SCOPED_TRACE("line " + std::to_string(r.line) + ": " + r.start);
    bool hasSpace = r.start.find(' ') != std::string::npos;
    std::string all = r.start + (r.end ? *r.end : "");
    bool alnum = std::any_of(all.begin(), all.end(), [](char c) {
      return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '@' || (c & 0x80);
    });
    if (r.isWord == 0) {
      EXPECT_FALSE(alnum);
      EXPECT_FALSE(hasSpace);
    } else {
      EXPECT_TRUE(alnum || hasSpace) << "a symbol that is a word does not split the text";
    }
  }
}

TEST(DialectData, CommandStartWordsAreStatementRows) {
  const char* commands[] = {
      "create table", "create default", "create view", "create procedure", "create proc",
      "create function", "create trigger", "create index", "create unique index",
      "create clustered index", "create nonclustered index", "create unique clustered index",
      "create unique nonclustered index", "exec sp_addtype", "alter table", "exec sp_bindefault"};
  for (const char* c : commands) {
    const WordRow* r = Find(c);
    ASSERT_NE(r, nullptr) << c;
    EXPECT_EQ(r->type, "DML") << c;
    EXPECT_EQ(r->isMain, 1) << c;
    EXPECT_EQ(r->isWord, 1) << c;
    EXPECT_FALSE(r->end.has_value()) << c;
  }
}

TEST(DialectData, StatementStartersAreMain) {
  const char* starters[] = {"SELECT", "INSERT", "UPDATE", "DELETE", "DELETE FROM", "ALTER TABLE",
                            "CREATE TABLE", "DROP TABLE", "DROP PROCEDURE", "TRUNCATE TABLE", "DECLARE",
                            "SET", "IF", "ELSE", "WHILE", "BEGIN", "END", "RETURN", "EXEC", "EXECUTE",
                            "EXEC (", "PRINT", "RAISERROR", "RAISERROR (", "FETCH", "OPEN", "CLOSE",
                            "DEALLOCATE", "BEGIN TRANSACTION", "COMMIT", "ROLLBACK", "DBCC"};
  for (const char* s : starters) {
    const WordRow* r = Find(s);
    ASSERT_NE(r, nullptr) << s;
    EXPECT_EQ(r->isMain, 1) << s;
  }
  // Words inside a statement must not end it.
  for (const char* s : {"FROM", "WHERE", "AS", "ON", "CASE", "VALUES (", "UPDATE (", "INTO", "SP_EXECUTESQL"}) {
    const WordRow* r = Find(s);
    ASSERT_NE(r, nullptr) << s;
    EXPECT_EQ(r->isMain, 0) << s;
  }
}

TEST(DialectData, RuleSequencesAreSingleTerms) {
  struct Case {
    const char* start;
    std::optional<std::string> end;
  };
  const Case cases[] = {
      {"CREATE TABLE", std::nullopt},
      {"ALTER TABLE", std::nullopt},
      {"CREATE PROC", std::nullopt},
      {"INSTEAD OF", std::nullopt},
      {"BEGIN DISTRIBUTED TRANSACTION", std::nullopt},
      {"BEGIN DISTRIBUTED TRAN", std::nullopt},
      {"DELETE FROM", std::nullopt},
      {"DROP TABLE", std::nullopt},
      {"DROP VIEW", std::nullopt},
      {"DROP PROCEDURE", std::nullopt},
      {"DROP FUNCTION", std::nullopt},
      {"DROP TRIGGER", std::nullopt},
      {"DROP INDEX", std::nullopt},
      {"DROP DEFAULT", std::nullopt},
      {"DROP RULE", std::nullopt},
      {"FETCH NEXT", std::nullopt},
      {"PRIMARY KEY", std::nullopt},
      {"FOREIGN KEY", std::nullopt},
      {"CONSTRAINT", std::nullopt},
      {"CHECK (", ")"},
      {"IDENTITY (", ")"},
      {"EXEC (", ")"},
      {"VALUES (", ")"},
      {"UPDATE (", ")"},
      {"( INDEX =", ")"},
      {"COUNT (", ")"},
      {"COUNT_BIG (", ")"},
      {"SUM (", ")"},
      {"AVG (", ")"},
      {"ROUND (", ")"},
      {"DATEPART (", ")"},
      {"DATEADD (", ")"},
      {"DATEDIFF (", ")"},
      {"DATENAME (", ")"},
      {"IDENT_CURRENT (", ")"},
      {"SCOPE_IDENTITY (", ")"},
      {"CHARINDEX (", ")"},
      {"LEN (", ")"},
      {"RAISERROR (", ")"},
      {"CASE", "END"},
      {"CURRENT_USER", std::nullopt},
      {"SESSION_USER", std::nullopt},
      {"SYSTEM_USER", std::nullopt},
  };
  for (const Case& c : cases) {
    const WordRow* r = Find(c.start);
    ASSERT_NE(r, nullptr) << c.start;
    EXPECT_EQ(r->end, c.end) << c.start;
    EXPECT_EQ(r->isWord, 1) << c.start;
  }
  // The function calls the rule rewrites are printed with a capital initial.
  for (const char* f : {"COUNT (", "SUM (", "LEN (", "CHARINDEX (", "GETDATE"}) {
    const WordRow* r = Find(f);
    ASSERT_NE(r, nullptr) << f;
    EXPECT_EQ(r->type, "SYSFUNC") << f;
  }
}

TEST(DialectData, EveryServerKeywordIsARow) {
  // The reserved keywords of SQL Server 2000.
  const char* keywords[] = {
      "ADD", "ALL", "ALTER", "AND", "ANY", "AS", "ASC", "AUTHORIZATION", "BACKUP", "BEGIN", "BETWEEN",
      "BREAK", "BROWSE", "BULK", "BY", "CASCADE", "CASE", "CHECK", "CHECKPOINT", "CLOSE", "CLUSTERED",
      "COALESCE", "COLLATE", "COLUMN", "COMMIT", "COMPUTE", "CONSTRAINT", "CONTAINS", "CONTAINSTABLE",
      "CONTINUE", "CONVERT", "CREATE", "CROSS", "CURRENT", "CURRENT_DATE", "CURRENT_TIME",
      "CURRENT_TIMESTAMP", "CURRENT_USER", "CURSOR", "DATABASE", "DBCC", "DEALLOCATE", "DECLARE",
      "DEFAULT", "DELETE", "DENY", "DESC", "DISK", "DISTINCT", "DISTRIBUTED", "DOUBLE", "DROP", "DUMMY",
      "DUMP", "ELSE", "END", "ERRLVL", "ESCAPE", "EXCEPT", "EXEC", "EXECUTE", "EXISTS", "EXIT", "FETCH",
      "FILE", "FILLFACTOR", "FOR", "FOREIGN", "FREETEXT", "FREETEXTTABLE", "FROM", "FULL", "FUNCTION",
      "GOTO", "GRANT", "GROUP", "HAVING", "HOLDLOCK", "IDENTITY", "IDENTITY_INSERT", "IDENTITYCOL", "IF",
      "IN", "INDEX", "INNER", "INSERT", "INTERSECT", "INTO", "IS", "JOIN", "KEY", "KILL", "LEFT", "LIKE",
      "LINENO", "LOAD", "NATIONAL", "NOCHECK", "NONCLUSTERED", "NOT", "NULL", "NULLIF", "OF", "OFF",
      "OFFSETS", "ON", "OPEN", "OPENDATASOURCE", "OPENQUERY", "OPENROWSET", "OPENXML", "OPTION", "OR",
      "ORDER", "OUTER", "OVER", "PERCENT", "PLAN", "PRECISION", "PRIMARY", "PRINT", "PROC", "PROCEDURE",
      "PUBLIC", "RAISERROR", "READ", "READTEXT", "RECONFIGURE", "REFERENCES", "REPLICATION", "RESTORE",
      "RESTRICT", "RETURN", "REVOKE", "RIGHT", "ROLLBACK", "ROWCOUNT", "ROWGUIDCOL", "RULE", "SAVE",
      "SCHEMA", "SELECT", "SESSION_USER", "SET", "SETUSER", "SHUTDOWN", "SOME", "STATISTICS",
      "SYSTEM_USER", "TABLE", "TEXTSIZE", "THEN", "TO", "TOP", "TRAN", "TRANSACTION", "TRIGGER",
      "TRUNCATE", "TSEQUAL", "UNION", "UNIQUE", "UPDATE", "UPDATETEXT", "USE", "USER", "VALUES",
      "VARYING", "VIEW", "WAITFOR", "WHEN", "WHERE", "WHILE", "WITH", "WRITETEXT"};
  std::vector<std::string> missing;
  for (const char* k : keywords)
    if (Find(k) == nullptr) missing.push_back(k);
  EXPECT_TRUE(missing.empty()) << JoinWithSpaces(missing);
}

TEST(DialectData, AlarmSourceTypesHaveRows) {
  for (const char* type : {"systable", "sysview", "sysproc", "sysdb", "sysglobvar", "dbcc", "dynamicsql",
                           "sysglobalvar", "sysfunc", "sysoption"})
    EXPECT_FALSE(OfType(type).empty()) << type;
  struct Case {
    const char* word;
    const char* type;
  };
  const Case cases[] = {
      {"sysobjects", "SYSTABLE"}, {"syscolumns", "SYSTABLE"},      {"INFORMATION_SCHEMA", "SYSVIEW"},
      {"sp_addtype", "SYSPROC"},  {"xp_cmdshell", "SYSPROC"},      {"master", "SYSDB"},
      {"tempdb", "SYSDB"},        {"DBCC", "DBCC"},                {"EXEC (", "DYNAMICSQL"},
      {"sp_executesql", "DYNAMICSQL"},
      // Global variables SQL Anywhere 9 has too are no alarm; the others are.
      {"@@ERROR", "SYSGLOBALVAR"}, {"@@ROWCOUNT", "SYSGLOBALVAR"}, {"@@IDENTITY", "SYSGLOBALVAR"},
      {"@@FETCH_STATUS", "SYSGLOBALVAR"}, {"@@TRANCOUNT", "SYSGLOBALVAR"}, {"@@OPTIONS", "SYSGLOBVAR"},
      {"@@LOCK_TIMEOUT", "SYSGLOBVAR"}, {"@@DATEFIRST", "SYSGLOBVAR"},
  };
  for (const Case& c : cases) {
    const WordRow* r = Find(c.word);
    ASSERT_NE(r, nullptr) << c.word;
    EXPECT_EQ(r->type, c.type) << c.word;
  }
}

TEST(DialectData, AlarmKindsTheAnalyzersRaiseExist) {
  TTsvTable t = Load("alarm.tsv");
  std::set<std::string> kinds;
  std::set<int> ids;
  for (int i = 0; i < t.RowCount(); ++i) {
    SCOPED_TRACE("alarm.tsv line " + std::to_string(t.LineOf(i)));
    EXPECT_TRUE(ids.insert(t.Int(i, "Alarm_id")).second) << "repeated Alarm_id";
    EXPECT_EQ(t.Int(i, "Dialect_id"), 1);
    const std::string& var = t.Text(i, "VarName");
    EXPECT_LE(Utf8Length(var), 30u);
    EXPECT_TRUE(kinds.insert(UpperCase(var)).second) << "repeated VarName " << var;
    const std::string& name = t.Text(i, "Name");
    EXPECT_TRUE(IsValidUtf8(name));
    EXPECT_GE(Utf8Length(name), 20u) << "the text tells the user what to check";
    EXPECT_LE(Utf8Length(name), 250u);
  }
  EXPECT_EQ(kinds, (std::set<std::string>{"SYSTABLE", "SYSVIEW", "SYSPROC", "SYSDB", "SYSGLOBVAR", "DBCC",
                                          "DYNAMICSQL", "TRIGGERINSTEADOF", "IDENTITYSEED", "TYPECHANGED",
                                          "COMPUTEDCOLUMN", "RULEONTYPE", "COLLATION", "IGNOREDUPKEY",
                                          "IDENTCURRENT", "INDEXRENAMED", "DEFAULTONTYPE", "INDEXONVIEW", "TRIGGERONVIEW",
                                          // The rules of the code objects' statements.
                                          "RAISERRORFORMAT", "RAISERRORNUMBER", "RAISERROROPTION", "UPDATEDELETEFROM",
                                          "COMMENTEDENDMARK", "MODULOOPERATOR", "FUNCTIONPARAMDEFAULT", "OBJECTOPTION",
                                          "PRINTARGUMENTS", "IDENTITYNUMBERING", "ROUNDTRUNCATIONFLAG"}));
}

TEST(DialectData, FourteenTypeObjectsOfTheDialect) {
  TTsvTable t = Load("type_object.tsv");
  std::map<std::string, int> ids;
  std::set<int> nums;
  for (int i = 0; i < t.RowCount(); ++i) {
    const std::string& name = t.Text(i, "Name");
    EXPECT_EQ(name, LowerCase(name)) << "type lists compare quoted lower-case names";
    EXPECT_LE(Utf8Length(name), 30u);
    EXPECT_TRUE(ids.emplace(name, t.Int(i, "TypeObject_id")).second) << name;
    EXPECT_TRUE(nums.insert(t.Int(i, "Num")).second) << "repeated Num of " << name;
  }
  std::set<std::string> names;
  for (const auto& [name, id] : ids) names.insert(name);
  EXPECT_EQ(names, (std::set<std::string>{"default", "rule", "domain", "table", "view", "procedure",
                                          "function", "constraint primary key", "constraint default",
                                          "constraint rule", "constraint unique", "constraint foreign key",
                                          "index", "trigger"}));

  TTsvTable links = Load("type_object_dialect.tsv");
  std::set<int> linked;
  for (int i = 0; i < links.RowCount(); ++i) {
    EXPECT_EQ(links.Int(i, "Dialect_id"), 1);
    linked.insert(links.Int(i, "TypeObject_id"));
  }
  std::set<int> all;
  for (const auto& [name, id] : ids) all.insert(id);
  EXPECT_EQ(linked, all);

  TTsvTable dialects = Load("dialect.tsv");
  ASSERT_EQ(dialects.RowCount(), 1);
  EXPECT_EQ(dialects.Int(0, "Dialect_id"), 1);
  EXPECT_LE(Utf8Length(dialects.Text(0, "Name")), 50u);
}

TEST(DialectData, GenerationOrderCreatesWhatOthersNeedFirst) {
  TTsvTable t = Load("type_object.tsv");
  std::map<std::string, int> num;
  for (int i = 0; i < t.RowCount(); ++i) num[t.Text(i, "Name")] = t.Int(i, "Num");
  // before < after: objects are created in increasing Num, dropped in decreasing.
  const std::pair<const char*, const char*> order[] = {
      {"default", "table"},
      {"domain", "table"},
      {"rule", "table"},
      {"default", "domain"},
      {"table", "constraint primary key"},
      {"table", "constraint unique"},
      {"table", "constraint foreign key"},
      {"table", "constraint default"},
      {"table", "constraint rule"},
      {"table", "index"},
      {"table", "trigger"},
      {"constraint primary key", "constraint foreign key"},
      {"constraint unique", "constraint foreign key"},
      {"table", "view"},
      {"table", "function"},
      {"table", "procedure"},
      {"function", "view"},
      {"view", "procedure"},
      {"procedure", "trigger"},
  };
  for (const auto& [before, after] : order) {
    ASSERT_TRUE(num.count(before) && num.count(after)) << before << " / " << after;
    EXPECT_LT(num[before], num[after]) << before << " before " << after;
  }
}

}  // namespace
}  // namespace ambrix
