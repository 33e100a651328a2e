#include "parser/parser.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "../support/test_terms.h"
#include "text/error.h"

namespace ambrix {
namespace {

using ::testing::ElementsAre;
using testing::MakeTestTerms;
using testing::TestTerms;

// A parse tree as text: each node's text, its children in braces, and its end
// text for a delimiter, separated by blanks.
std::string Dump(const TParserWordList& list) {
  std::string out;
  for (TParserWord* node : list) {
    if (!out.empty()) out += ' ';
    out += node->Text();
    if (node->Children) out += "{" + Dump(*node->Children) + "}";
    if (node->Term->HasEndText()) out += node->Term->EndText();
  }
  return out;
}

class ParserTest : public ::testing::Test {
 protected:
  TestTerms dialect = MakeTestTerms({"INT", "CHAR"});
  TParserWordList result;

  std::string Parse(std::vector<std::string> lines) {
    dialect.Parse(lines, result);
    return Dump(result);
  }
  std::string ErrorOf(std::vector<std::string> lines) {
    try {
      dialect.Parse(lines, result);
    } catch (const Error& e) {
      return e.what();
    }
    return "(no error)";
  }
};

TEST_F(ParserTest, BuildsTheTreeOfATableDefinition) {
  EXPECT_EQ(Parse({"create table [dbo].t1 (a int, b char(10))"}),
            "CREATE TABLE [{dbo}] . t1 ({a INT , b CHAR ({10})})");
  ASSERT_EQ(result.Count(), 5);
  EXPECT_EQ(result[1]->TypeName(), "OBJECT_NAME");
  EXPECT_EQ(result[1]->Children->Words(0)->Term->Kind, tkText);
  EXPECT_EQ(result[2]->Term, dialect.ObjectDiv);
  EXPECT_EQ(result[3]->Term->Kind, tkText);
  EXPECT_EQ(result[3]->TypeName(), "#KEYWORD#");
  const TParserWord* block = result[4];
  EXPECT_EQ(block->Term, dialect.Block);
  EXPECT_EQ(block->Children->ParentWord, block);
  EXPECT_EQ(block->Children->Words(5)->Owner, block->Children.get());
  // Positions: line from 0, column from 1.
  EXPECT_EQ(block->StartPos, (TTextPoint{0, 23}));
  EXPECT_EQ(block->EndWordPos, (TTextPoint{0, 41}));
  EXPECT_EQ(block->EndPos, (TTextPoint{0, 41}));
  EXPECT_EQ(result[0]->EndWordPos, (TTextPoint{0, 8}));
  EXPECT_EQ(result[0]->EndPos, (TTextPoint{0, 12}));
}

TEST_F(ParserTest, DotIsNoDividerInsideANumber) {
  EXPECT_EQ(Parse({"1.5"}), "1.5");
  EXPECT_EQ(result[0]->EndPos, (TTextPoint{0, 3}));
  EXPECT_EQ(Parse({"x.y"}), "x . y");
  EXPECT_EQ(Parse({"t1.col"}), "t1 . col");
  EXPECT_EQ(Parse({"select 1. from"}), "select 1. from");
  EXPECT_EQ(Parse({"a .5"}), "a .5");
}

TEST_F(ParserTest, KeepsTheInteriorOfStringsAndNamesRaw) {
  EXPECT_EQ(Parse({"' x '"}), "'{x }'");
  EXPECT_EQ(result[0]->Children->Words(0)->StartPos, (TTextPoint{0, 3}));
  EXPECT_EQ(Parse({"'   '"}), "'{}'");  // laid out again from the columns
  EXPECT_EQ(Parse({"''"}), "'{}'");
  EXPECT_EQ(result[0]->Children->Count(), 0);
  EXPECT_EQ(Parse({"'('"}), "'{(}'");
  EXPECT_EQ(Parse({"\"my -- name\".x"}), "\"{my -- name}\" . x");
}

// A string's value and a comment's text are what the author wrote, byte for
// byte: tabs, blanks before a line end and lines of blanks included.
TEST_F(ParserTest, KeepsTheInteriorExactlyAsWritten) {
  struct Case {
    std::vector<std::string> lines;
    std::string interior;
  };
  const Case cases[] = {
      {{"x = 'a\tb'"}, "a\tb"},
      {{"x = '\t'"}, "\t"},
      {{"x = ' \t '"}, "\t "},
      {{"x = 'a  ", "  ", "", "b'"}, "a  \r\n  \r\n\r\nb"},
      {{"x = '", "'"}, "\r\n"},
      {{"x /* a\t ", "\tb */"}, "a\t \r\n\tb "},
      {{"x -- a\tb  "}, "a\tb  "},
      {{"x /*", "  a */"}, "\r\n  a "},
  };
  for (const Case& c : cases) {
    std::vector<std::string> lines = c.lines;
    dialect.Parse(lines, result);
    ASSERT_GE(result.Count(), 2) << c.interior;
    const TParserWord* raw = result[result.Count() - 1];
    ASSERT_TRUE(raw->Children) << c.interior;
    ASSERT_EQ(raw->Children->Count(), 1) << c.interior;
    EXPECT_EQ(raw->Children->Words(0)->Text(), c.interior);
  }
}

// Printed again, a text with tabs and blank line ends reads as it was
// written, and the words after it keep their places.
TEST_F(ParserTest, PrintsRawTextsWithTheirTabsAndLineEnds) {
  const std::vector<std::vector<std::string>> sources = {
      {"select 'a\tb', 1"},
      {"select '\ta  ", "", "  b\t' , x"},
      {"if 1 = 1 /* a\t", "\t*/ print 'x\t'  -- c\t "},
  };
  for (const auto& source : sources) {
    std::vector<std::string> lines = source;
    dialect.Parse(lines, result);
    result.BuildText(0);
    std::vector<std::string> printed;
    result.TextList->PrintAll(printed);
    EXPECT_EQ(printed, source);
  }
}

// A one-character closer written twice stands for itself inside a string or
// a quoted name; a block comment nests as Transact-SQL nests it.
TEST_F(ParserTest, ReadsDoubledClosersAndNestedCommentsWhole) {
  EXPECT_EQ(Parse({"'it''s' x"}), "'{it''s}' x");
  EXPECT_EQ(Parse({"'''' x"}), "'{''}' x");
  EXPECT_EQ(Parse({"'' x"}), "'{}' x");
  EXPECT_EQ(Parse({"[a]]one] x"}), "[{a]]one}] x");
  EXPECT_EQ(Parse({"\"a\"\"b\" x"}), "\"{a\"\"b}\" x");
  EXPECT_EQ(Parse({"'a' 'b'"}), "'{a}' '{b}'");
  EXPECT_EQ(Parse({"/* a /* b */ c */ x"}), "/*{a /* b */ c }*/ x");
  EXPECT_EQ(Parse({"/* a /* b */ */ x /* y */"}), "/*{a /* b */ }*/ x /*{y }*/");
  EXPECT_EQ(Parse({"/* it's */ x"}), "/*{it's }*/ x");
  EXPECT_EQ(Parse({"-- a /* b", "x"}), "--{a /* b} x");
  EXPECT_THROW(Parse({"/* a /* b */ x"}), Error);
  EXPECT_THROW(Parse({"[a]] x"}), Error);  // the doubled closer does not close it
}

TEST_F(ParserTest, LineCommentTakesTheRestOfItsLine) {
  EXPECT_EQ(Parse({"a -- note (x", "b"}), "a --{note (x} b");
  EXPECT_EQ(Parse({"a --", "b"}), "a --{} b");
  ASSERT_TRUE(result[1]->Children);
  EXPECT_EQ(result[1]->Children->Count(), 0);
  EXPECT_EQ(Parse({"--only"}), "--{only}");
}

TEST_F(ParserTest, BlockCommentSpansLines) {
  Parse({"x /* one", "  two", "three */ y"});
  ASSERT_EQ(result.Count(), 3);
  const TParserWord* comment = result[1];
  EXPECT_EQ(comment->TypeName(), "#COMMENT#");
  EXPECT_EQ(comment->Children->Words(0)->Text(), "one\r\n  two\r\nthree ");
  EXPECT_EQ(comment->EndWordPos, (TTextPoint{2, 7}));
}

TEST_F(ParserTest, GluesTouchingUnknownWords) {
  EXPECT_EQ(Parse({"a) @x+1"}), "a) @x+1");
  EXPECT_EQ(Parse({"select @a=1"}), "select @a=1");
}

TEST_F(ParserTest, RecognisesMultiWordTermsByWholeWords) {
  testing::AddDialectRow(*dialect.Terms, "DML", "create proc", "", true, true);
  testing::AddDialectRow(*dialect.Terms, "DML", "create procedure", "", true, true);
  testing::AddDialectRow(*dialect.Terms, "DML", "update statistics", "", true, true);
  testing::AddDialectRow(*dialect.Terms, "KEYWORD", "CASE", "END", true, false);
  EXPECT_EQ(Parse({"CREATE  PROCEDURE p"}), "CREATE PROCEDURE p");
  EXPECT_EQ(result[0]->EndPos, (TTextPoint{0, 17}));
  EXPECT_EQ(Parse({"create proc p"}), "CREATE PROC p");
  // A longer word is no keyword's last word: its letters stay a name.
  EXPECT_EQ(Parse({"create procx p"}), "create procx p");
  EXPECT_EQ(Parse({"update StatisticsDaily set n = 1"}), "update StatisticsDaily set n = 1");
  EXPECT_EQ(Parse({"update  statistics t"}), "UPDATE STATISTICS t");
  EXPECT_EQ(Parse({"create view"}), "create view");
  EXPECT_EQ(Parse({"case when x end"}), "CASE{when x}END");
}

TEST_F(ParserTest, ReportsAnUnclosedDelimiterWithItsPosition) {
  EXPECT_EQ(ErrorOf({"select", "", "", "  x = f(  a,", "b"}), "Ошибка вложений разделителя: 3:11");
  EXPECT_EQ(ErrorOf({"((a)"}), "Ошибка вложений разделителя: 0:2");
  EXPECT_EQ(ErrorOf({"x ("}), "Ошибка вложений разделителя: 0:4");
  EXPECT_EQ(ErrorOf({"'abc", "def"}), "Ошибка вложений разделителя: 0:2");
  EXPECT_EQ(ErrorOf({"/* never closed"}), "Ошибка вложений разделителя: 0:4");
}

// A batch the caller does not want parsed is only checked: it must fail
// exactly where and as its parse fails, and pass where its parse passes.
TEST_F(ParserTest, ABatchOnlyCheckedFailsExactlyAsItsParse) {
  std::string deep;
  for (int i = 0; i < 1005; ++i) deep += "(";
  const std::vector<std::vector<std::string>> batches{
      {"if exists (select * from t where id = object_id(N'[dbo].[x]'))", "drop table [dbo].[x]"},
      {"if x = f(  a,", "b"},
      {"if ((a)"},
      {"x ("},
      {"print 'abc", "def"},
      {"x /* never closed"},
      {"x -- a comment (", "y )"},
      {"x /* ( */ y", "'it''s' [a b]"},
      {"x", "  ) (", ")"},
      {"x " + deep},
      {"\t  lone", "", "words\tand\ttabs"},
  };
  for (const auto& batch : batches) {
    SCOPED_TRACE(batch.front());
    std::vector<std::string> parsedLines = batch;
    std::string parseError = "(no error)";
    try {
      dialect.Parse(parsedLines, result);
    } catch (const Error& e) {
      parseError = e.what();
    }
    TParser parser;
    TParserWordList checked;
    TParser::TLead lead;
    std::vector<std::string> lines = batch;
    std::string checkError = "(no error)";
    bool built = true;
    try {
      built = parser.ParseIfWanted(lines, *dialect.Terms, checked, [](const TTerm*) { return false; }, &lead);
    } catch (const Error& e) {
      checkError = e.what();
    }
    EXPECT_EQ(checkError, parseError);
    EXPECT_TRUE(checked.Empty());
    if (parseError != "(no error)") continue;
    EXPECT_FALSE(built);
    EXPECT_EQ(lines, parsedLines);  // tabs replaced alike
    // The lead is the parse's first node: its term and its line.
    ASSERT_FALSE(result.Empty());
    EXPECT_EQ(lead.line, result[0]->StartPos.Line);
    EXPECT_EQ(lead.term == nullptr, result[0]->Term->Kind == tkText);
    if (lead.term) {
      EXPECT_EQ(lead.term, result[0]->Term);
    }
  }
}

TEST_F(ParserTest, ABatchWantedOrWithoutWordsIsParsedInFull) {
  std::vector<const TTerm*> asked;
  auto wanted = [&](const TTerm* term) {
    asked.push_back(term);
    return true;
  };
  TParser parser;
  std::vector<std::string> lines{"create table t (a int)"};
  EXPECT_TRUE(parser.ParseIfWanted(lines, *dialect.Terms, result, wanted, nullptr));
  EXPECT_EQ(Dump(result), "CREATE TABLE t ({a INT})");
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0], result[0]->Term);

  std::vector<std::string> blank{"", "   "};
  EXPECT_TRUE(parser.ParseIfWanted(blank, *dialect.Terms, result, [](const TTerm*) { return false; }, nullptr));
  EXPECT_TRUE(result.Empty());
}

TEST_F(ParserTest, CyrillicIdentifierBeforeAWordKeepsCharacterColumns) {
  Parse({"\tсоздать таблицу [Заказы].имя(x)"});
  ASSERT_EQ(result.Count(), 6);
  EXPECT_EQ(result[1]->StartPos, (TTextPoint{0, 11}));
  EXPECT_EQ(result[2]->StartPos, (TTextPoint{0, 19}));
  EXPECT_EQ(result[2]->Children->Words(0)->StartPos, (TTextPoint{0, 20}));
  EXPECT_EQ(result[2]->EndPos, (TTextPoint{0, 26}));
  EXPECT_EQ(result[4]->StartPos, (TTextPoint{0, 28}));
  EXPECT_EQ(result[5]->StartPos, (TTextPoint{0, 31}));
}

TEST_F(ParserTest, HandlesEmptyAndBlankBatches) {
  EXPECT_EQ(Parse({}), "");
  EXPECT_EQ(Parse({"", "   ", "\t"}), "");
  EXPECT_EQ(result.Count(), 0);
  EXPECT_EQ(Parse({")"}), ")");  // a stray closing bracket is a plain word
}

TEST_F(ParserTest, CountsATabAsTwoColumnsAndKeepsTheCallersLines) {
  std::vector<std::string> lines{"\tx\ty"};
  dialect.Parse(lines, result);
  EXPECT_THAT(lines, ElementsAre("\tx\ty"));
  EXPECT_EQ(result[1]->StartPos.Col, 6);
}

TEST_F(ParserTest, RejectsNestingBeyondItsLimit) {
  std::string deep(5000, '(');
  EXPECT_THAT(ErrorOf({deep}), ::testing::StartsWith("Слишком глубокая вложенность разделителей: "));
  std::string ok = std::string(500, '(') + std::string(500, ')');
  EXPECT_EQ(ErrorOf({ok}), "(no error)");
}

TEST_F(ParserTest, ReusesTheParserAcrossParses) {
  TParser parser;
  std::vector<std::string> a{"create table x"};
  std::vector<std::string> b{"(y)"};
  parser.Parse(a, *dialect.Terms, result);
  EXPECT_EQ(parser.Words, nullptr);
  EXPECT_EQ(parser.Terms, nullptr);
  parser.Parse(b, *dialect.Terms, result);
  EXPECT_EQ(Dump(result), "({y})");
}

TEST_F(ParserTest, PlainWordsOfOneTextShareTheirTerm) {
  EXPECT_EQ(Parse({"x (X x) 'x' 1.5 1.5"}), "x ({X x}) '{x}' 1.5 1.5");
  EXPECT_EQ(result[0]->Term, result[1]->Children->Words(1)->Term);
  EXPECT_NE(result[0]->Term, result[1]->Children->Words(0)->Term);  // the letter case differs
  EXPECT_EQ(result[0]->Term, result[2]->Children->Words(0)->Term);  // a raw text too
  EXPECT_EQ(result[3]->Term, result[4]->Term);                      // words glued into one
  EXPECT_EQ(result[3]->Term->Kind, tkText);
}

TEST_F(ParserTest, ATermRegisteredBetweenParsesIsRecognised) {
  TParser parser;
  std::vector<std::string> lines{"go x"};
  parser.Parse(lines, *dialect.Terms, result);
  EXPECT_EQ(result[0]->Term->Kind, tkText);
  testing::AddDialectRow(*dialect.Terms, "DML", "go", "", true, true);
  parser.Parse(lines, *dialect.Terms, result);
  EXPECT_EQ(result[0]->TypeName(), "DML");
  EXPECT_EQ(Dump(result), "GO x");
  // Another list without the term, then this one again, with the same parser.
  TestTerms other = MakeTestTerms({"INT"});
  parser.Parse(lines, *other.Terms, result);
  EXPECT_EQ(result[0]->Term->Kind, tkText);
  parser.Parse(lines, *dialect.Terms, result);
  EXPECT_EQ(result[0]->TypeName(), "DML");
}

TEST_F(ParserTest, KeepsRecognisingTermsPastTheWordsItCanRemember) {
  // More distinct words than a parser remembers between parses, then the
  // same terms again: every "int" and "char" is still a term.
  TParser parser;
  std::vector<std::string> lines;
  for (int line = 0; line < 500; ++line) {
    std::string text;
    for (int w = 0; w < 100; ++w) text += "w" + std::to_string(line * 100 + w) + " ";
    lines.push_back(text + "int CHAR");
  }
  for (int round = 0; round < 2; ++round) {
    std::vector<std::string> copy = lines;
    parser.Parse(copy, *dialect.Terms, result);
    ASSERT_EQ(result.Count(), 500 * 102);
    for (int line = 0; line < 500; ++line) {
      EXPECT_EQ(Dump(*result.SubList(false, line * 102 + 100, line * 102 + 101)), "INT CHAR") << round << " " << line;
    }
  }
  std::vector<std::string> small{"x int"};
  parser.Parse(small, *dialect.Terms, result);
  EXPECT_EQ(Dump(result), "x INT");
}

TEST_F(ParserTest, AChildListTakenOutOfTheTreeOutlivesIt) {
  Parse({"(a (b) 'c')"});
  std::unique_ptr<TParserWordList> kept = std::move(result[0]->Children);
  kept->ParentWord = nullptr;
  // The next parse into the same result must leave the kept list's nodes alone.
  EXPECT_EQ(Parse({"(d e f g h i j k l m n o p)"}), "({d e f g h i j k l m n o p})");
  EXPECT_EQ(Dump(*kept), "a ({b}) '{c}'");
  result.Clear();
  EXPECT_EQ(Dump(*kept), "a ({b}) '{c}'");
  kept.reset();
  EXPECT_EQ(Parse({"x"}), "x");
}

TEST_F(ParserTest, CopiesDeepAndShallow) {
  Parse({"a (b 'c')"});
  auto shallow = result.Copy(false);
  EXPECT_FALSE(shallow->OwnsObjects);
  EXPECT_EQ(shallow->Words(1), result[1]);
  auto deep = result.Copy(true);
  EXPECT_EQ(Dump(*deep), Dump(result));
  EXPECT_NE(deep->Words(1), result[1]);
  EXPECT_EQ(deep->Words(1)->Term, dialect.Block);  // registered terms are shared
  EXPECT_NE(deep->Words(0)->Term, result[0]->Term);  // plain terms are cloned
  EXPECT_EQ(deep->Words(1)->Children->ParentWord, deep->Words(1));
  auto sub = result[1]->Children->SubList(false, 1, 1);
  EXPECT_EQ(sub->ParentWord, result[1]);
  EXPECT_EQ(sub->Words(0)->IndexInOwner(), 1);
  result.Clear();
  EXPECT_EQ(Dump(*deep), "a ({b '{c}'})");
}

}  // namespace
}  // namespace ambrix
