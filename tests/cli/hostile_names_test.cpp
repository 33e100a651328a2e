// Names and texts from the source or the user reach the generated script
// inside names, string literals, PRINT lines and comments: none of them may
// end its place early and add a statement of its own.

#include <strings.h>

#include <cctype>
#include <ostream>

#include <gmock/gmock.h>

#include "run_ambrix.h"

namespace ambrix::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// The code of a generated script with every string literal, delimited name
// and comment replaced by one blank, read as the target reads them: '' ]]
// and "" inside their own delimiters stand for themselves, block comments
// nest. What is left is what the target runs as statements.
std::string CodeOnly(const std::string& script) {
  std::string code;
  std::size_t i = 0;
  const std::size_t n = script.size();
  auto skipQuoted = [&](char closer) {
    ++i;
    while (i < n) {
      if (script[i] == closer) {
        if (i + 1 < n && script[i + 1] == closer) {
          i += 2;
          continue;
        }
        ++i;
        return;
      }
      ++i;
    }
    code += "<UNCLOSED>";
  };
  while (i < n) {
    const char c = script[i];
    if (c == '\'') {
      skipQuoted('\'');
    } else if (c == '[') {
      skipQuoted(']');
    } else if (c == '"') {
      skipQuoted('"');
    } else if (c == '-' && i + 1 < n && script[i + 1] == '-') {
      while (i < n && script[i] != '\n') ++i;
    } else if (c == '/' && i + 1 < n && script[i + 1] == '*') {
      int depth = 0;
      while (i < n) {
        if (script.compare(i, 2, "/*") == 0) {
          ++depth;
          i += 2;
        } else if (script.compare(i, 2, "*/") == 0) {
          i += 2;
          if (--depth == 0) break;
        } else {
          ++i;
        }
      }
      if (depth > 0) code += "<UNCLOSED>";
    } else {
      code += c;
      ++i;
      continue;
    }
    code += ' ';
  }
  return code;
}

// How many times `word` stands in `code` as a whole word, letter case ignored.
int WordCount(const std::string& code, const std::string& word) {
  int count = 0;
  auto isWordChar = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
  for (std::size_t at = 0; at + word.size() <= code.size(); ++at) {
    if (strncasecmp(code.c_str() + at, word.c_str(), word.size()) != 0) continue;
    if (at > 0 && isWordChar(code[at - 1])) continue;
    if (at + word.size() < code.size() && isWordChar(code[at + word.size()])) continue;
    ++count;
  }
  return count;
}

// The lines of the script that are a batch end.
int GoLines(const std::string& script) {
  int count = 0;
  for (const std::string& line : Lines(script)) count += line == "GO";
  return count;
}

using HostileNames = CliTest;

TEST_F(HostileNames, DoubledClosersArePartOfTheName) {
  Write("names.sql",
        "create table [a]]one] (id int)\nGO\n"
        "create table [a]]two] (id int)\nGO\n"
        "create table \"a\"\"three\" (id int)\nGO\n");
  const RunResult r = Ambrix({"convert", "-q", "names.sql", "-o", "out.sql"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string script = Read(dir_ / "out.sql");
  for (const char* expected :
       {"create table [a]]one]", "create table [a]]two]", "create table [a\"three]",
        "Table_Name = 'a]one'", "Table_Name = 'a]two'", "Table_Name = 'a\"three'", "drop table [a]]one]",
        "drop table [a]]two]", "drop table [a\"three]", "print 'a]one'", "print 'a]two'", "print 'a\"three'"}) {
    EXPECT_THAT(script, HasSubstr(expected));
  }
  EXPECT_EQ(WordCount(CodeOnly(script), "create"), 3);
}

// The statements of a converted script: what the target runs once names,
// strings and comments are read as it reads them.
struct Shape {
  int create = 0, alter = 0, drop = 0, print = 0, exec = 0, go = 0;
  bool operator==(const Shape&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Shape& s) {
  return out << "create " << s.create << ", alter " << s.alter << ", drop " << s.drop << ", print " << s.print
             << ", exec " << s.exec << ", GO " << s.go;
}
Shape ShapeOf(const std::string& script) {
  const std::string code = CodeOnly(script);
  return {WordCount(code, "create"), WordCount(code, "alter"), WordCount(code, "drop"),
          WordCount(code, "print"),  WordCount(code, "exec"),  GoLines(script)};
}

// Each name is tried as the name of every kind of object a script declares:
// the converted script must have the same statements as with a plain name,
// and the words of the name never reach the code.
TEST_F(HostileNames, NoNameAddsAStatement) {
  auto bracketed = [](const std::string& n) {
    std::string out = "[";
    for (char c : n) {
      out += c;
      if (c == ']') out += ']';
    }
    return out + "]";
  };
  auto scriptFor = [&](const std::string& name) {
    const std::string t = bracketed(name + " t");
    return "create table " + t + " (id int not null, v int, constraint " + bracketed(name + " pk") +
           " primary key (id), constraint " + bracketed(name + " u") + " unique (v))\nGO\n"
           "create table " + bracketed(name + " c") + " (id int references " + t + " (id))\nGO\n"
           "alter table " + t + " add constraint " + bracketed(name + " ck") + " check (v > 0)\nGO\n"
           "alter table " + t + " add constraint " + bracketed(name + " df") + " default 0 for v\nGO\n"
           "create index " + bracketed(name + " i") + " on " + t + " (v)\nGO\n"
           "create view " + bracketed(name + " v") + " as select id from " + t + "\nGO\n"
           "create procedure " + bracketed(name + " p") + " as select 1\nGO\n"
           "create function " + bracketed(name + " f") + " () returns int as begin return 1 end\nGO\n"
           "create trigger " + bracketed(name + " tr") + " on " + t + " for insert as select 1\nGO\n"
           "exec sp_addtype " + bracketed(name + " ty") + ", 'int', 'null'\nGO\n"
           "create default " + bracketed(name + " d") + " as 0\nGO\n"
           "create rule " + bracketed(name + " r") + " as @v > 0\nGO\n";
  };
  auto convert = [&](const std::string& name) {
    Write("hostile.sql", scriptFor(name));
    const RunResult r = Ambrix({"convert", "-q", "-k", "hostile.sql", "-o", "out.sql"});
    EXPECT_EQ(r.exitCode, 0) << name << "\n" << r.err;
    return Read(dir_ / "out.sql");
  };
  const Shape plain = ShapeOf(convert("plain"));
  // Every object is converted: two tables, the index, view, procedure, function
  // and trigger are created; the type, default and rule come as exec calls or
  // commented out.
  EXPECT_EQ(plain.create, 7) << plain;
  const std::vector<std::string> names = {
      "x */ drop table Orders /* y",  "x'; drop table Orders; --", "x]; drop table Orders; --",
      "x\"; drop table Orders; --",   "x\\'; drop table Orders --", "x -- drop table Orders",
      "Заказы'; drop table Orders --", "x\ndrop table Orders\n-- y", "x\r\n'; drop table Orders --"};
  for (const std::string& name : names) {
    const std::string out = convert(name);
    const std::string code = CodeOnly(out);
    EXPECT_THAT(code, Not(HasSubstr("<UNCLOSED>"))) << name;
    EXPECT_EQ(WordCount(code, "Orders"), 0) << name << "\n" << out;
    EXPECT_EQ(ShapeOf(out), plain) << name << "\n" << out;
  }
}

// The project's name is written into the header's comment: it can neither
// close the comment nor start a line of its own.
TEST_F(HostileNames, AProjectNameStaysInsideTheHeaderComment) {
  Write("t.sql", "create table t (id int)\nGO\n");
  const RunResult r = Ambrix({"convert", "-q", "t.sql", "-o", "out.sql", "--repository", RepositoryFile(),
                              "--project", "x */ drop table Orders /* \nGO\ny"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string out = Read(dir_ / "out.sql");
  const std::string code = CodeOnly(out);
  EXPECT_EQ(WordCount(code, "Orders"), 0) << out;
  EXPECT_EQ(GoLines(out), 3) << out;
  EXPECT_THAT(out, HasSubstr("drop table Orders"));  // kept, as text of the comment
}

}  // namespace
}  // namespace ambrix::test
