#include "rewriting/table_rules.h"

#include <string>

#include "parser/parser_text_word_list.h"
#include "parser/parser_word_list.h"
#include "rewriting/column_rules.h"
#include "rewriting/ddl_clauses.h"
#include "rewriting/default_values.h"
#include "rewriting/name_rules.h"
#include "rewriting/word_span.h"
#include "rewriting/ddl_words.h"
#include "rewriting/rule_conventions.h"
#include "text/error.h"
#include "text/utf8.h"

namespace ambrix {

namespace {

// A computed column whose type cannot be told stays in the text as a
// comment, with the separator that joins it to the others.
void CommentOutItem(const TConvertContext& Context, TParserWordList& ColumnWords, TParserWordList& Item) {
  if (Item.Empty()) return;
  int first = Item[0]->IndexInOwner();
  int last = Item[Item.Count() - 1]->IndexInOwner();
  if (first < 0 || last < 0) return;
  const int after = NextSignificant(Context, ColumnWords, last);
  const int before = PrevSignificant(Context, ColumnWords, first);
  if (after >= 0 && ColumnWords[after]->Term == Context.ListDivTerm && ColumnWords[after]->StartTextWord)
    last = after;
  else if (before >= 0 && ColumnWords[before]->Term == Context.ListDivTerm && ColumnWords[before]->StartTextWord)
    first = before;
  TParserTextWord* firstText = FirstTextWordIn(ColumnWords, first, last);
  TParserTextWord* lastText = LastTextWordIn(ColumnWords, first, last);
  if (firstText == nullptr || lastText == nullptr) return;
  bool lineComment = false;
  for (int i = first; i <= last; ++i)
    lineComment = lineComment || (IsComment(Context, *ColumnWords[i]) && ColumnWords[i]->Text() == "--");
  const int spaces = firstText->LineBreaks > 0 || firstText->Spaces > 0 ? firstText->Spaces : 1;
  InsertTextBefore(ColumnWords, firstText, "/*", spaces, firstText->LineBreaks);
  firstText->Spaces = 1;
  firstText->LineBreaks = 0;
  InsertTextAfter(ColumnWords, *lastText, "*/", 1, lineComment ? 1 : 0);
}

}  // namespace

void ConvertColumnDefinitions(const TConvertContext& Context, TParserWordList& ColumnWords) {
  // A separator before the closing bracket (SQL Server lets it pass) goes.
  const int last = ColumnWords.LastIndexOfNotType(ColumnWords.Count() - 1, {Context.CommentTermName});
  if (last >= 0 && ColumnWords[last]->Term == Context.ListDivTerm) DeleteStartWord(*ColumnWords[last], false);

  TParserWordList items(false);
  ColumnWords.SplitByTerm(Context.ListDivTerm, true, items, false);
  TColumnBlock block;
  for (TParserWord* item : items) {
    CollectKeyColumns(Context, *item->Children, block);
    block.WantsTypes = block.WantsTypes || IsComputedColumn(Context, *item->Children);
  }
  // Computed columns last: they may use columns defined after them.
  for (const bool computed : {false, true}) {
    for (TParserWord* item : items) {
      if (IsComputedColumn(Context, *item->Children) != computed) continue;
      if (ConvertColumnItem(Context, ColumnWords, *item->Children, block) == TItemResult::CommentedOut)
        CommentOutItem(Context, ColumnWords, *item->Children);
    }
  }
}

void ConvertCreateTables(const TConvertContext& Context, TParserWordList& Words) {
  for (TParserWord* create : SearchStatement(Context, Words, {"CREATE TABLE"})) {
    TParserWordList& list = *create->Owner;
    const int block = FindTerm(list, Context.BlockTerm, create->IndexInOwner());
    if (block < 0) throw Error("Странное описание создания таблицы");
    if (list[block]->Children) ConvertColumnDefinitions(Context, *list[block]->Children);
    // ON filegroup, TEXTIMAGE_ON filegroup: up to the next statement.
    int end = FirstStatementKeyword(list, block + 1);
    if (end < 0) end = list.Count();
    RemoveStorageClauses(Context, Words, list, block + 1, end - 1);
  }
}

namespace {

// The index past the last word of the statement that goes on after `From`:
// the next statement keyword, but not DELETE or UPDATE after ON (a
// referential action).
int StatementEnd(const TConvertContext& Context, TParserWordList& List, int From) {
  for (int next = FirstStatementKeyword(List, From); next >= 0; next = FirstStatementKeyword(List, next + 1)) {
    const int before = PrevSignificant(Context, List, next);
    if (before < 0 || !IsWord(*List[before], "ON")) return next;
  }
  return List.Count();
}

// [CONSTRAINT n] DEFAULT value FOR column [WITH VALUES], an item of ALTER
// TABLE ADD: the target names no defaults and sets one with MODIFY column
// DEFAULT value. Returns the item's first text word then (MODIFY); null when
// the item is no such default.
TParserTextWord* ConvertDefaultFor(const TConvertContext& Context, TParserWordList& Item) {
  const int dflt = FindInList(Item, "DEFAULT");
  const int forWord = dflt >= 0 ? FindInList(Item, "FOR", dflt + 1) : -1;
  const int column = forWord >= 0 ? NextSignificant(Context, Item, forWord) : -1;
  const int first = FirstSignificant(Context, Item, 0);
  if (column < 0 || !(first == dflt || IsWord(*Item[first], "CONSTRAINT"))) return nullptr;
  TParserTextWord* dfltText = Item[dflt]->StartTextWord;
  TParserTextWord* forText = Item[forWord]->StartTextWord;
  TParserTextWord* columnLast = LastTextWordOf(*Item[column]);
  if (dfltText == nullptr || forText == nullptr || columnLast == nullptr) return nullptr;
  const int with = NextSignificant(Context, Item, column);
  const int values = with >= 0 && IsWord(*Item[with], "WITH") ? NextSignificant(Context, Item, with) : -1;
  if (values >= 0 && IsWord(*Item[values], "VALUES")) {
    TParserTextWord* withFirst = FirstTextWordIn(Item, with, values);
    TParserTextWord* withLast = LastTextWordIn(Item, with, values);
    if (withFirst && withLast) DeleteTextRange(*withFirst, *withLast, false);
  }
  ConvertDefaultValue(Context, Item, dflt + 1, forWord - 1);
  // FOR column goes before DEFAULT as MODIFY column, in the place of the
  // constraint's name.
  TParserTextWord* start = FirstTextWordIn(Item, first, dflt);
  const int lineBreaks = start->LineBreaks;
  const int spaces = start->Spaces;
  if (first != dflt) DeleteTextRange(*start, *dfltText->PrevWord(), false);
  forText->Owner->MoveRangeBefore(dfltText, forText, columnLast);
  forText->Text = "modify";
  forText->LineBreaks = lineBreaks;
  forText->Spaces = spaces;
  dfltText->LineBreaks = 0;
  dfltText->Spaces = 1;
  return forText;
}

// One ALTER TABLE starting at `Alter`: WITH [NO]CHECK goes, ALTER COLUMN
// becomes MODIFY, DROP COLUMN becomes DROP, column definitions added are
// converted, and each clause after the first gets its own ALTER TABLE.
void ConvertAlterTable(const TConvertContext& Context, TParserWordList& Words, TParserWordList& List, int Alter) {
  int action = -1;
  for (int i = NextSignificant(Context, List, Alter); i >= 0; i = NextSignificant(Context, List, i)) {
    if (IsType(*List[i], "OBJECT_NAME") || List[i]->Term == Context.ObjectDivTerm || List[i]->Term->Kind == tkText)
      continue;
    action = i;
    break;
  }
  if (action < 0 || action == NextSignificant(Context, List, Alter)) return;
  TParserTextWord* nameFirst = FirstTextWordIn(List, Alter + 1, action - 1);
  TParserTextWord* nameLast = LastTextWordIn(List, Alter + 1, action - 1);
  if (nameFirst == nullptr || nameLast == nullptr) return;
  std::string name;
  for (TParserTextWord* word = nameFirst;; word = word->NextWord()) {
    if (!name.empty() && word->Spaces > 0) name += ' ';
    name += word->Text;
    if (word == nameLast) break;
  }
  // WITH CHECK / WITH NOCHECK: the target checks what it adds.
  if (IsWord(*List[action], "WITH")) {
    const int check = NextSignificant(Context, List, action);
    if (check < 0 || !(IsWord(*List[check], "CHECK") || IsWord(*List[check], "NOCHECK"))) return;
    TParserTextWord* first = FirstTextWordIn(List, action, check);
    TParserTextWord* last = LastTextWordIn(List, action, check);
    if (first && last) DeleteTextRange(*first, *last, false);
    action = NextSignificant(Context, List, check);
    if (action < 0) return;
  }
  const int end = StatementEnd(Context, List, action + 1);
  const bool add = IsWord(*List[action], "ADD");
  // ALTER COLUMN c type: the target's MODIFY c type; DROP COLUMN c: DROP c.
  int from = NextSignificant(Context, List, action);
  if (from < 0 || from >= end) return;
  bool modify = false;
  if (IsWord(*List[from], "COLUMN") && !add) {
    modify = IsWord(*List[action], "ALTER");
    if (modify) SetWordText(*List[action], "modify");
    DeleteStartWord(*List[from], false);
    from = NextSignificant(Context, List, from);
    if (from < 0 || from >= end) return;
  } else if (!add) {
    return;
  }
  const std::string verb = LowerCase(List[action]->StartTextWord ? List[action]->StartTextWord->Text : "add");

  TParserWordList items(false);
  List.SplitByTerm(Context.ListDivTerm, from, items, false, true, end - 1);
  TColumnBlock block;
  for (TParserWord* item : items) CollectKeyColumns(Context, *item->Children, block);
  bool first = true;
  for (TParserWord* item : items) {
    TParserWordList& words = *item->Children;
    TParserTextWord* modifyWord = add ? ConvertDefaultFor(Context, words) : nullptr;
    const bool defaultFor = modifyWord != nullptr;
    if (!defaultFor && (add || modify)) ConvertColumnItem(Context, Words, words, block);
    if (first) {
      // The item says MODIFY itself.
      if (defaultFor) DeleteStartWord(*List[action], false);
      first = false;
      continue;
    }
    // One clause a statement: the separator before the item goes, and the
    // item gets its own ALTER TABLE.
    const int start = words.Empty() ? -1 : words[0]->IndexInOwner();
    const int comma = start > 0 ? PrevSignificant(Context, List, start) : -1;
    if (comma >= 0 && List[comma]->Term == Context.ListDivTerm) DeleteStartWord(*List[comma], false);
    TParserTextWord* itemFirst = defaultFor ? modifyWord : FirstTextWordIn(words, 0, words.Count() - 1);
    if (itemFirst == nullptr) continue;
    const int lineBreaks = itemFirst->LineBreaks > 0 ? itemFirst->LineBreaks : 1;
    // The new statement stands where the first one does.
    const int indent = List[Alter]->StartTextWord ? List[Alter]->StartTextWord->Spaces : 0;
    InsertTextBefore(Words, itemFirst, "alter table " + name + (defaultFor ? "" : " " + verb), indent, lineBreaks);
    itemFirst->LineBreaks = 0;
    itemFirst->Spaces = 1;
  }
}

}  // namespace

void ConvertAlterTables(const TConvertContext& Context, TParserWordList& Words) {
  for (TParserWord* alter : SearchStatement(Context, Words, {"ALTER TABLE"})) {
    TParserWordList& list = *alter->Owner;
    ConvertAlterTable(Context, Words, list, alter->IndexInOwner());
  }
}

void ConvertTableVariables(const TConvertContext& Context, TParserWordList& Words) {
  for (TParserWord* declare : SearchStatement(Context, Words, {"DECLARE"})) {
    TParserWordList& list = *declare->Owner;
    const int variable = NextSignificant(Context, list, declare->IndexInOwner());
    if (variable < 0) continue;
    const int table = NextSignificant(Context, list, variable);
    if (table < 0 || !WordTextIs(*list[table], "TABLE")) continue;

    SetWordText(*declare, "create");
    TParserTextWord* tableText = list[table]->StartTextWord;
    TParserTextWord* variableText = list[variable]->StartTextWord;
    if (tableText != nullptr && variableText != nullptr) tableText->Owner->MoveBefore(variableText, tableText);

    // @t becomes #t everywhere in the statement.
    const std::string& oldName = WordText(*list[variable]);
    const std::string newName = "#" + oldName.substr(Utf8ByteOffset(oldName, 1));
    ReplaceWordText(Context, oldName, newName, Words);

    const int block = NextSignificant(Context, list, table);
    if (block < 0 || list[block]->Term != Context.BlockTerm)
      throw Error("Странное обьявление табличной переменной");
    if (list[block]->Children) ConvertColumnDefinitions(Context, *list[block]->Children);
  }
}

}  // namespace ambrix
