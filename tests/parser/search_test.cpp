#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "../support/test_terms.h"
#include "parser/parser.h"

namespace ambrix {
namespace {

using testing::MakeTestTerms;
using testing::TestTerms;

const std::vector<std::string> kComment{"#COMMENT#"};

std::vector<std::string> Texts(const TParserWordList& list) {
  std::vector<std::string> out;
  for (TParserWord* node : list) out.push_back(node->Text());
  return out;
}

// The texts of each item of a split, items separated by "|".
std::string Items(const TParserWordList& items) {
  std::string out;
  for (TParserWord* item : items) {
    if (!out.empty()) out += " | ";
    std::string inner;
    for (TParserWord* node : *item->Children) inner += (inner.empty() ? "" : " ") + node->Text();
    out += inner;
  }
  return out;
}

class SearchTest : public ::testing::Test {
 protected:
  TestTerms dialect = MakeTestTerms({"INT"});
  TParserWordList words;

  void Parse(std::vector<std::string> lines) { dialect.Parse(lines, words); }
};

TEST_F(SearchTest, FindsByTextTermTypeAndTag) {
  Parse({"create table [dbo].T1 (a int) -- c", "x"});
  // CREATE TABLE, [dbo], ., T1, (...), --, x
  EXPECT_EQ(words.IndexOfText(0, " create table "), 0);
  EXPECT_EQ(words.IndexOfText(0, "t1"), 3);
  EXPECT_EQ(words.IndexOfText(0, "t1", 2), -1);
  EXPECT_EQ(words.IndexOfText(4, "t1"), -1);
  EXPECT_EQ(words.IndexOfTerm(0, dialect.Block), 4);
  EXPECT_EQ(words.IndexOfTerm(5, dialect.Block), -1);
  EXPECT_EQ(words.IndexOfType(0, "#KEYWORD#"), -1);  // plain words are not registered terms
  EXPECT_EQ(words.IndexOfType(1, "object_div"), 2);
  EXPECT_EQ(words.LastIndexOfType(0, 6, "OBJECT_NAME"), 1);
  EXPECT_EQ(words.LastIndexOfType(2, 6, "OBJECT_NAME"), -1);
  EXPECT_EQ(words.LastIndexOfType(3, 2, "OBJECT_DIV"), -1);
  EXPECT_EQ(words.IndexOfNotType(0, {"#KEYWORD#"}), 0);
  EXPECT_EQ(words.IndexOfNotType(3, {" #keyword# "}), 4);
  EXPECT_EQ(words.IndexOfTag(1, "MAIN"), -1);
  EXPECT_EQ(words.IndexOfTag(0, "main"), 0);
  EXPECT_EQ(words.IndexOfTag(1, "Child"), 1);
  EXPECT_EQ(words.IndexOfText(99, "x"), -1);
}

TEST_F(SearchTest, StepsOverComments) {
  Parse({"a /* 1 */ b -- 2", "/* 3 */ c"});
  // a, /*, b, --, /*, c
  EXPECT_EQ(words.NextNotType(0, 1, kComment), 2);
  EXPECT_EQ(words.NextNotType(0, 2, kComment), 5);
  EXPECT_EQ(words.NextNotType(0, 3, kComment), -1);
  EXPECT_EQ(words.PrevNotType(5, 1, kComment), 2);
  EXPECT_EQ(words.PrevNotType(5, 2, kComment), 0);
  EXPECT_EQ(words.PrevNotType(5, 3, kComment), -1);
  EXPECT_EQ(words.LastIndexOfNotType(4, kComment), 2);
  EXPECT_EQ(words.LastIndexOfNotType(-1, kComment), -1);
  EXPECT_EQ(words.IndexOfNotType(3, kComment), 5);
}

TEST_F(SearchTest, FindAllSkipsCommentsAndStrings) {
  Parse({"dbo.t (dbo, [dbo], 'dbo', \"dbo\") -- dbo", "/* dbo */ DBO"});
  TParserWordList out;
  words.FindAll({"dbo"}, true, out, {"#COMMENT#", "TEXT"});
  EXPECT_FALSE(out.OwnsObjects);
  ASSERT_EQ(out.Count(), 5);  // dbo, dbo, [dbo] inside, "dbo" inside, DBO
  EXPECT_EQ(out[0], words[0]);
  EXPECT_EQ(out[4], words[words.Count() - 1]);
  EXPECT_EQ(out[2]->Owner->ParentWord->TypeName(), "OBJECT_NAME");

  words.FindAll({"dbo"}, true, out, {});
  EXPECT_EQ(out.Count(), 8);
  words.FindAllByType(out, {"object_name", "TEXT"});
  EXPECT_EQ(Texts(out), (std::vector<std::string>{"[", "'", "\""}));
}

// A search remembers the lists it was given; a list changed in place (same
// object, same storage, same sizes) must be searched for what it now says.
TEST_F(SearchTest, AListChangedInPlaceIsSearchedForItsNewContent) {
  Parse({"dbo.t (dbo, [dbo], 'dbo') -- dbo", "xyz"});
  TParserWordList out;
  std::vector<std::string> types{"#COMMENT#"};
  std::vector<std::string> texts{"dbo"};
  for (int round = 0; round < 2; ++round) {
    types[0] = "#COMMENT#";
    words.FindAllByType(out, types);
    EXPECT_EQ(Texts(out), (std::vector<std::string>{"--"}));
    EXPECT_EQ(words.IndexOfNotType(0, types), 0);
    texts[0] = "dbo";
    words.FindAll(texts, true, out, types);
    EXPECT_EQ(out.Count(), 4);  // dbo, dbo, [dbo] inside, 'dbo' inside
    texts[0] = "xyz";
    words.FindAll(texts, true, out, types);
    EXPECT_EQ(Texts(out), (std::vector<std::string>{"xyz"}));

    types[0] = "#KEYWORD#";
    EXPECT_EQ(words.IndexOfNotType(0, types), 1);
    words.FindAll(texts, true, out, types);
    EXPECT_EQ(out.Count(), 0);  // plain words are skipped now
  }
}

TEST_F(SearchTest, FindAllByFirstStartWord) {
  testing::AddDialectRow(*dialect.Terms, "sysfunc", "count (", ")", false, false);
  Parse({"select count(*), Count (x)"});
  TParserWordList out;
  words.FindAll({"COUNT"}, false, out, {});
  EXPECT_EQ(out.Count(), 2);
  words.FindAll({"count"}, true, out, {});
  EXPECT_EQ(out.Count(), 0);
  words.FindAll({"count ("}, true, out, {});
  EXPECT_EQ(out.Count(), 2);
}

TEST_F(SearchTest, SplitsAtASeparatorTerm) {
  Parse({"a, b c,,d,"});
  TParserWordList items;
  words.SplitByTerm(dialect.ListDiv, false, items, false);
  EXPECT_EQ(Items(items), "a | b c | d");
  EXPECT_EQ(items[1]->TypeName(), "#LIST#");
  EXPECT_EQ(items[1]->Term->Kind, tkListItem);
  EXPECT_EQ(items[1]->StartPos, (TTextPoint{0, 4}));
  EXPECT_EQ(items[1]->EndPos, (TTextPoint{0, 6}));
  EXPECT_FALSE(items[1]->Children->OwnsObjects);

  words.SplitByTerm(dialect.ListDiv, 3, items, false, false, 3);  // separator beyond To only
  EXPECT_EQ(Items(items), "c");
  Parse({"a b"});
  words.SplitByTerm(dialect.ListDiv, false, items, false);
  EXPECT_EQ(items.Count(), 0);
  words.SplitByTerm(dialect.ListDiv, true, items, false);
  EXPECT_EQ(Items(items), "a b");
  Parse({","});
  words.SplitByTerm(dialect.ListDiv, true, items, false);
  EXPECT_EQ(items.Count(), 0);
}

TEST_F(SearchTest, SplitsSingleWordsOfAQualifiedName) {
  TParserWordList items;
  Parse({"dbo.t1"});
  words.SplitByTerm(dialect.ObjectDiv, true, items, true);
  EXPECT_EQ(Items(items), "dbo | t1");
  Parse({"srv.db.dbo.t1 (a int)"});
  words.SplitByTerm(dialect.ObjectDiv, true, items, true);
  EXPECT_EQ(Items(items), "srv | db | dbo | t1");
  Parse({"a b.c"});
  words.SplitByTerm(dialect.ObjectDiv, true, items, true);
  EXPECT_EQ(items.Count(), 0);  // the chain stops before "a b"
  Parse({"t1"});
  words.SplitByTerm(dialect.ObjectDiv, true, items, true);
  EXPECT_EQ(Items(items), "t1");
}

TEST_F(SearchTest, SplitItemsReachTheTreesText) {
  Parse({"f (a, b)"});
  words.BuildText(0);
  TParserWordList items;
  words[1]->Children->SplitByTerm(dialect.ListDiv, true, items, false);
  ASSERT_EQ(items.Count(), 2);
  EXPECT_EQ(items[0]->Children->ParentWord, words[1]);
  EXPECT_EQ(items[0]->Children->RootTextList(), words.TextList.get());
  items.Clear();
  EXPECT_EQ(words[1]->Children->Count(), 3);  // clearing the items leaves the tree intact
  EXPECT_EQ(words[1]->Children->Words(0)->Text(), "a");
}

// The columns (from 1) of the found nodes of a one-line parse, in the order found.
std::vector<int> Columns(const TParserWordList& found) {
  std::vector<int> out;
  for (TParserWord* node : found) out.push_back(node->StartPos.Col);
  return out;
}

// A node of a skipped type is passed over with everything below it, at any
// depth, and the search goes on with what follows it at its own level and
// above; the nodes are found in document order, a node before its children.
TEST_F(SearchTest, FindAllPassesOverASkippedSubtreeAndKeepsDocumentOrder) {
  struct Case {
    std::string line;
    std::vector<std::string> texts;
    std::vector<std::string> skipped;
    std::vector<int> columns;
  };
  for (const Case& c : std::vector<Case>{
           // 1   5    10   15   20   25
           {"dbo (dbo (dbo)) dbo", {"dbo"}, {"BLOCK"}, {1, 17}},
           {"dbo (dbo (dbo)) dbo", {"dbo", "("}, {}, {1, 5, 6, 10, 11, 17}},
           {"((dbo 'x') dbo) dbo", {"dbo"}, {"TEXT"}, {3, 12, 17}},
           {"(a, [dbo], (dbo, 'dbo' (dbo)), dbo) 'dbo' dbo", {"DBO"}, {"text", "object_name"}, {13, 25, 32, 43}},
           {"(a, [dbo], (dbo, 'dbo' (dbo)), dbo) 'dbo' dbo", {"dbo"}, {}, {6, 13, 19, 25, 32, 38, 43}},
       }) {
    SCOPED_TRACE(c.line);
    Parse({c.line});
    TParserWordList out;
    words.FindAll(c.texts, true, out, c.skipped);
    EXPECT_EQ(Columns(out), c.columns);
  }
  Parse({"(a (b) 'c') d"});
  TParserWordList out;
  words.FindAllByType(out, {"BLOCK", "TEXT"});
  EXPECT_EQ(Columns(out), (std::vector<int>{1, 4, 8}));
}

// A search remembers the tree it walked; a change of the searched list
// (a node appended, the list emptied or parsed into again) is seen by the
// next search.
TEST_F(SearchTest, FindAllSeesTheSearchedListsChanges) {
  struct Case {
    std::string name;
    std::function<void(TParserWordList& list, TestTerms& d)> change;
    std::vector<int> columns;  ///< of the nodes found for "dbo" after the change
  };
  TParserWordList other;  // a tree whose nodes are added to the searched list
  std::vector<std::string> otherLines{"     (x, dbo) dbo"};
  dialect.Parse(otherLines, other);
  for (const Case& c : std::vector<Case>{
           {"Add", [&](TParserWordList& list, TestTerms&) { list.Add(other[0]); }, {1, 9, 10}},
           {"AddWord",
            [](TParserWordList& list, TestTerms&) {
              list.AddWord(TTerm::MakeText("DBO"), {0, 30}, nullptr, {0, 32}, {0, 30});
            },
            {1, 9, 30}},
           {"AddWord with children",
            [](TParserWordList& list, TestTerms& d) {
              auto children = std::make_unique<TParserWordList>();
              children->AddWord(TTerm::MakeText("x"), {0, 31}, nullptr, {0, 31}, {0, 31});
              children->AddWord(TTerm::MakeText("dbo"), {0, 33}, nullptr, {0, 35}, {0, 33});
              list.AddWord(d.Block, {0, 30}, std::move(children), {0, 36}, {0, 36});
            },
            {1, 9, 33}},
           {"Clear", [](TParserWordList& list, TestTerms&) { list.Clear(); }, {}},
           {"a new parse",
            [](TParserWordList& list, TestTerms& d) {
              std::vector<std::string> lines{"  dbo (dbo, (dbo))"};
              d.Parse(lines, list);
            },
            {3, 8, 14}},
       }) {
    SCOPED_TRACE(c.name);
    Parse({"dbo (a, dbo)"});
    TParserWordList out;
    words.FindAll({"dbo"}, true, out, {});
    ASSERT_EQ(Columns(out), (std::vector<int>{1, 9}));
    words.FindAllByType(out, {"BLOCK"});
    ASSERT_EQ(out.Count(), 1);

    c.change(words, dialect);
    words.FindAll({"dbo"}, true, out, {});
    EXPECT_EQ(Columns(out), c.columns);
    // The same for the other search and for the search of a found list.
    words.FindAllByType(out, {"#KEYWORD#"});
    TParserWordList again;
    out.FindAll({"dbo"}, true, again, {});
    EXPECT_EQ(Columns(again), c.columns);
  }
}

// A list that receives the results of one search and is searched itself
// follows its new contents after every search that fills it.
TEST_F(SearchTest, AFoundListSearchedAgainFollowsItsNewContents) {
  Parse({"(dbo) [dbo] (x dbo)"});
  TParserWordList blocks;
  TParserWordList inside;
  words.FindAllByType(blocks, {"BLOCK"});
  blocks.FindAll({"dbo"}, true, inside, {});
  EXPECT_EQ(Columns(inside), (std::vector<int>{2, 16}));
  words.FindAllByType(blocks, {"OBJECT_NAME"});
  blocks.FindAll({"dbo"}, true, inside, {});
  EXPECT_EQ(Columns(inside), (std::vector<int>{8}));
}

TEST(SearchLists, MayBeDestroyedAfterTheTree) {
  // Output lists declared before the tree die after it; freeing them must not
  // touch the tree's nodes.
  TParserWordList items;
  TParserWordList found;
  TestTerms dialect = MakeTestTerms();
  {
    TParserWordList words;
    std::vector<std::string> lines{"a, (b, c), d"};
    dialect.Parse(lines, words);
    words.SplitByTerm(dialect.ListDiv, true, items, false);
    words.FindAll({"c"}, true, found, {});
    ASSERT_EQ(items.Count(), 3);
    ASSERT_EQ(found.Count(), 1);
  }
}

}  // namespace
}  // namespace ambrix
