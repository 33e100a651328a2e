#include "rewriting/table_rules.h"

#include <string>

#include "parser/parser_text_word_list.h"
#include "parser/parser_word_list.h"
#include "rewriting/name_rules.h"
#include "rewriting/rule_conventions.h"
#include "text/error.h"
#include "text/utf8.h"

namespace ambrix {

void RemoveOnClause(const TConvertContext& Context, int Index, TParserWordList& Words) {
  const int on = FirstSignificant(Context, Words, Index);
  if (on < 0 || !WordTextIs(*Words[on], "ON")) return;
  if (on + 1 < Words.Count()) DeleteWhole(*Words[on + 1], false);
  DeleteStartWord(*Words[on], false);
}

void ConvertColumnDefinitions(const TConvertContext& Context, TParserWordList& ColumnWords) {
  TParserWordList items(false);
  ColumnWords.SplitByTerm(Context.ListDivTerm, true, items, false);
  for (TParserWord* item : items) {
    TParserWordList& words = *item->Children;

    // A computed column: c AS a + b becomes c compute a + b.
    const int as = FindInList(words, "AS");
    if (as >= 0) {
      SetWordText(*words[as], "compute");
      continue;
    }

    // A bracketed data type loses its brackets; the column name keeps them.
    if (words.Count() > 1 && IsType(*words[1], "OBJECT_NAME")) DeleteDelimiters(*words[1], true);

    // IDENTITY (seed, step) becomes identity.
    const int identity = FindInList(words, "IDENTITY (");
    if (identity >= 0) {
      TParserWord& word = *words[identity];
      if (word.StartTextWord != nullptr && word.EndTextWord != nullptr) {
        DeleteTextRange(*word.StartTextWord->NextWord(), *word.EndTextWord, false);
        SetWordText(word, "identity");
      }
    }

    // COLLATE and the collation name go (a bracketed name with its brackets);
    // what follows takes the spacing of the name.
    const int collate = FindInList(words, "COLLATE");
    if (collate >= 0 && collate + 1 < words.Count()) {
      TParserWord& word = *words[collate];
      TParserWord& name = *words[collate + 1];
      if (word.StartTextWord != nullptr && name.StartTextWord != nullptr) {
        const int lineBreaks = name.StartTextWord->LineBreaks;
        const int spaces = name.StartTextWord->Spaces;
        TParserTextWord* after = name.LastTextWord()->NextWord();
        DeleteTextRange(*word.StartTextWord, *name.LastTextWord(), false);
        if (after != nullptr) {
          after->LineBreaks = lineBreaks;
          after->Spaces = spaces;
        }
      }
    }
  }
}

void ConvertCreateTables(const TConvertContext& Context, TParserWordList& Words) {
  for (TParserWord* create : SearchStatement(Context, Words, {"CREATE TABLE"})) {
    TParserWordList& list = *create->Owner;
    const int block = FindTerm(list, Context.BlockTerm, create->IndexInOwner());
    if (block < 0) throw Error("Странное описание создания таблицы");
    if (list[block]->Children) ConvertColumnDefinitions(Context, *list[block]->Children);
    RemoveOnClause(Context, block + 1, list);
    const int textImage = FindInList(list, "TEXTIMAGE_ON", block + 1);
    if (textImage >= 0) {
      if (textImage + 1 < list.Count()) DeleteWhole(*list[textImage + 1], false);
      DeleteStartWord(*list[textImage], false);
    }
  }
}

void ConvertAlterTableIdentity(const TConvertContext& Context, TParserWordList& Words) {
  for (TParserWord* alter : SearchStatement(Context, Words, {"ALTER TABLE"})) {
    TParserWordList& list = *alter->Owner;
    const int from = alter->IndexInOwner();
    int end = FirstStatementKeyword(list, from + 1);
    if (end < 0) end = list.Count();
    for (int i = FindInList(list, "IDENTITY (", from, end - 1); i >= 0;
         i = FindInList(list, "IDENTITY (", i + 1, end - 1)) {
      TParserWord& identity = *list[i];
      SetWordText(identity, "identity");
      if (identity.Children && !identity.Children->Empty()) {
        TParserTextWord* first = identity.Children->Words(0)->StartTextWord;
        TParserTextWord* last = identity.Children->Words(identity.Children->Count() - 1)->LastTextWord();
        if (first != nullptr && last != nullptr) DeleteTextRange(*first, *last, false);
      }
      DeleteEndWord(identity, false);
    }
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
