#include "text/string_helpers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "../support/error_message.h"
#include "text/utf8.h"

namespace ambrix {
namespace {

using ::testing::ElementsAre;

using testing::ErrorMessageOf;

TEST(SkipBlanks, FindsFirstNonBlankOrZero) {
  EXPECT_EQ(SkipBlanks(1, " \t\r\nx"), 5);
  EXPECT_EQ(SkipBlanks(3, "ab  "), 0);
  EXPECT_EQ(SkipBlanks(9, "ab"), 0);
  EXPECT_EQ(SkipBlanks(1, "  ёж"), 3);
  EXPECT_EQ(SkipChars(1, "ёёжа", "ё"), 3);
  EXPECT_EQ(SkipChars(1, "xxx", "x"), 0);
}

TEST(SplitWords, SplitsAtSpacesAndLineBreaksOnly) {
  std::vector<std::string> out{"stale"};
  const std::string s = "  create  table";
  SplitWords(1, static_cast<int>(s.size()), s, out);
  EXPECT_THAT(out, ElementsAre("create", "table"));
  SplitWords(1, 11, "a\tb c\r\nd\n\ne", out);
  EXPECT_THAT(out, ElementsAre("a\tb", "c", "d", "e"));
  SplitWords(3, 7, "xxабв где", out);  // characters, not bytes
  EXPECT_THAT(out, ElementsAre("абв", "г"));
  EXPECT_EQ(ErrorMessageOf([&] { SplitWords(1, static_cast<int>(s.size()) + 1, s, out); }),
            "Параметр конца строки больше ее длины");
}

TEST(PosText, FindsNthOccurrenceIgnoringCase) {
  const std::string s = "xab ab ab";
  EXPECT_EQ(PosText(1, 9, "ab", true, 1, s), 5);   // the first ab is glued to x
  EXPECT_EQ(PosText(1, 9, "AB", false, 2, s), 5);  // counting resumes after 2
  EXPECT_EQ(PosText(1, 9, "AB", false, 3, s), 8);
  EXPECT_EQ(PosText(1, 9, "ab", false, 4, s), 0);
  EXPECT_EQ(PosText(2, 9, "ab", true, 1, s), 2);   // the range bound is a word boundary
  EXPECT_EQ(PosText(1, 5, "ab c", false, 1, "xab cd"), 2);  // may reach past To
  EXPECT_EQ(PosText(1, 20, "ТАБ", true, 1, "этаб таб"), 6);
  EXPECT_EQ(ErrorMessageOf([] { PosText(1, 3, "", false, 1, "abc"); }), "Нельзя искать пустую строку");
}

TEST(PosAnyText, LeftmostWinsThenListOrder) {
  const std::vector<std::string> subs{"b", "ab", "a"};
  EXPECT_EQ(PosAnyText(1, 5, "xxabx", subs, false, 1), 3);
  EXPECT_EQ(PosAnyText(1, 5, "xxabx", {"zz", "B"}, false, 1), 4);
  EXPECT_EQ(PosAnyText(1, 5, "abab", {"ab"}, false, 2), 3);
  EXPECT_EQ(ErrorMessageOf([] { PosAnyText(1, 3, "abc", {"a", ""}, false, 1); }), "Нельзя искать пустую строку");
}

TEST(ReplaceSameLength, ReplacesEveryOccurrenceInPlace) {
  std::string name = "[dbo].[t]";
  ReplaceSameLength(name, "[", " ");
  EXPECT_EQ(name, " dbo]. t]");
  std::string cyr = "Ёлка и ёж";
  ReplaceSameLength(cyr, "ё", "e");
  EXPECT_EQ(cyr, "eлка и eж");
  EXPECT_EQ(ErrorMessageOf([&] { ReplaceSameLength(name, "]", "ab"); }),
            "Длина у исходной и заменяемой строки должна быть одинаковой");
  EXPECT_EQ(ErrorMessageOf([&] { ReplaceSameLength(name, "", ""); }), "Нельзя искать пустую строку");
  EXPECT_EQ(name, " dbo]. t]");
}

TEST(StringLists, LookUpNormaliseAndJoin) {
  EXPECT_EQ(IndexOfText(" table ", {"view", "TABLE"}), 1);
  EXPECT_EQ(IndexOfStr("TABLE", {"table"}), -1);
  EXPECT_EQ(IndexOfStr("table", {"x", "table"}), 1);
  std::vector<std::string> values{" view ", "Таблица\t"};
  NormalizeStrings(values);
  EXPECT_THAT(values, ElementsAre("VIEW", "ТАБЛИЦА"));
  EXPECT_EQ(JoinWithSpaces({"a", "b", "c"}), "a b c");
  EXPECT_EQ(JoinWithSpaces({}), "");
  EXPECT_EQ(RepeatString(3, "ab"), "ababab");
  EXPECT_EQ(RepeatString(0, "ab"), "");
  EXPECT_EQ(Trim("\x01 x \t"), "x");
}

// The key searches test before comparing texts: texts equal once trimmed
// and upper-cased (as the searches compare them) share it, whatever their
// letters; a few clearly different texts do not.
TEST(CaseFoldKey, IsOneForTextsEqualIgnoringCaseAndBlanksAround) {
  const std::vector<std::vector<std::string>> same{
      {"dbo", "DBO", "dBo", " dbo ", "\tDBO\r\n"},
      {"create table", "CREATE TABLE", "  Create Table\t"},
      {"#keyword#", "#KEYWORD#"},
      {"заказы", "ЗАКАЗЫ", "Заказы", " зАкАзЫ\t"},
      {"ёлка", "ЁЛКА", "Ёлка"},
      {"ё", "Ё"},
      {"", "   ", "\t\r\n"},
      {"constraint primary key", "CONSTRAINT PRIMARY KEY", " Constraint Primary KEY "},
      {"таблица_заказов_2", "ТАБЛИЦА_ЗАКАЗОВ_2", "Таблица_Заказов_2"},
      {"@az[`{~", "@AZ[`{~"},
  };
  for (const auto& texts : same) {
    for (const std::string& text : texts) {
      SCOPED_TRACE(texts[0] + " / " + text);
      // The texts are equal as the searches compare them...
      EXPECT_EQ(UpperCase(Trim(text)), UpperCase(Trim(texts[0])));
      // ...so their keys must be.
      EXPECT_EQ(CaseFoldKey(text), CaseFoldKey(texts[0]));
    }
  }
  const std::vector<std::pair<std::string, std::string>> different{
      {"dbo", "dbx"},   {"ab", "ba"},         {"dbo", "[dbo]"},         {"create table", "createtable"},
      {"a", ""},        {"заказ", "заказы"},  {"dbo", "dbo dbo"},       {"count (", "count"},
      {"abcdefgh1", "abcdefgh2"}, {"abcdefghijklmnop", "abcdefghijklmnoq"}, {"@", "`"}, {"[", "{"},
      {"a{", "A["},     {"ab", "a\xC0"},
  };
  for (const auto& [a, b] : different) EXPECT_NE(CaseFoldKey(a), CaseFoldKey(b)) << a << " / " << b;
}

TEST(CountChar, CountsEveryOccurrenceToTheLastByte) {
  const std::string many = std::string(100, '\n') + "x" + std::string(37, '\n');
  const struct {
    std::string_view text;
    char c;
    std::size_t count;
  } cases[] = {{"", '\n', 0}, {"abc", '\n', 0}, {"\n", '\n', 1}, {"a\nb\r\nc\n", '\n', 3},
               {"a\nb\r\nc\n", '\r', 1}, {many, '\n', 137}, {many, 'x', 1}, {std::string_view("a\0b\0", 4), '\0', 2}};
  for (const auto& c : cases) EXPECT_EQ(CountChar(c.text, c.c), c.count) << c.text;
}

TEST(CountLineEnds, CountsCrLfOnceAndALoneCrOrLfEach) {
  const struct {
    std::string_view text;
    std::size_t count;
  } cases[] = {{"", 0},       {"abc", 0},        {"\r\n", 1},     {"a\r\nb\r\n", 2}, {"a\rb", 1},
               {"a\r", 1},    {"\r\r\n\n", 3}, {"\n\r", 2},     {"a\nb\rc\r\nd", 3}};
  for (const auto& c : cases) EXPECT_EQ(CountLineEnds(c.text), c.count) << c.text;
}

// The counts go through the text in blocks: every place of a CR, an LF and a
// CR LF, across block ends and in the bytes after the last block, against a
// count byte by byte.
TEST(CountLineEnds, CountsAlikeWhereverTheLineEndsFallInALongText) {
  std::uint32_t state = 12345;
  auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return (state >> 16) & 0x7fffu;
  };
  const char alphabet[] = {'\r', '\n', 'a', '\xD0'};
  for (int round = 0; round < 3000; ++round) {
    std::string text(next() % 70, 'a');
    for (char& c : text) c = alphabet[next() % 4];
    std::size_t ends = 0, crs = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) ++ends;
      if (text[i] == '\r') ++crs;
    }
    ASSERT_EQ(CountLineEnds(text), ends) << ::testing::PrintToString(text);
    ASSERT_EQ(CountChar(text, '\r'), crs) << ::testing::PrintToString(text);
  }
  // Texts long enough for the byte counters to be summed on the way: every
  // byte a line end, so that each counter fills up as fast as it can.
  for (const std::size_t size : {4079u, 4080u, 4081u, 10000u}) {
    EXPECT_EQ(CountLineEnds(std::string(size, '\n')), size);
    EXPECT_EQ(CountLineEnds(std::string(size, '\r')), size);
    EXPECT_EQ(CountChar(std::string(size, '\n'), '\n'), size);
    std::string crLfs;
    for (std::size_t k = 0; k < size; ++k) crLfs += "\r\n";
    EXPECT_EQ(CountLineEnds(crLfs), size);
  }
  // A CR LF split by the end of the first block of sixteen bytes.
  EXPECT_EQ(CountLineEnds(std::string(15, 'a') + "\r\n" + std::string(20, 'a')), 1u);
  EXPECT_EQ(CountLineEnds(std::string(15, 'a') + "\r" + std::string(20, 'a')), 1u);
}

TEST(CharClasses, ReportsLettersAndDigits) {
  EXPECT_EQ(CharClasses(""), 0);
  EXPECT_EQ(CharClasses("1.5"), ccDigit);
  EXPECT_EQ(CharClasses("t1"), ccDigit | ccLetter);
  EXPECT_EQ(CharClasses("."), 0);
  EXPECT_EQ(CharClasses("я"), ccLetter);
  EXPECT_EQ(CharClasses("Ё"), 0);  // not a letter here
  EXPECT_EQ(CharClasses("ё_"), 0);
}

TEST(CopyTextRange, CopiesInclusiveRangeByCharacters) {
  const std::vector<std::string> lines{"alter table т add", "  constraint pk", "", "  primary key (id) go"};
  std::vector<std::string> out;
  CopyTextRange(lines, {0, 13}, {0, 17}, out);
  EXPECT_THAT(out, ElementsAre("т add"));
  CopyTextRange(lines, {0, 15}, {3, 18}, out);
  EXPECT_THAT(out, ElementsAre("add", "  constraint pk", "", "  primary key (id)"));
  CopyTextRange(lines, {1, 20}, {2, 5}, out);
  EXPECT_THAT(out, ElementsAre("", ""));
}

}  // namespace
}  // namespace ambrix
