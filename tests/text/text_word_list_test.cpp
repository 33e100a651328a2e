#include "text/text_word_list.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "text/string_helpers.h"

namespace ambrix {
namespace {

using ::testing::ElementsAre;

struct Split {
  std::vector<std::string> texts;
  std::vector<int> cols;
  std::vector<int> lines;
};

Split SplitLines(std::vector<std::string> lines, std::vector<std::string> separators) {
  TTextWordList list;
  list.Separators = std::move(separators);
  list.Parse(lines);
  Split s;
  for (int i = 0; i < list.Count(); ++i) {
    s.texts.emplace_back(list.Words(i).Text);
    s.cols.push_back(list.Words(i).Col);
    s.lines.push_back(list.Words(i).Line);
  }
  return s;
}

TEST(TextWordList, SplitsAtBlanksAndSeparatorsWithColumns) {
  const Split s = SplitLines({"create table t(a int,b int)"}, {"(", ")", ","});
  EXPECT_THAT(s.texts, ElementsAre("create", "table", "t", "(", "a", "int", ",", "b", "int", ")"));
  EXPECT_THAT(s.cols, ElementsAre(1, 8, 14, 15, 16, 18, 21, 22, 24, 27));
}

TEST(TextWordList, CountsColumnsInCharacters) {
  const Split s = SplitLines({"имя_таблицы.колонка , x"}, {".", ","});
  EXPECT_THAT(s.texts, ElementsAre("имя_таблицы", ".", "колонка", ",", "x"));
  EXPECT_THAT(s.cols, ElementsAre(1, 12, 13, 21, 23));
}

TEST(TextWordList, CountsATabAsTwoColumnsAndKeepsIt) {
  std::vector<std::string> lines{"\tgo", "a\tb", "\xd0\xaf\tc"};
  TTextWordList list;
  list.Parse(lines);
  ASSERT_EQ(list.Count(), 5);
  EXPECT_EQ(list.Words(0).Text, "go");
  EXPECT_EQ(list.Words(0).Col, 3);
  EXPECT_EQ(list.Words(2).Col, 4);
  EXPECT_EQ(list.Words(4).Col, 4);  // one Cyrillic letter, then a tab
  EXPECT_THAT(lines, ElementsAre("\tgo", "a\tb", "\xd0\xaf\tc"));
}

TEST(TextWordList, GivesTheSourceBetweenTwoWordsExactly) {
  std::vector<std::string> lines{"a \t b  ", "", " \tc d"};
  TTextWordList list;
  list.Parse(lines);
  ASSERT_EQ(list.Count(), 4);
  std::string out;
  list.SourceBetween(0, 1, out);
  EXPECT_EQ(out, " \t ");
  list.SourceBetween(1, 2, out);
  EXPECT_EQ(out, "  \r\n\r\n \t");
  list.SourceBetween(0, -1, out);
  EXPECT_EQ(out, " \t b  ");
  list.SourceBetween(2, 3, out);
  EXPECT_EQ(out, " ");
}

TEST(CopyTextRange, CountsColumnsAsTheWordsDo) {
  const std::vector<std::string> lines{"\tab\tcd", "x\ty"};
  std::vector<std::string> out;
  CopyTextRange(lines, {0, 3}, {0, 6}, out);  // "ab" at 3-4, the tab 5-6
  EXPECT_THAT(out, ElementsAre("ab\t"));
  CopyTextRange(lines, {0, 7}, {1, 1}, out);
  EXPECT_THAT(out, ElementsAre("cd", "x"));
  EXPECT_EQ(ColumnByteOffset("\tab", 2), 0u);  // inside the tab
  EXPECT_EQ(ColumnByteOffset("\tab", 3), 1u);
  EXPECT_EQ(ColumnCount("\t\xd0\xaf"), 3);
}

TEST(TextWordList, SplitsItemsHoldingLineBreaks) {
  std::vector<std::string> lines{"a\r\nb\rc\nd", "e"};
  TTextWordList list;
  list.Parse(lines);
  EXPECT_THAT(lines, ElementsAre("a", "b", "c", "d", "e"));
  EXPECT_EQ(list.Words(4).Line, 4);
}

TEST(TextWordList, SplitsAtLongestSeparator) {
  EXPECT_THAT(SplitLines({"a--b"}, {"-", "--"}).texts, ElementsAre("a", "--", "b"));
  EXPECT_THAT(SplitLines({"a--b"}, {"-"}).texts, ElementsAre("a", "-", "-", "b"));
  EXPECT_THAT(SplitLines({"x<>y<=z<w"}, {"<", "<>", "<="}).texts,
              ElementsAre("x", "<>", "y", "<=", "z", "<", "w"));
}

TEST(TextWordList, LetterSeparatorsMatchAnyCaseInsideWords) {
  const Split s = SplitLines({"xAndy ИЛИили"}, {"and", "или"});
  EXPECT_THAT(s.texts, ElementsAre("x", "And", "y", "ИЛИ", "или"));
  EXPECT_THAT(s.cols, ElementsAre(1, 2, 5, 7, 10));
}

TEST(TextWordList, NormalisesSeparators) {
  TTextWordList list;
  list.Separators = {" ; ", "  ", "\t", "b"};
  std::vector<std::string> lines{"a;b"};
  list.Parse(lines);
  EXPECT_THAT(list.Separators, ElementsAre(";", "B"));
  EXPECT_EQ(list.Count(), 3);
}

TEST(TextWordList, ANewSeparatorListTakesEffectAtTheNextParse) {
  TTextWordList list;
  std::vector<std::string> lines{"a(b)c"};
  list.Separators = {"("};
  list.Parse(lines);
  EXPECT_EQ(list.JoinWords(0, 9), "a ( b)c");
  list.Separators = {")"};
  list.Parse(lines);
  EXPECT_EQ(list.JoinWords(0, 9), "a(b ) c");
  // Separators given with the call are used without touching `Separators`.
  list.Parse(lines, {"(", ")"});
  EXPECT_EQ(list.JoinWords(0, 9), "a ( b ) c");
  EXPECT_THAT(list.Separators, ElementsAre(")"));
  list.Parse(lines, {});
  EXPECT_EQ(list.JoinWords(0, 9), "a(b)c");
}

TEST(TextWordList, BlankLinesAndTrailingBlanksYieldNothing) {
  const Split s = SplitLines({"", "   ", "x   ", "\t"}, {","});
  EXPECT_THAT(s.texts, ElementsAre("x"));
  EXPECT_THAT(s.lines, ElementsAre(2));
}

TEST(TextWordList, JoinsWords) {
  TTextWordList list;
  std::vector<std::string> lines{"w0 w1", "w2 w3"};
  list.Parse(lines);
  EXPECT_EQ(list.JoinWords(2, 5), "w2 w3");
  EXPECT_EQ(list.JoinWords(0, 2), "w0 w1");
  EXPECT_EQ(list.JoinWords(4, 1), "");
  EXPECT_EQ(list.JoinWords(1, 0), "");
  EXPECT_TRUE(list.IsLastOnLine(1));
  EXPECT_FALSE(list.IsLastOnLine(2));
  EXPECT_TRUE(list.IsLastOnLine(3));
}

TEST(TextWordList, RebuildsTextWithSourceGaps) {
  TTextWordList list;
  list.Separators = {"'"};
  std::vector<std::string> lines{"' a  b '"};
  list.Parse(lines);
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(list.RebuildText(1, 2), "a  b ");

  TTextWordList multi;
  std::vector<std::string> two{"z", "  x", "    y"};
  multi.Parse(two);
  EXPECT_EQ(multi.RebuildText(1, 2), "x\r\n    y");
  std::vector<std::string> gap{"a", "", "  b c"};
  multi.Parse(gap);
  EXPECT_EQ(multi.RebuildText(0, 1), "a\r\n\r\n  b ");
}

}  // namespace
}  // namespace ambrix
