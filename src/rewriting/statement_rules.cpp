#include "rewriting/statement_rules.h"

#include <string>

#include "parser/parser_text_word_list.h"
#include "parser/parser_word_list.h"
#include "rewriting/name_rules.h"
#include "rewriting/rule_conventions.h"
#include "rewriting/word_span.h"
#include "text/error.h"

namespace ambrix {

namespace {

const char* const kStrangeDrop = "Странная команда удаления обьекта БД";
const char* const kStrangeUpdateDelete = "Странная команда UPDATE/DELETE";

/// The index of the last word of the name that starts at the first significant
/// word at or after `From`: one word, or parts joined by the name divider
/// (dbo.p, [dbo].[p], db..p). -1 when no significant word is left.
int NameEnd(const TConvertContext& Context, TParserWordList& List, int From) {
  int last = FirstSignificant(Context, List, From);
  if (last < 0) return -1;
  int next = NextSignificant(Context, List, last);
  while (next >= 0 && List[next]->Term == Context.ObjectDivTerm) {
    last = next;
    next = NextSignificant(Context, List, next);
    if (next < 0) break;
    if (List[next]->Term == Context.ObjectDivTerm) continue;  // db..p: the owner is left out
    last = next;
    next = NextSignificant(Context, List, next);
  }
  return last;
}

/// The EXEC word at `Exec` of an INSERT ... EXEC p args becomes
/// "select * from" and the arguments are put in brackets: p(args). A
/// procedure without arguments gets "()"; an EXEC without a procedure name is
/// left as it is.
void ConvertInsertedExec(const TConvertContext& Context, TParserWordList& Words, TParserWordList& List,
                         int Exec) {
  TParserWord& exec = *List[Exec];
  const int name = NameEnd(Context, List, Exec + 1);
  if (name < 0 || !exec.StartTextWord) return;
  TParserTextWord* nameEnd = LastTextWordOf(*List[name]);
  if (!nameEnd) return;

  // The arguments run from the word after the name up to the last significant
  // word before the next statement.
  TParserTextWord* open = nullptr;
  TParserTextWord* close = nullptr;
  const int args = NextSignificant(Context, List, name);
  if (args >= 0 && !IsStatementKeyword(*List[args])) {
    const int stop = FirstStatementKeyword(List, args + 1);
    const int last = PrevSignificant(Context, List, stop < 0 ? List.Count() : stop);
    open = FirstTextWordIn(List, args, last);
    close = LastTextWordIn(List, args, last);
  }

  exec.StartTextWord->Text = "select * from";
  if (open && close) {
    InsertTextBefore(Words, open, "(", 0, 0);
    InsertTextAfter(Words, *close, ")", 0, 0);
  } else {
    InsertTextAfter(Words, *nameEnd, "()", 0, 0);
  }
}

}  // namespace

void JoinComparisonOperators(const TConvertContext& Context, TParserWordList& Words) {
  for (TParserWord* op : SearchStatement(Context, Words, {"<", ">", "!"})) {
    if (!op->StartTextWord) continue;
    TParserTextWord* next = op->StartTextWord->NextWord();
    if (!next || next->Text.empty() || next->Spaces <= 0) continue;
    const char c = next->Text.front();
    if (c == '!' || c == '<' || c == '=' || c == '>') next->Spaces = 0;
  }
}

void ConvertReturnExpressions(const TConvertContext& Context, TParserWordList& Words) {
  for (TParserWord* ret : SearchStatement(Context, Words, {"RETURN"})) {
    TParserWordList& list = *ret->Owner;
    const int n = NextSignificant(Context, list, ret->IndexInOwner());
    if (n < 0) continue;
    TParserWord& next = *list[n];
    if (IsStatementKeyword(next)) continue;  // a bare RETURN before the next statement
    if (next.Term == Context.BlockTerm) {
      if (!next.Children) continue;
      const int first = FirstSignificant(Context, *next.Children, 0);
      if (first >= 0 && WordTextIs(*next.Children->Words(first), "SELECT")) DeleteDelimiters(next, true);
    } else if (WordTextIs(next, "CASE")) {
      if (!next.StartTextWord || !next.EndTextWord) continue;
      InsertTextBefore(Words, next.StartTextWord, "(", 1, 0);
      InsertTextAfter(Words, *next.EndTextWord, ")", 1, 0);
    }
  }
}

void ConvertFetchFrom(const TConvertContext& Context, TParserWordList& Words) {
  for (TParserWord* fetch : SearchStatementByFirstWord(Context, Words, {"FETCH"})) {
    TParserWordList& list = *fetch->Owner;
    const int n = NextSignificant(Context, list, fetch->IndexInOwner());
    if (n >= 0 && WordTextIs(*list[n], "FROM")) DeleteStartWord(*list[n], true);
  }
}

void ConvertStatementBlocks(const TConvertContext& Context, TParserWordList& Words) {
  for (TParserWord* block : SearchStatement(Context, Words, {Context.BlockTerm->StartText()})) {
    if (!block->Children || block->Children->Empty()) continue;
    TParserWordList& inner = *block->Children;
    const int first = FirstSignificant(Context, inner, 0);
    if (first < 0 || !IsStatementKeyword(*inner[first])) continue;
    if (WordTextIs(*inner[first], "SELECT")) {
      // A sub-query stays; a SELECT that assigns variables is a statement.
      const int second = NextSignificant(Context, inner, first);
      if (second >= 0 && WordText(*inner[second]).rfind('@', 0) != 0) continue;
    }
    TParserTextWord* open = block->StartTextWord;
    TParserTextWord* close = block->EndTextWord;
    if (!open || !close) continue;  // brackets removed by an earlier rule
    open->Text = "begin";
    if (open->Spaces <= 0) open->Spaces = 1;
    if (TParserTextWord* after = open->NextWord(); after && after->LineBreaks == 0 && after->Spaces <= 0)
      after->Spaces = 1;
    close->Text = "end";
    if (close->LineBreaks == 0 && close->Spaces <= 0) close->Spaces = 1;
  }
}

void SplitDropStatements(const TConvertContext& Context, TParserWordList& Words) {
  for (TParserWord* drop : SearchStatementByFirstWord(Context, Words, {"DROP"})) {
    if (drop->Term->Kind != tkDefined) continue;
    TParserWordList& list = *drop->Owner;
    const int first = NextSignificant(Context, list, drop->IndexInOwner());
    if (first < 0) throw Error(kStrangeDrop);
    if (!drop->StartTextWord) continue;
    const std::string command = drop->StartTextWord->Text;
    const int end = FirstStatementKeyword(list, first);
    const int last = (end < 0 ? list.Count() : end) - 1;
    if (first >= last) continue;

    TParserWordList items(false);
    list.SplitByTerm(Context.ListDivTerm, first, items, false, false, last);
    for (int k = 1; k < items.Count(); ++k) {
      const int previousStart = items[k - 1]->Children->Words(0)->IndexInOwner();
      const int itemStart = items[k]->Children->Words(0)->IndexInOwner();
      const int sep = list.LastIndexOfType(previousStart, itemStart, Context.ListDivTerm->TypeName);
      if (sep < 0 || !list[sep]->StartTextWord) continue;
      TParserTextWord& separator = *list[sep]->StartTextWord;
      separator.Text = command;
      separator.LineBreaks = 1;
      separator.Spaces = drop->StartTextWord->Spaces;
      if (TParserTextWord* after = separator.NextWord()) after->Spaces = 1;
    }
  }
}

void ConvertExecStatements(const TConvertContext& Context, TParserWordList& Words) {
  for (TParserWord* exec : SearchStatement(Context, Words, {"EXEC", "EXECUTE", "EXEC ("})) {
    if (WordTextIs(*exec, "EXEC (")) {
      SetWordText(*exec, "execute (");
      continue;
    }
    TParserWordList& list = *exec->Owner;
    const int name = NameEnd(Context, list, exec->IndexInOwner() + 1);
    if (name < 0) continue;
    const int args = FirstSignificant(Context, list, name + 1);
    if (args < 0) continue;
    int end = FirstStatementKeyword(list, args);
    if (end < 0) end = list.Count() - 1;
    RemoveNationalPrefixes(Context, args, end, list);
  }
}

void ConvertInsertExec(const TConvertContext& Context, TParserWordList& Words) {
  for (TParserWord* insert : SearchStatementByFirstWord(Context, Words, {"INSERT"})) {
    if (insert->Term->Kind != tkDefined) continue;
    TParserWordList& list = *insert->Owner;
    const int target = NameEnd(Context, list, insert->IndexInOwner() + 1);
    for (int w = target < 0 ? -1 : FirstSignificant(Context, list, target + 1); w >= 0;
         w = NextSignificant(Context, list, w)) {
      TParserWord& word = *list[w];
      if (WordTextEquals(word, "VALUES (") || WordTextEquals(word, "SELECT")) break;
      if (WordTextEquals(word, "EXEC") || WordTextEquals(word, "EXECUTE")) {
        ConvertInsertedExec(Context, Words, list, w);
        break;
      }
      // The INSERT statement ends at the next statement, and a dynamic
      // EXEC (...) has no procedure to select from.
      if (IsStatementKeyword(word) || WordTextIs(word, "EXEC (")) break;
    }
  }
}

void RemoveIndexHints(const TConvertContext& Context, TParserWordList& Words) {
  for (TParserWord* hint : SearchStatement(Context, Words, {"( INDEX ="})) {
    if (!hint->StartTextWord) continue;
    TParserTextWord* last = hint->LastTextWord();
    if (TParserTextWord* after = last->NextWord(); after && after->LineBreaks == 0 && after->Spaces <= 0)
      after->Spaces = 1;
    // FROM t WITH (INDEX = ix): the WITH would be left without its hint.
    TParserWordList& list = *hint->Owner;
    const int before = PrevSignificant(Context, list, hint->IndexInOwner());
    if (before >= 0 && WordTextEquals(*list[before], "WITH")) DeleteStartWord(*list[before], false);
    DeleteWhole(*hint, false);
  }
}

void ConvertUpdateDeleteFrom(const TConvertContext& Context, TParserWordList& Words) {
  for (TParserWord* command : SearchStatementByFirstWord(Context, Words, {"UPDATE", "DELETE"})) {
    // Only the statements themselves: not the trigger function UPDATE (column)
    // nor UPDATE STATISTICS, which have no SET and no FROM clause.
    if (command->Term->StartWords.front() == "UPDATE" && !WordTextIs(*command, "UPDATE")) continue;
    TParserWordList& list = *command->Owner;
    const int index = command->IndexInOwner();
    // The events of a trigger: FOR INSERT, UPDATE, DELETE; AFTER and
    // INSTEAD OF name them as well.
    const int before = PrevSignificant(Context, list, index);
    if (before >= 0) {
      const TParserWord& word = *list[before];
      if (WordTextIs(word, "FOR") || WordTextEquals(word, "AFTER") || WordTextIs(word, "INSTEAD OF") ||
          word.Term == Context.ListDivTerm)
        continue;
    }

    const int target = NextSignificant(Context, list, index);
    if (target < 0) throw Error(kStrangeUpdateDelete);
    if (SkipObjectName(Context, target, list) != target) continue;  // not a simple one-word name
    TParserWord& targetWord = *list[target];

    int set = target;
    if (command->Term->StartWords.front() == "UPDATE") {
      set = FindInList(list, "SET", target);
      if (set < 0) throw Error(kStrangeUpdateDelete);
    }
    const int afterSet = NextSignificant(Context, list, set);
    if (afterSet < 0) continue;
    const int keyword = FirstStatementKeyword(list, afterSet);
    const int last = keyword < 0 ? list.Count() - 1 : PrevSignificant(Context, list, keyword);
    const int from = FindInList(list, "FROM", target, last);
    if (from < 0) continue;
    const int firstSource = NextSignificant(Context, list, from);
    if (firstSource < 0) throw Error(kStrangeUpdateDelete);
    const int alias = FindInList(list, WordText(targetWord), firstSource, last);
    if (alias < 0) throw Error(kStrangeUpdateDelete);
    int table = PrevSignificant(Context, list, alias);
    if (table < 0) throw Error(kStrangeUpdateDelete);
    const TParserWord* tableWord = list[table];
    if (tableWord->Term->Kind == tkDefined && !WordTextIs(*tableWord, "AS") &&
        !IsType(*tableWord, "OBJECT_NAME"))
      continue;  // the target stands in FROM as a table, not as an alias
    if (WordTextIs(*tableWord, "AS")) {
      table = PrevSignificant(Context, list, table);
      if (table < 0) throw Error(kStrangeUpdateDelete);
      tableWord = list[table];
    }
    const std::string name =
        IsType(*tableWord, "OBJECT_NAME") ? FirstChildText(*tableWord) : WordText(*tableWord);
    if (!targetWord.StartTextWord) continue;
    InsertTextBefore(Words, targetWord.StartTextWord, name, 1, 0);
  }
}

}  // namespace ambrix
