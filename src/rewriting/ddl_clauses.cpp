#include "rewriting/ddl_clauses.h"

#include <string_view>

#include "parser/parser_text_word_list.h"
#include "parser/parser_word_list.h"
#include "rewriting/ddl_words.h"
#include "rewriting/rule_conventions.h"
#include "rewriting/word_span.h"

namespace ambrix {

namespace {

// The index options SQL Server takes after WITH. None has a place in SQL
// Anywhere 9; the one that changes what an insert does is reported.
struct TIndexOption {
  std::string_view Name;
  std::string_view Alarm;  // empty: goes without a word
};

constexpr TIndexOption kIndexOptions[] = {
    {"FILLFACTOR", ""},        {"PAD_INDEX", ""},        {"IGNORE_DUP_KEY", "IgnoreDupKey"},
    {"STATISTICS_NORECOMPUTE", ""}, {"SORT_IN_TEMPDB", ""}, {"DROP_EXISTING", ""},
    {"ALLOW_ROW_LOCKS", ""},   {"ALLOW_PAGE_LOCKS", ""},
};

const TIndexOption* IndexOption(const TParserWord& Word) {
  for (const TIndexOption& option : kIndexOptions)
    if (IsWord(Word, option.Name)) return &option;
  return nullptr;
}

bool Is(TParserWordList& List, int Index, std::string_view Text) {
  return Index >= 0 && IsWord(*List[Index], Text);
}

// A filegroup's name: [PRIMARY], "fg", PRIMARY, DEFAULT or a plain name.
bool IsFilegroupName(const TParserWord& Word) {
  return IsType(Word, "OBJECT_NAME") || Word.Term->Kind == tkText || IsWord(Word, "PRIMARY") ||
         IsWord(Word, "DEFAULT");
}

// The words From..To go; comments among them stay.
void DeleteWords(const TConvertContext& Context, TParserWordList& List, int From, int To) {
  for (int i = From; i <= To; ++i)
    if (!IsComment(Context, *List[i])) DeleteWhole(*List[i], false);
}

// Reports the options of `List` (a WITH list or the children of its bracket
// block) that change behaviour, at their own words.
void MarkOptionAlarms(TParserWordList& Words, TParserWordList& List, int From, int To) {
  for (int i = From; i <= To; ++i) {
    const TIndexOption* option = IndexOption(*List[i]);
    if (option != nullptr && !option->Alarm.empty()) MarkAlarm(Words, *List[i], std::string(option->Alarm));
  }
}

// The last word of WITH's options starting at `With`; -1 when what follows
// WITH is no index option.
int EndOfIndexOptions(const TConvertContext& Context, TParserWordList& List, int With, int To) {
  int option = NextSignificant(Context, List, With);
  if (option < 0 || option > To) return -1;
  if (List[option]->Term == Context.BlockTerm) {
    TParserWordList* inside = List[option]->Children.get();
    const int first = inside ? FirstSignificant(Context, *inside, 0) : -1;
    return first >= 0 && IndexOption(*inside->Words(first)) ? option : -1;
  }
  int end = -1;
  while (option >= 0 && option <= To && IndexOption(*List[option])) {
    end = option;
    // option = value
    const int equals = NextSignificant(Context, List, option);
    if (Is(List, equals, "=")) {
      const int value = NextSignificant(Context, List, equals);
      if (value < 0 || value > To) break;
      end = value;
    }
    // , next option
    const int comma = NextSignificant(Context, List, end);
    if (comma < 0 || comma > To || List[comma]->Term != Context.ListDivTerm) break;
    option = NextSignificant(Context, List, comma);
  }
  return end;
}

}  // namespace

void RemoveStorageClauses(const TConvertContext& Context, TParserWordList& Words, TParserWordList& List, int From,
                          int To) {
  if (To < 0 || To >= List.Count()) To = List.Count() - 1;
  for (int i = FirstSignificant(Context, List, From); i >= 0 && i <= To;) {
    TParserWord& word = *List[i];
    int last = -1;  // the last word of a clause that goes
    if (IsWord(word, "NONCLUSTERED")) {
      last = i;
    } else if (IsWord(word, "NOT")) {
      const int forWord = NextSignificant(Context, List, i);
      const int replication = Is(List, forWord, "FOR") ? NextSignificant(Context, List, forWord) : -1;
      if (Is(List, replication, "REPLICATION") && replication <= To) last = replication;
    } else if (IsWord(word, "TEXTIMAGE_ON")) {
      const int name = NextSignificant(Context, List, i);
      if (name >= 0 && name <= To && IsFilegroupName(*List[name])) last = name;
    } else if (IsWord(word, "ON")) {
      const int next = NextSignificant(Context, List, i);
      if (next >= 0 && next <= To) {
        if (Is(List, next, "DELETE") || Is(List, next, "UPDATE")) {
          // ON DELETE NO ACTION: the target's default (it restricts).
          const int no = NextSignificant(Context, List, next);
          const int action = Is(List, no, "NO") ? NextSignificant(Context, List, no) : -1;
          if (Is(List, action, "ACTION") && action <= To) last = action;
        } else if (IsFilegroupName(*List[next])) {
          last = next;
        }
      }
    } else if (IsWord(word, "WITH")) {
      last = EndOfIndexOptions(Context, List, i, To);
      if (last >= 0) {
        if (List[last]->Term == Context.BlockTerm && List[last]->Children)
          MarkOptionAlarms(Words, *List[last]->Children, 0, List[last]->Children->Count() - 1);
        else
          MarkOptionAlarms(Words, List, i + 1, last);
      }
    }
    if (last < 0) {
      i = NextSignificant(Context, List, i);
      continue;
    }
    DeleteWords(Context, List, i, last);
    i = NextSignificant(Context, List, last);
  }
}

void RemoveKeyColumnOrder(const TConvertContext& Context, TParserWordList& Columns) {
  for (int i = FirstSignificant(Context, Columns, 0); i >= 0; i = NextSignificant(Context, Columns, i))
    if (IsWord(*Columns[i], "ASC") || IsWord(*Columns[i], "DESC")) DeleteStartWord(*Columns[i], false);
}

}  // namespace ambrix
