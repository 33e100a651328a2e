#include "rewriting/statement_rules.h"

#include <string>

#include "parser/parser_text_word_list.h"
#include "parser/parser_word_list.h"
#include "rewriting/name_rules.h"
#include "rewriting/rule_conventions.h"
#include "rewriting/word_span.h"
#include "text/error.h"
#include "text/string_helpers.h"
#include "text/utf8.h"

namespace ambrix {

namespace {

const char* const kStrangeDrop = "Странная команда удаления обьекта БД";

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

/// The index of the first word of the name that ends at `Last` (parts
/// joined by the name divider: dbo.t, db..t), not before `From`.
int NameStart(const TConvertContext& Context, TParserWordList& List, int Last, int From) {
  int first = Last;
  while (true) {
    const int div = PrevSignificant(Context, List, first);
    if (div < From || List[div]->Term != Context.ObjectDivTerm) return first;
    int part = PrevSignificant(Context, List, div);
    if (part >= From && List[part]->Term == Context.ObjectDivTerm) part = PrevSignificant(Context, List, part);
    if (part < From || (List[part]->Term->Kind == tkDefined && !IsType(*List[part], "OBJECT_NAME"))) return first;
    first = part;
  }
}

/// The name a word spells: the name inside [...] or "...", else its text.
std::string NameText(const TParserWord& Word) {
  return IsType(Word, "OBJECT_NAME") ? FirstChildText(Word) : WordText(Word);
}

/// True for the words after which the FROM clause names a table: FROM, a
/// join and the comma.
bool StartsTableName(const TConvertContext& Context, const TParserWord& Word) {
  return Word.Term == Context.ListDivTerm || WordTextIs(Word, "FROM") || Word.Text().ends_with("JOIN");
}

/// True when the words From..To of a FROM clause hold a bracket that is no
/// derived table (its own SELECT): joins in brackets, which may name aliases.
bool HasBracketedJoin(const TConvertContext& Context, TParserWordList& List, int From, int To) {
  for (int i = FindTerm(List, Context.BlockTerm, From); i >= 0 && i <= To; i = FindTerm(List, Context.BlockTerm, i + 1)) {
    TParserWordList* inner = List[i]->Children.get();
    const int first = inner == nullptr ? -1 : FirstSignificant(Context, *inner, 0);
    if (first < 0 || !WordTextIs(*(*inner)[first], "SELECT")) return true;
  }
  return false;
}

/// The index of a word From..To of a FROM clause that spells `Name` (case
/// ignored) as a table or an alias: a plain or delimited name that is neither
/// a qualifier before a divider nor a column after one, or the last part of
/// owner.table right after FROM, a join or a comma; -1 if there is none.
int FindNameInFrom(const TConvertContext& Context, TParserWordList& List, const std::string& Name, int From,
                   int To) {
  for (int i = From; i >= 0 && i <= To; i = NextSignificant(Context, List, i)) {
    const TParserWord& word = *List[i];
    if ((word.Term->Kind != tkText && !IsType(word, "OBJECT_NAME")) || !SameText(NameText(word), Name)) continue;
    const int next = NextSignificant(Context, List, i);
    if (next >= 0 && List[next]->Term == Context.ObjectDivTerm) continue;
    const int start = NameStart(Context, List, i, From);
    if (start == i) {
      const int prev = PrevSignificant(Context, List, i);
      if (prev < 0 || List[prev]->Term != Context.ObjectDivTerm) return i;
      continue;
    }
    const int before = PrevSignificant(Context, List, start);
    if (before < From || StartsTableName(Context, *List[before])) return i;
  }
  return -1;
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
  // RETURN (SELECT ...) keeps its brackets: a query in brackets is an
  // expression, a bare one is not.
  for (TParserWord* ret : SearchStatement(Context, Words, {"RETURN"})) {
    TParserWordList& list = *ret->Owner;
    const int n = NextSignificant(Context, list, ret->IndexInOwner());
    if (n < 0) continue;
    TParserWord& next = *list[n];
    if (!WordTextIs(next, "CASE") || !next.StartTextWord || !next.EndTextWord) continue;
    InsertTextBefore(Words, next.StartTextWord, "(", 1, 0);
    InsertTextAfter(Words, *next.EndTextWord, ")", 1, 0);
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
      // A sub-query stays, even one that selects a variable; a SELECT that
      // assigns variables (SELECT @n = ...) is a statement.
      const int second = NextSignificant(Context, inner, first);
      const int third = second < 0 ? -1 : NextSignificant(Context, inner, second);
      if (second < 0 || !WordText(*inner[second]).starts_with('@') || third < 0 || !WordTextIs(*inner[third], "="))
        continue;
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
  // INSERT [INTO] target [(columns)] EXEC p ...: the EXEC must follow the
  // target and its column list; anything else there (VALUES, SELECT, DEFAULT
  // VALUES) is another kind of INSERT, and an EXEC after it is a statement of
  // its own.
  for (TParserWord* insert : SearchStatementByFirstWord(Context, Words, {"INSERT"})) {
    if (insert->Term->Kind != tkDefined) continue;
    TParserWordList& list = *insert->Owner;
    int w = FirstSignificant(Context, list, insert->IndexInOwner() + 1);
    if (w >= 0 && WordTextIs(*list[w], "INTO")) w = NextSignificant(Context, list, w);
    const int target = w < 0 ? -1 : NameEnd(Context, list, w);
    w = target < 0 ? -1 : NextSignificant(Context, list, target);
    if (w >= 0 && list[w]->Term == Context.BlockTerm) w = NextSignificant(Context, list, w);
    if (w >= 0 && (WordTextEquals(*list[w], "EXEC") || WordTextEquals(*list[w], "EXECUTE")))
      ConvertInsertedExec(Context, Words, list, w);
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
    const bool update = command->Term->StartWords.front() == "UPDATE";
    if (update && !WordTextIs(*command, "UPDATE")) continue;
    if (command->Term->Kind != tkDefined || !command->StartTextWord) continue;
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
    int target = NextSignificant(Context, list, index);
    // DELETE /* ... */ FROM t: the FROM of a single DELETE word.
    if (!update && target >= 0 && WordTextIs(*list[target], "FROM")) target = NextSignificant(Context, list, target);
    if (target < 0 || IsStatementKeyword(*list[target])) continue;
    const int targetEnd = NameEnd(Context, list, target);
    // SET is a statement word of its own: the UPDATE's SET is the first one
    // after the target, and the statement runs on to the next one after it.
    int set = targetEnd;
    if (update) {
      set = FirstStatementKeyword(list, targetEnd + 1);
      if (set >= 0 && !WordTextIs(*list[set], "SET")) set = -1;
    }
    const int keyword = FirstStatementKeyword(list, (set < 0 ? targetEnd : set) + 1);
    const int last = keyword < 0 ? list.Count() - 1 : PrevSignificant(Context, list, keyword);
    auto leave = [&]() {
      // The statement stays as written; the user checks how the target
      // joins the updated table.
      MarkAlarm(Words, command->StartTextWord, "UpdateDeleteFrom",
                PrintedText(Words, *command->StartTextWord, *LastTextWordIn(list, index, last)));
    };

    const int from = set < 0 ? FindInList(list, "FROM", targetEnd + 1, last) : FindInList(list, "FROM", set + 1, last);
    if (from < 0) continue;  // no FROM clause: nothing to map
    const int firstSource = NextSignificant(Context, list, from);
    if (set < 0 || firstSource < 0 || firstSource > last) {
      leave();
      continue;
    }
    // The FROM clause ends at its WHERE.
    const int where = FindInList(list, "WHERE", firstSource, last);
    const int sourcesEnd = where < 0 ? last : PrevSignificant(Context, list, where);

    const bool simple = targetEnd == target && !IsType(*list[target], "OBJECT_NAME");
    const int found = FindNameInFrom(Context, list, NameText(*list[targetEnd]), firstSource, sourcesEnd);
    if (found < 0) {
      // The target is joined by the WHERE clause alone, as the source server
      // allows: the target reads the updated table only when the FROM clause
      // names it the same way, so it goes first there. A one-word target may
      // be an alias inside a bracket of joins in the FROM clause: that stays.
      TParserTextWord* source = FirstTextWordIn(list, firstSource, sourcesEnd);
      TParserTextWord* first = FirstTextWordIn(list, target, targetEnd);
      TParserTextWord* last = LastTextWordIn(list, target, targetEnd);
      if (!source || !first || !last || (simple && HasBracketedJoin(Context, list, firstSource, sourcesEnd))) {
        leave();
        continue;
      }
      InsertTextBefore(Words, source, PrintedText(Words, *first, *last) + ",", source->Spaces, source->LineBreaks);
      source->Spaces = 1;
      source->LineBreaks = 0;
      continue;
    }
    int table = PrevSignificant(Context, list, NameStart(Context, list, found, firstSource));
    if (table >= firstSource && WordTextIs(*list[table], "AS")) table = PrevSignificant(Context, list, table);
    if (!simple || table < firstSource || StartsTableName(Context, *list[table])) {
      // The target is a table of the FROM clause: when it has an alias there,
      // the target takes the alias too, or the target would be another
      // instance of the table.
      int alias = NextSignificant(Context, list, found);
      if (alias >= 0 && alias <= sourcesEnd && WordTextIs(*list[alias], "AS")) alias = NextSignificant(Context, list, alias);
      if (alias < 0 || alias > sourcesEnd || list[alias]->Term->Kind != tkText) continue;
      TParserTextWord* last = LastTextWordIn(list, target, targetEnd);
      TParserTextWord* aliasWord = list[alias]->StartTextWord;
      if (last && aliasWord) InsertTextAfter(Words, *last, aliasWord->Text, 1, 0);
      continue;
    }
    const TParserWord& tableWord = *list[table];
    if (tableWord.Term->Kind != tkText && !IsType(tableWord, "OBJECT_NAME")) {
      leave();  // a derived table, or no name before the alias: nothing to update by name
      continue;
    }
    // The alias's table by its current text (a table variable is a
    // temporary table by now), owner and all.
    const int tableStart = NameStart(Context, list, table, firstSource);
    TParserTextWord* first = FirstTextWordIn(list, tableStart, table);
    TParserTextWord* lastWord = LastTextWordIn(list, tableStart, table);
    TParserTextWord* targetWord = list[target]->StartTextWord;
    if (!first || !lastWord || !targetWord) continue;
    InsertTextBefore(Words, targetWord, PrintedText(Words, *first, *lastWord), 1, 0);
  }
}

}  // namespace ambrix
