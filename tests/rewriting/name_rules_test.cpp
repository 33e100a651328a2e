// Rewrite rules on names and literals, on the real dialect.

#include "rewriting/name_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../support/test_terms.h"
#include "parser/parser_text_word_list.h"
#include "rewriting/rule_conventions.h"
#include "rule_fixture.h"

namespace ambrix {
namespace {

using NameRulesTest = RuleTest;

TEST_F(NameRulesTest, RemovesNationalPrefixesOfPlainWords) {
  auto all = [](const TConvertContext& c, TParserWordList& w) { RemoveNationalPrefixes(c, 0, w.Count() - 1, w); };
  EXPECT_EQ(ApplyText({"select N'abc', n'd', N5, n@x, NAME, nx, N"}, all), "select 'abc', 'd', 5, @x, NAME, nx, N");
}

TEST_F(NameRulesTest, KeepsAnNThatPrefixesNoLiteral) {
  // An unquoted argument N, or an N apart from the quote, is no prefix:
  // deleting it lost the argument and pulled the next line up.
  auto all = [](const TConvertContext& c, TParserWordList& w) { RemoveNationalPrefixes(c, 0, w.Count() - 1, w); };
  EXPECT_EQ(ApplyText({"exec p @flag = N", "select 1"}, all), "exec p @flag = N\nselect 1");
  EXPECT_EQ(ApplyText({"select N /* N */ 'a', N 'b'"}, all), "select N /* N */ 'a', N 'b'");
}

TEST_F(NameRulesTest, RemovesNationalPrefixesOnlyInsideTheRange) {
  auto middle = [](const TConvertContext& c, TParserWordList& w) { RemoveNationalPrefixes(c, 1, 2, w); };
  EXPECT_EQ(ApplyText({"N1 N2 N3 N4"}, middle), "N1 2 3 N4");
}

TEST_F(NameRulesTest, ReplacesOwnerDboOutsideStringsAndComments) {
  EXPECT_EQ(ApplyText({"select * from [dbo].[T], DBO.U where x = 'dbo' -- dbo"}, ReplaceOwnerDbo),
            "select * from [dba].[T], dba.U where x = 'dbo' -- dbo");
}

TEST_F(NameRulesTest, ReplacesWordTextIgnoringCase) {
  auto rename = [](const TConvertContext& c, TParserWordList& w) { ReplaceWordText(c, "@t", "#t", w); };
  EXPECT_EQ(ApplyText({"insert @T select a from @t where b = '@t'"}, rename),
            "insert #t select a from #t where b = '@t'");
}

TEST_F(NameRulesTest, NationalTypesLoseTheirFirstLetter) {
  EXPECT_EQ(ApplyText({"declare @a nchar(10), @b NVARCHAR (5), @c [ntext], @d nationality"}, ConvertNationalTypes),
            "declare @a char(10), @b VARCHAR (5), @c [text], @d nationality");
}

TEST(NationalTypes, ReservedWordGivesUpperCase) {
  auto dialect = testing::MakeTestTerms({"NCHAR"});
  std::vector<std::string> lines{"create table t (a nchar (10))"};
  TParserWordList words;
  dialect.Parse(lines, words);
  words.BuildText(0);
  ConvertNationalTypes(dialect.Context(), words);
  std::vector<std::string> printed;
  words.RootTextList()->PrintAll(printed);
  EXPECT_EQ(printed, std::vector<std::string>{"create table t (a CHAR (10))"});
}

TEST_F(NameRulesTest, SkipsObjectNames) {
  struct TCase {
    std::vector<std::string> Lines;
    int Expected;
  };
  const TCase cases[] = {
      {{"p @a, @b"}, 0},              // a plain name: its own index
      {{"[p] @a, @b"}, 1},            // a bracketed name followed by two others: the first of them
      {{"[p]"}, 0},                   // a bracketed name as the last word: the last index
      {{"/* c */ p @a"}, 1},          // comments before the name are stepped over
      {{"[p] -- c", "@a , @b"}, 2},
      {{""}, -1},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Lines[0]);
    TParserWordList words;
    dialect.Parse(c.Lines, words);
    EXPECT_EQ(SkipObjectName(dialect.Context(), 0, words), c.Expected);
  }
}

TEST_F(NameRulesTest, BracketsTargetReservedWordsAndDropsSemicolons) {
  EXPECT_EQ(ApplyText({"select date, [date], Time, n, lock from t where c = 'x;y'; -- a;b", "select 1;"},
                ConvertReservedWords),
            "select [date], [date], [Time], n, [lock] from t where c = 'x;y' -- a;b\nselect 1");
}

TEST_F(NameRulesTest, DropsNOnlyRightBeforeAStringLiteral) {
  EXPECT_EQ(ApplyText({"exec p N'x', n'z', N /* c */ 'y', N 5, N"}, ConvertReservedWords),
            "exec p 'x', 'z', N /* c */ 'y', N 5, N");
}

struct ReservedWordCase {
  const char* source;
  const char* expected;
};

class ReservedWordsInPlaceOfNoName : public RuleTest, public ::testing::WithParamInterface<ReservedWordCase> {};

TEST_P(ReservedWordsInPlaceOfNoName, StayAsWritten) {
  EXPECT_EQ(ApplyText({GetParam().source}, ConvertReservedWords), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReservedWordsInPlaceOfNoName,
    ::testing::Values(
        // The type DEC, with or without its precision.
        ReservedWordCase{"declare @a dec(10,2), @b DEC", "declare @a dec(10,2), @b DEC"},
        ReservedWordCase{"select cast(x as dec), convert(dec, y), cast(z as dec (5))",
                         "select Cast(x as dec), Convert(dec, y), Cast(z as dec (5))"},
        ReservedWordCase{"create table #t (a dec, dec int, b dec(4,2))", "create table #t (a dec, [dec] int, b dec(4,2))"},
        // A column or alias named dec is a name.
        ReservedWordCase{"select a dec, x as dec from t", "select a [dec], x as [dec] from t"},
        ReservedWordCase{"select (select a, b dec from t)", "select (select a, b [dec] from t)"},
        ReservedWordCase{"waitfor time '22:00'", "waitfor time '22:00'"},
        ReservedWordCase{"select time from t", "select [time] from t"}));

TEST_F(NameRulesTest, LeavesAWordWhoseTextWordIsGone) {
  // The first rule removes both N words; the second meets them with their
  // text words gone and leaves them alone.
  auto both = [](const TConvertContext& c, TParserWordList& w) {
    RemoveNationalPrefixes(c, 0, w.Count() - 1, w);
    ConvertReservedWords(c, w);
  };
  EXPECT_EQ(ApplyText({"exec p N'x', n"}, both), "exec p 'x', n");
}

TEST_F(NameRulesTest, DistributedTransactionsBecomePlainOnes) {
  EXPECT_EQ(ApplyText({"BEGIN DISTRIBUTED TRANSACTION", "begin  distributed tran", "-- BEGIN DISTRIBUTED TRAN"},
                ConvertDistributedTransactions),
            "BEGIN TRANSACTION\nBEGIN TRANSACTION\n-- BEGIN DISTRIBUTED TRAN");
}

TEST(SqlNames, QuoteAndBracketNamesSoTheyStayValid) {
  EXPECT_EQ(QuotedString("Orders"), "'Orders'");
  EXPECT_EQ(QuotedString("it's"), "'it''s'");
  EXPECT_EQ(BracketedName("Order Details"), "[Order Details]");
  EXPECT_EQ(BracketedName("a]b[c"), "[a]]b[c]");
  EXPECT_EQ(DoubleQuotedName("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(PlainOrBracketedName("IX_Orders$1"), "IX_Orders$1");
  EXPECT_EQ(PlainOrBracketedName("Индекс"), "Индекс");
  EXPECT_EQ(PlainOrBracketedName("my ix"), "[my ix]");
  EXPECT_EQ(PlainOrBracketedName("1st"), "[1st]");
  EXPECT_EQ(PlainOrBracketedName("a]b"), "[a]]b]");
  EXPECT_EQ(PlainOrBracketedName(""), "[]");
}

}  // namespace
}  // namespace ambrix
