#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "../support/test_terms.h"
#include "parser/parser.h"
#include "parser/parser_text_word_list.h"
#include "../support/error_message.h"

namespace ambrix {
namespace {

using ::testing::ElementsAre;

using testing::ErrorMessageOf;

// CREATE TABLE prints in upper case, brackets, comma and plain words as written.
class EditableTextTest : public ::testing::Test {
 protected:
  TTermList terms;
  TParser parser;
  TParserWordList words;
  std::vector<std::string> printed;

  EditableTextTest() {
    terms.AddWord("DML", "create table", true, 0, csUpper);
    terms.AddDelimiter("BLOCK", "(", ")", false, true, csAsIs);
    terms.AddWord("LIST_DIV", ",", false, 0, csAsIs);
    terms.AddBlockComment("/*", "*/", false);
    terms.AddLineComment("--", false);
  }

  TParserTextWordList& Build(std::vector<std::string> lines, int indent = 0) {
    parser.Parse(lines, terms, words);
    words.BuildText(indent);
    return *words.TextList;
  }
  std::vector<std::string>& Print() {
    words.TextList->PrintAll(printed);
    return printed;
  }
  TParserTextWord* Find(const std::string& text) {
    for (TParserTextWord* w = words.TextList->First(); w; w = w->NextWord()) {
      if (w->Text == text) return w;
    }
    return nullptr;
  }

  const std::vector<std::string> table{"create table t1 (", "  a int,", "  b char(10))"};
};

TEST_F(EditableTextTest, RebuildsTheSourceLayout) {
  TParserTextWordList& text = Build(table);
  EXPECT_EQ(text.First()->LineBreaks, 1);
  EXPECT_EQ(text.Owner, &words);
  EXPECT_THAT(Print(), ElementsAre("CREATE TABLE t1 (", "  a int,", "  b char(10))"));
  EXPECT_EQ(text.First()->OutLine, 1);
  EXPECT_EQ(text.First()->OutCol, 1);
  TParserTextWord* b = Find("b");
  EXPECT_EQ(b->OutLine, 3);
  EXPECT_EQ(b->OutCol, 3);
  EXPECT_EQ(words[2]->EndTextWord->OutCol, 13);  // the closing bracket of the table
}

TEST_F(EditableTextTest, IndentsEveryLineIncludingTheFirst) {
  Build(table, 2);
  EXPECT_THAT(Print(), ElementsAre("  CREATE TABLE t1 (", "    a int,", "    b char(10))"));
  Build({"(a) x"}, 2);
  EXPECT_THAT(Print(), ElementsAre("  (a) x"));
}

TEST_F(EditableTextTest, TiesTextWordsToTheirParserWords) {
  Build(table);
  const TParserWord* block = words[2];
  ASSERT_NE(block->StartTextWord, nullptr);
  EXPECT_EQ(block->StartTextWord->Text, "(");
  EXPECT_EQ(block->EndTextWord->Text, ")");
  EXPECT_EQ(block->LastTextWord(), block->EndTextWord);
  EXPECT_EQ(words[1]->LastTextWord(), words[1]->StartTextWord);
  EXPECT_EQ(block->Children->RootTextList(), words.TextList.get());
  EXPECT_EQ(words.TextList->FindByParserWord(block), block->StartTextWord);
}

TEST_F(EditableTextTest, MultiLineRawTextRoundTrips) {
  // The word after a multi-line raw text continues where the text ends, so a
  // string or comment spanning lines prints exactly as written.
  Build({"x /* one", "  two */ y", "'a", "b' z"});
  EXPECT_THAT(Print(), ElementsAre("x /* one", "  two */ y", "'a", "b' z"));
  EXPECT_EQ(Find("*/")->OutLine, 2);
  EXPECT_EQ(Find("*/")->OutCol, 7);
  EXPECT_EQ(Find("z")->OutLine, 4);
  EXPECT_EQ(Find("z")->OutCol, 4);
}

TEST_F(EditableTextTest, PrintedColumnsCountCharactersAfterTheLastLineBreakOfAText) {
  Build({"x /* один", "  два */ y 'ё", "ж' z"});
  EXPECT_THAT(Print(), ElementsAre("x /* один", "  два */ y 'ё", "ж' z"));
  EXPECT_EQ(Find("*/")->OutLine, 2);
  EXPECT_EQ(Find("*/")->OutCol, 7);
  EXPECT_EQ(Find("y")->OutCol, 10);
  EXPECT_EQ(Find("z")->OutLine, 3);
  EXPECT_EQ(Find("z")->OutCol, 4);
}

TEST_F(EditableTextTest, PrintsLineBreaksAndBlanks) {
  TParserTextWordList text(&words);
  std::vector<std::string> lines{"stale"};
  text.PrintAll(lines);
  EXPECT_TRUE(lines.empty());
  text.Append(nullptr, true, 0, 0, "a");
  text.Append(nullptr, true, 0, 3, "b");
  TParserTextWord* c = text.Append(nullptr, true, -4, 0, "c");
  text.Append(nullptr, true, 1, 1, "дд");
  TParserTextWord* e = text.Append(nullptr, true, 1, 0, "e");
  text.PrintAll(lines);
  EXPECT_THAT(lines, ElementsAre("a", "  ", "bc", " дд e"));
  EXPECT_EQ(c->OutCol, 2);
  EXPECT_EQ(c->OutLine, 3);
  EXPECT_EQ(e->OutCol, 5);
  EXPECT_EQ(e->OutLine, 4);
  // A range that starts at a word with line breaks begins with an empty line.
  text.Print(text.First()->NextWord(), c, lines);
  EXPECT_THAT(lines, ElementsAre("", "  ", "bc"));
}

TEST_F(EditableTextTest, InsertsWords) {
  TParserTextWordList& text = Build(table);
  TParserTextWord* first = text.First();
  TParserTextWord* head = text.InsertBefore(nullptr, true, false, 0, 0, first, "/* head */");
  EXPECT_EQ(head->LineBreaks, 1);
  TParserTextWord* a = Find("a");
  text.InsertBefore(nullptr, true, true, 1, 0, a, "x");
  EXPECT_EQ(a->LineBreaks, 0);
  EXPECT_EQ(a->Spaces, 2);
  text.InsertAfter(nullptr, true, false, 0, 1, text.Last(), "go");
  text.InsertBeforeParserWord(nullptr, true, false, 1, 0, words[1], "dbo.");
  EXPECT_THAT(Print(), ElementsAre("/* head */", "CREATE TABLE dbo. t1 ( x  a int,", "  b char(10))", "go"));
}

TEST_F(EditableTextTest, TiesInsertedWordsToANode) {
  TParserTextWordList& text = Build(table);
  TParserWord* t1 = words[1];
  TParserTextWord* old = t1->StartTextWord;
  TParserTextWord* renamed = text.InsertBefore(t1, true, false, 1, 0, old, "t2");
  EXPECT_EQ(t1->StartTextWord, renamed);
  EXPECT_EQ(text.FindByParserWord(t1), renamed);
  text.Delete(renamed, false);
  EXPECT_EQ(t1->StartTextWord, nullptr);
  EXPECT_EQ(text.FindByParserWord(t1), old);
}

TEST_F(EditableTextTest, DeletesWordsKeepingLayout) {
  TParserTextWordList& text = Build(table);
  text.Delete(words[1]->StartTextWord, true);  // t1
  EXPECT_EQ(words[1]->StartTextWord, nullptr);
  EXPECT_THAT(Print(), ElementsAre("CREATE TABLE (", "  a int,", "  b char(10))"));

  // Each build replaces the editable text, so take it anew.
  Build({"x (a,", " b) y"}).DeleteRange(words[1]->StartTextWord, words[1]->EndTextWord, true);
  EXPECT_THAT(Print(), ElementsAre("xy"));  // y takes the layout of ")"
  Build({"p q r s"}).DeleteCount(Find("q"), 2, false);
  EXPECT_THAT(Print(), ElementsAre("p s"));
  Build({"p q"}).DeleteCount(Find("q"), 9, false);
  EXPECT_THAT(Print(), ElementsAre("p"));
}

TEST_F(EditableTextTest, DeletesParserWordsByMode) {
  Build({"f (a, b) z"});
  words.TextList->DeleteParserWord(words[1], 1, false);
  EXPECT_THAT(Print(), ElementsAre("fa, b z"));
  Build({"f (a, b) z"});
  words.TextList->DeleteParserWord(words[1], 2, true);
  EXPECT_THAT(Print(), ElementsAre("fz"));
  Build({"f (a, b) z -- c"});
  words.TextList->DeleteParserWord(words[0], 2, false);  // no end words: start word only
  words.TextList->DeleteParserWord(words[3], 2, false);  // a line comment: start word only
  EXPECT_THAT(Print(), ElementsAre(" (a, b) z c"));
}

TEST_F(EditableTextTest, MovesWords) {
  // Moved words keep their own line breaks and blanks.
  TParserTextWordList& text = Build({"a b c d"});
  text.MoveBefore(Find("b"), Find("d"));
  EXPECT_THAT(Print(), ElementsAre("a d b c"));
  text.MoveRangeBefore(text.Tail, Find("d"), Find("b"));
  EXPECT_THAT(Print(), ElementsAre("a c d b"));
  text.MoveRangeBefore(Find("c"), Find("c"), Find("d"));
  EXPECT_THAT(Print(), ElementsAre("a c d b"));
  text.MoveBefore(Find("a"), Find("c"));
  EXPECT_THAT(Print(), ElementsAre(" c", "a d b"));
}

TEST_F(EditableTextTest, RefusesToTouchTheSentinels) {
  TParserTextWordList& text = Build(table);
  TParserTextWord* a = Find("a");
  EXPECT_EQ(ErrorMessageOf([&] { text.InsertBefore(nullptr, true, false, 0, 0, text.Head, "x"); }),
            "Невозможна вставка перед системным обьектом");
  EXPECT_EQ(ErrorMessageOf([&] { text.MoveBefore(text.Head, a); }), "Невозможна вставка перед системным обьектом");
  EXPECT_EQ(ErrorMessageOf([&] { text.MoveRangeBefore(text.Head, a, a); }),
            "Невозможна вставка перед системным обьектом");
  EXPECT_EQ(ErrorMessageOf([&] { text.MoveBefore(a, text.Tail); }), "Невозможна обработка системного обьекта");
  EXPECT_EQ(ErrorMessageOf([&] { text.MoveRangeBefore(a, text.Head, a); }), "Невозможна обработка системного обьекта");
  EXPECT_EQ(ErrorMessageOf([&] { text.MoveRangeBefore(text.First(), a, text.Tail); }),
            "Невозможна обработка системного обьекта");
  EXPECT_EQ(ErrorMessageOf([&] { text.Delete(text.Head, false); }), "Невозможно удаление системных обьектов");
  EXPECT_EQ(ErrorMessageOf([&] { text.Delete(text.Tail, true); }), "Невозможно удаление системных обьектов");
  EXPECT_EQ(ErrorMessageOf([&] { text.WordAt(text.Tail, 2); }), "Невозможно удаление системных обьектов");
  EXPECT_EQ(ErrorMessageOf([&] { text.DeleteCount(text.Head, 2, false); }), "Невозможно удаление системных обьектов");
  // A backwards range would run into the sentinel: refused, nothing changed.
  EXPECT_EQ(ErrorMessageOf([&] { text.DeleteRange(a, text.First(), false); }), "Невозможно удаление системных обьектов");
  // Moving a range before a word inside it is refused too.
  EXPECT_EQ(ErrorMessageOf([&] { text.MoveRangeBefore(a->NextWord(), a, a->NextWord()->NextWord()); }),
            "Невозможна обработка системного обьекта");
  EXPECT_THAT(Print(), ElementsAre("CREATE TABLE t1 (", "  a int,", "  b char(10))"));
}

TEST_F(EditableTextTest, ReportsMissingTiedWords) {
  TParserTextWordList& text = Build({"f (a) -- c"});
  TParserWord* block = words[1];
  text.Delete(block->EndTextWord, false);
  EXPECT_EQ(ErrorMessageOf([&] { text.DeleteParserWord(block, 2, false); }),
            "Конечное ключевое слово для удаления не найдено");
  EXPECT_NE(block->StartTextWord, nullptr);  // mode 2 removed nothing
  EXPECT_EQ(ErrorMessageOf([&] { text.DeleteParserWord(block, 1, false); }),
            "Конечное ключевое слово для удаления не найдено");
  EXPECT_EQ(block->StartTextWord, nullptr);  // mode 1 took the start word first
  EXPECT_EQ(ErrorMessageOf([&] { text.DeleteParserWord(block, 0, false); }),
            "Стартовое ключевое слово для удаления не найдено");
  EXPECT_EQ(ErrorMessageOf([&] { text.InsertBeforeParserWord(nullptr, true, false, 0, 0, block, "x"); }),
            "Ключевое слово не найдено для вставки");
}

TEST_F(EditableTextTest, EnsureTextListEmptiesTheRootsTextAndClearingFreesIt) {
  Build(table);
  TParserWord* block = words[2];
  TParserTextWordList& text = block->Children->EnsureTextList();
  EXPECT_EQ(&text, words.TextList.get());
  EXPECT_TRUE(text.Empty());
  EXPECT_EQ(block->StartTextWord, nullptr);
  words.BuildText(0);
  EXPECT_NE(block->StartTextWord, nullptr);
  words.Clear();
  EXPECT_EQ(words.TextList, nullptr);
  EXPECT_EQ(words.Count(), 0);
}

}  // namespace
}  // namespace ambrix

namespace ambrix {
namespace {

// A warning tied to a word stays where that word stood when rules delete it.
TEST_F(EditableTextTest, AlarmMarksFollowTheWordThatTakesADeletedWordsPlace) {
  TParserTextWordList& text = Build(table);
  text.MarkAlarm(Find("a"), "kind", "a");
  text.MarkAlarm(Find("t1"), "kind", "t1");
  text.MarkAlarm(text.Last(), "kind", "last");
  text.Delete(Find("a"), true);
  EXPECT_EQ(text.AlarmMarks[0].At, Find("int"));
  // A run deleted as a whole: the mark passes over every word of it.
  text.DeleteRange(Find("t1"), Find("int"), false);
  EXPECT_EQ(text.AlarmMarks[0].At, Find(","));
  EXPECT_EQ(text.AlarmMarks[1].At, Find(","));
  // The last word gone: the mark stands after the text.
  text.Delete(text.Last(), false);
  EXPECT_EQ(text.AlarmMarks[2].At, nullptr);
  text.Clear();
  EXPECT_TRUE(text.AlarmMarks.empty());
}

}  // namespace
}  // namespace ambrix
