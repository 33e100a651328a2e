// Qualified names in a parse result, and bare names given as text.

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "recognition_fixture.h"
#include "parser/parser_text_word_list.h"
#include "parser/parser_word_list.h"
#include "recognition/object_name.h"
#include "text/encoding.h"
#include "text/error.h"

namespace ambrix::testing {
namespace {

class ObjectName : public ::testing::Test {
 protected:
  ObjectName() : dialect(MakeTestTerms()) {}

  const TParserWordList& Parse(const std::string& text) {
    lines = SplitLines(text);
    dialect.Parse(lines, words);
    return words;
  }

  std::string SplitFailure(const std::string& text, int index = 0) {
    Parse(text);
    return MessageOf([&] { SplitObjectName(words, index); });
  }

  TestTerms dialect;
  std::vector<std::string> lines;
  TParserWordList words;
};

struct NameCase {
  std::string text;
  std::array<std::string, 4> parts;
  int nameIndex;
  int lastIndex;
};

TEST_F(ObjectName, SplitsIntoPartsFilledFromTheEnd) {
  const std::vector<NameCase> cases{
      {"dbo.Orders", {"", "", "dbo", "Orders"}, 0, 2},
      {"[dbo].[Order Details]", {"", "", "dbo", "Order Details"}, 0, 2},
      {"srv.db.dbo.T", {"srv", "db", "dbo", "T"}, 0, 6},
      {"\"my owner\".\"My Table\"", {"", "", "my owner", "My Table"}, 0, 2},
      // a single word before a bracket block: one part, the block is no part
      {"t1 (a int)", {"", "", "", "t1"}, 0, 0},
      // the chain ends at the part that no separator follows
      {"a.b c.d", {"", "", "a", "b"}, 0, 2},
      {"dbo.t1 (a int)", {"", "", "dbo", "t1"}, 0, 2},
      // comments before the name are stepped over
      {"/* c */ -- line\n  dbo.T", {"", "", "dbo", "T"}, 2, 4},
      // a reserved word is a name once it is delimited
      {"[CREATE TABLE]", {"", "", "", "CREATE TABLE"}, 0, 0},
      // two separators in a row: the database's default owner
      {"db..t", {"", "db", "", "t"}, 0, 3},
      {"srv...t", {"srv", "", "", "t"}, 0, 4},
      {"Заказы.Сумма", {"", "", "Заказы", "Сумма"}, 0, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    Parse(c.text);
    const TObjectName name = SplitObjectName(words, 0);
    EXPECT_EQ(name.Parts, c.parts);
    EXPECT_EQ(name.NameIndex, c.nameIndex);
    EXPECT_EQ(name.LastIndex, c.lastIndex);
  }
}

TEST_F(ObjectName, StartsAtTheGivenIndex) {
  Parse("ON dbo.T FOR UPDATE");
  const TObjectName name = SplitObjectName(words, 1);
  EXPECT_EQ(name.Parts[3], "T");
  EXPECT_EQ(name.NameIndex, 1);
  EXPECT_EQ(name.LastIndex, 3);
}

TEST_F(ObjectName, RejectsWhatIsNoName) {
  const std::string message = "Не возможно проанализировать имя ";
  for (const std::string text : {
           "",                  // no word at all
           "/* only */ -- a comment",
           "'T' (a int)",       // a string literal
           "(a int)",           // a bracket block
           "CREATE TABLE",      // a reserved word, not delimited
           "dbo.",              // the words end after a separator
           "dbo..",             //
           "dbo.(a int)",       // no part after the separator
           "dbo./* c */T",      // a comment in place of a part
           "a.b.c.d.e",         // more than four parts
       }) {
    EXPECT_EQ(SplitFailure(text), message) << text;
  }
}

TEST_F(ObjectName, RejectsAnIndexOutsideTheWords) {
  const std::string message = "Не возможно проанализировать имя ";
  EXPECT_EQ(SplitFailure("dbo.T", -1), message);
  EXPECT_EQ(SplitFailure("dbo.T", 3), message);
  EXPECT_EQ(SplitFailure("dbo.T", 99), message);
}

TEST_F(ObjectName, ParseGivesTheObjectPartAndTheLastIndex) {
  int last = -1;
  EXPECT_EQ(ParseObjectName(Parse("srv.db.dbo.T (a)"), 0, last), "T");
  EXPECT_EQ(last, 6);
  EXPECT_EQ(ParseObjectName(Parse("x"), 0, last), "x");
  EXPECT_EQ(last, 0);
}

TEST_F(ObjectName, ParseRejectsAnEmptyObjectPart) {
  int last = -1;
  for (const std::string text : {"[]", "dbo.[]", "dbo.\"\""}) {
    Parse(text);
    EXPECT_EQ(SplitObjectName(words, 0).Parts[3], "") << text;
    EXPECT_EQ(MessageOf([&] { ParseObjectName(words, 0, last); }), "Не возможно проанализировать имя ") << text;
  }
}

TEST(ClearObjectName, DropsTheFirstPartAndTheDelimiters) {
  const std::vector<std::pair<std::string, std::string>> cases{
      {"dbo.[DF_Orders_Qty]", "DF_Orders_Qty"},
      {"db.dbo.x", "dbo.x"},  // only the first part goes
      {"Orders.Qty", "Qty"},
      {"[Order Details]", "Order Details"},
      {"\"x y\"", "x y"},
      {"  [Сумма]  ", "Сумма"},
      {"plain", "plain"},
      {"", ""},
      {".", ""},
  };
  for (const auto& [name, bare] : cases) EXPECT_EQ(ClearObjectName(name), bare) << name;
}

}  // namespace
}  // namespace ambrix::testing
