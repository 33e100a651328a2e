#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "parser/term.h"
#include "parser/term_list.h"
#include "../support/error_message.h"

namespace ambrix {
namespace {

using ::testing::ElementsAre;

using testing::ErrorMessageOf;

TEST(Term, NormalisesRegisteredWords) {
  TTerm t(tkDefined, " dml ", "  create   table ", " ", true, true, 0, csLower);
  EXPECT_EQ(t.TypeName, "DML");
  EXPECT_THAT(t.StartWords, ElementsAre("CREATE", "TABLE"));
  EXPECT_TRUE(t.EndWords.empty());
  EXPECT_EQ(t.StartText(), "CREATE TABLE");
  EXPECT_EQ(t.EndText(), "");
  EXPECT_FALSE(t.Nested);  // no end sequence
}

TEST(Term, KeepsPlainTextAsWritten) {
  TTerm t(tkText, "#keyword#", "Line one\r\n  two", "", true, true, 0, csUpper);
  EXPECT_EQ(t.StartText(), "Line one\r\n  two");
  EXPECT_THAT(t.EndWords, ElementsAre(""));
  EXPECT_FALSE(t.Nested);
  auto clone = t.Clone();
  EXPECT_EQ(clone->StartText(), t.StartText());
  EXPECT_EQ(clone->Kind, tkText);
  auto item = TTerm::MakeListItem();
  EXPECT_EQ(item->TypeName, "#LIST#");
  EXPECT_EQ(item->StartText(), "ITEM");
}

// A printed text's extent: line breaks (CR LF, CR, LF each once) and the
// characters after the last one; the terms measure their formatted texts.
TEST(Term, MeasuresTheExtentOfItsPrintedTexts) {
  struct Case {
    std::string_view text;
    int lineBreaks, lastLineChars;
  };
  for (const Case& c : std::vector<Case>{{"", 0, 0},
                                         {"abc", 0, 3},
                                         {"ёжик", 0, 4},
                                         {"a\r\nbc", 1, 2},
                                         {"a\rb\nc\r\n", 3, 0},
                                         {"\n\nдва ", 2, 4},
                                         {"x\r", 1, 0},
                                         // Longer than eight bytes: counted a block at a time where
                                         // no control character is, byte by byte around one.
                                         {"abcdefghijklmnopq", 0, 17},
                                         {"строка из букв", 0, 14},
                                         {"abcdefgh\tij", 0, 12},
                                         {"abc\tdefghijk", 0, 13},
                                         {"abcdefgh\r\nijklmnopqrs", 1, 11},
                                         {"первая строка\nвторая строка", 1, 13},
                                         {"xyz\u0436\u0436\u0436\u0436\u0436\u0436\u0436abc", 0, 13}}) {
    SCOPED_TRACE(std::string(c.text));
    const TTextExtent extent = ExtentOf(c.text);
    EXPECT_EQ(extent.lineBreaks, c.lineBreaks);
    EXPECT_EQ(extent.lastLineChars, c.lastLineChars);
  }
  TTerm comment(tkDefined, "#COMMENT#", "/*", "*/", false, false, 0, csAsIs);
  EXPECT_EQ(comment.FormattedStartExtent().lastLineChars, 2);
  EXPECT_EQ(comment.FormattedEndExtent().lastLineChars, 2);
  TTerm word(TTerm::PlainText{}, "строка\r\n  два");
  EXPECT_EQ(word.FormattedStartExtent().lineBreaks, 1);
  EXPECT_EQ(word.FormattedStartExtent().lastLineChars, 5);
  EXPECT_EQ(word.FormattedEndExtent().lineBreaks, 0);
  EXPECT_EQ(word.FormattedEndExtent().lastLineChars, 0);
  TTerm keyword(tkDefined, "KEYWORD", "create  table", "", true, false, 0, csLower);
  EXPECT_EQ(keyword.FormattedStartText(), "create table");
  EXPECT_EQ(keyword.FormattedStartExtent().lastLineChars, 12);
}

TEST(Term, RejectsBadParameters) {
  EXPECT_EQ(ErrorMessageOf([] { TTerm(tkDefined, "X", "  ", "", true, false, 0, csAsIs); }),
            "Неверные параметры разделителя");
  EXPECT_EQ(ErrorMessageOf([] { TTerm(tkText, "X", "", "", true, false, 0, csAsIs); }),
            "Неверные параметры разделителя");
  EXPECT_EQ(ErrorMessageOf([] { TTerm(tkDefined, "X", "a b", "", false, false, ccDigit, csAsIs); }),
            "Неверный параметр игнорирования");
  EXPECT_EQ(ErrorMessageOf([] { TTerm(tkDefined, "X", "(", ")", false, false, ccDigit, csAsIs); }),
            "Неверный параметр игнорирования");
}

TEST(Term, PrintsInItsCaseStyle) {
  struct Case {
    int style;
    const char* printed;
  };
  for (const Case& c : {Case{0, "CHARINDEX"}, Case{1, "CHARINDEX"}, Case{2, "Charindex"}, Case{3, "charindex"},
                        Case{4, "cHARINDEX"}, Case{7, "CHARINDEX"}}) {
    TTerm t(tkDefined, "sysfunc", "charindex", "", true, false, 0, static_cast<TCaseStyle>(c.style));
    EXPECT_EQ(t.FormattedStartText(), c.printed) << "style " << c.style;
  }
  TTerm cyr(tkDefined, "x", "ёлка", "", true, false, 0, csCapitalized);
  EXPECT_EQ(cyr.FormattedStartText(), "Ёлка");
}

TEST(TermList, RejectsSecondRegistrationOfAStartSequence) {
  TTermList terms;
  terms.AddWord("DML", "  create   table ", true, 0, csLower);
  EXPECT_EQ(ErrorMessageOf([&] { terms.AddDelimiter("OTHER", "CREATE TABLE", ")", true, true, csAsIs); }),
            "Разделитель уже зарегистрирован");
  EXPECT_EQ(ErrorMessageOf([&] { terms.AddWord("X", "a b", true, ccDigit, csAsIs); }), "Неверный параметр игнорирования");
  EXPECT_EQ(terms.Count(), 1);
  terms.AddWord("OBJECT_DIV", ".", false, ccDigit, csAsIs);
  EXPECT_EQ(terms.Count(), 2);
}

TEST(TermList, RegistersCommentForms) {
  TTermList terms;
  TTerm* line = terms.Items(terms.AddLineComment("--", false));
  EXPECT_EQ(line->EndText(), kEndOfLine);
  EXPECT_EQ(line->FormattedEndText(), "");
  EXPECT_FALSE(line->Nested);
  EXPECT_EQ(line->TypeName, "#COMMENT#");
  TTerm* block = terms.Items(terms.AddBlockComment("/*", "*/", false));
  EXPECT_THAT(block->EndWords, ElementsAre("*/"));
  EXPECT_FALSE(block->Nested);
  TTerm* noEnd = terms.Items(terms.AddDelimiter("X", "<<", " ", false, true, csAsIs));
  EXPECT_TRUE(noEnd->EndWords.empty());
  EXPECT_FALSE(noEnd->Nested);
}

TEST(TermList, PreparesSeparatorsInSortedOrder) {
  TTermList terms;
  terms.AddDelimiter("BLOCK", "(", ")", false, true, csAsIs);
  terms.AddWord("DML", "CREATE TABLE", true, 0, csAsIs);
  terms.AddLineComment("--", false);
  terms.Prepare();
  EXPECT_TRUE(terms.Prepared);
  EXPECT_THAT(terms.Separators, ElementsAre("(", ")", "--"));
  terms.AddWord("X", "+", false, 0, csAsIs);
  EXPECT_FALSE(terms.Prepared);
}

TEST(TermList, SortsLongerSequencesBeforeTheirPrefixes) {
  TTermList terms;
  for (const char* s : {"CREATE", "CREATE UNIQUE", "DROP", "CREATE UNIQUE CLUSTERED INDEX", "CREATEX", "CREATE TABLE"}) {
    terms.AddWord("DML", s, true, 0, csAsIs);
  }
  terms.Sort();
  std::vector<std::string> order;
  for (int i = 0; i < terms.Count(); ++i) order.push_back(terms.Items(i)->StartText());
  EXPECT_THAT(order, ElementsAre("CREATE TABLE", "CREATE UNIQUE CLUSTERED INDEX", "CREATE UNIQUE", "CREATE",
                                 "CREATEX", "DROP"));
}

TEST(TermList, LooksUpByStartFirstWordAndType) {
  TTermList terms;
  terms.AddWord("OBJECT_DIV", ".", false, ccDigit, csAsIs);
  terms.AddWord("DML", "CREATE", true, 0, csAsIs);
  terms.AddWord("DML", "DROP", true, 0, csAsIs);
  terms.AddWord("DML", "CREATE TABLE", true, 0, csAsIs);
  EXPECT_EQ(terms.Items(terms.IndexOfStart("  create    table ")), terms.Items(3));
  EXPECT_EQ(terms.IndexOfStart("create tab"), -1);
  EXPECT_EQ(terms.IndexOfType("object_div", 0), 0);
  EXPECT_EQ(terms.IndexOfType("DML", 2), 2);
  EXPECT_EQ(terms.FindType("nothing"), nullptr);
  // Before Prepare the terms stand as added, "CREATE" first; once sorted the
  // longer start comes first and the two stand together. Either way the
  // first-word look-up walks them all in the list's order.
  for (bool prepared : {false, true}) {
    if (prepared) terms.Prepare();
    const std::vector<std::string> expected =
        prepared ? std::vector<std::string>{"CREATE TABLE", "CREATE"} : std::vector<std::string>{"CREATE", "CREATE TABLE"};
    std::vector<std::string> found;
    for (int i = terms.IndexOfFirstWord(" create "); i >= 0; i = terms.IndexOfFirstWord("create", i + 1))
      found.push_back(terms.Items(i)->StartText());
    EXPECT_EQ(found, expected) << (prepared ? "prepared" : "as added");
    EXPECT_EQ(terms.IndexOfFirstWord("create", terms.Count()), -1);
    EXPECT_EQ(terms.Items(terms.IndexOfFirstWord("drop"))->StartText(), "DROP");
  }
}

}  // namespace
}  // namespace ambrix
