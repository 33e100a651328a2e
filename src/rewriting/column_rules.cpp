#include "rewriting/column_rules.h"

#include <string_view>
#include <vector>

#include "parser/parser_text_word_list.h"
#include "parser/parser_word_list.h"
#include "rewriting/column_types.h"
#include "rewriting/computed_columns.h"
#include "rewriting/ddl_clauses.h"
#include "rewriting/default_values.h"
#include "rewriting/ddl_words.h"
#include "rewriting/rule_conventions.h"
#include "rewriting/word_span.h"
#include "text/utf8.h"

namespace ambrix {

namespace {

// --- Words ----------------------------------------------------------------

// The words that open a part of a column definition; all are keywords of
// the source.
bool IsClauseStart(const TParserWord& Word) {
  return Word.Term->Kind == tkDefined &&
         IsAnyWord(Word, {"NULL", "NOT", "CONSTRAINT", "DEFAULT", "IDENTITY", "IDENTITY (", "PRIMARY KEY", "UNIQUE",
                          "REFERENCES", "FOREIGN KEY", "CHECK", "CHECK (", "COLLATE", "ROWGUIDCOL"});
}

bool IsConstraintStart(const TParserWord& Word) {
  return Word.Term->Kind == tkDefined &&
         IsAnyWord(Word, {"PRIMARY KEY", "UNIQUE", "REFERENCES", "FOREIGN KEY", "CHECK", "CHECK ("});
}

bool IsTableConstraintStart(const TParserWord& Word) {
  return Word.Term->Kind == tkDefined &&
         IsAnyWord(Word, {"CONSTRAINT", "PRIMARY KEY", "UNIQUE", "FOREIGN KEY", "CHECK", "CHECK ("});
}

// A `--` comment ends its line: the word after it goes onto the next line
// wherever moving or inserting put it after one.
void SealLineComments(const TConvertContext& Context, TParserWordList& List) {
  for (TParserWord* word : List) {
    if (!IsComment(Context, *word) || word->Term->StartWords.front() != "--") continue;
    TParserTextWord* last = LastTextWordOf(*word);
    TParserTextWord* next = last ? last->NextWord() : nullptr;
    if (next != nullptr && next->LineBreaks == 0) next->LineBreaks = 1;
  }
}

// --- Clauses of a column definition ----------------------------------------

enum class TClauseKind { Nullness, Default, Identity, Constraint, Collate, RowGuid, Other };

struct TClause {
  TClauseKind Kind;
  int First;       // the first word (CONSTRAINT of a named constraint)
  int Last;        // the last word
  int Keyword;     // DEFAULT, IDENTITY, PRIMARY KEY, ...
  int Name = -1;   // CONSTRAINT's index when the clause is named
};

// The clauses after the column's type, in source order.
std::vector<TClause> ScanClauses(const TConvertContext& Context, TParserWordList& Item, int From) {
  std::vector<TClause> clauses;
  int pendingName = -1;  // CONSTRAINT name waiting for its clause
  int open = -1;         // the clause that takes words no clause starts with
  for (int i = From; i >= 0; i = Next(Context, Item, i)) {
    TParserWord& word = *Item[i];
    const int next = Next(Context, Item, i);
    if (IsWord(word, "NULL")) {
      clauses.push_back({TClauseKind::Nullness, i, i, i});
      open = -1;
    } else if (IsWord(word, "NOT") && next >= 0 && IsWord(*Item[next], "NULL")) {
      clauses.push_back({TClauseKind::Nullness, i, next, i});
      open = -1;
      i = next;
    } else if (IsWord(word, "CONSTRAINT")) {
      pendingName = i;
      open = -1;
      if (next >= 0) i = next;
    } else if (IsWord(word, "DEFAULT")) {
      TClause clause{TClauseKind::Default, pendingName >= 0 ? pendingName : i, i, i, pendingName};
      pendingName = -1;
      // The value: the word after DEFAULT (NULL too), and what follows up to
      // the next clause.
      for (int v = next; v >= 0 && (v == next || !IsClauseStart(*Item[v])); v = Next(Context, Item, v))
        clause.Last = v;
      clauses.push_back(clause);
      open = -1;
      i = clause.Last;
    } else if (IsWord(word, "IDENTITY") || IsWord(word, "IDENTITY (")) {
      TClause clause{TClauseKind::Identity, i, i, i};
      if (IsWord(word, "IDENTITY") && next >= 0 && IsBlock(Context, *Item[next])) clause.Last = next;
      clauses.push_back(clause);
      open = -1;
      i = clause.Last;
    } else if (IsConstraintStart(word)) {
      clauses.push_back({TClauseKind::Constraint, pendingName >= 0 ? pendingName : i, i, i, pendingName});
      pendingName = -1;
      open = static_cast<int>(clauses.size()) - 1;
    } else if (IsWord(word, "COLLATE")) {
      clauses.push_back({TClauseKind::Collate, i, next >= 0 ? next : i, i});
      open = -1;
      i = clauses.back().Last;
    } else if (IsWord(word, "ROWGUIDCOL")) {
      clauses.push_back({TClauseKind::RowGuid, i, i, i});
      open = -1;
    } else if (open >= 0) {
      clauses[static_cast<std::size_t>(open)].Last = i;
    } else {
      clauses.push_back({TClauseKind::Other, i, i, i});
      open = static_cast<int>(clauses.size()) - 1;
    }
  }
  return clauses;
}

// IDENTITY [(seed, step)]: the target's AUTOINCREMENT always starts at 1 and
// steps by 1, so any other seed or step is reported.
void ConvertIdentity(const TConvertContext& Context, TParserWordList& Words, TParserWordList& Item,
                     const TClause& Clause) {
  TParserWord& identity = *Item[Clause.Keyword];
  TParserWord* arguments = nullptr;
  if (identity.Children) arguments = &identity;
  else if (Clause.Last != Clause.Keyword) arguments = Item[Clause.Last];

  if (arguments && arguments->Children) {
    std::vector<std::string> values;
    TParserWordList& list = *arguments->Children;
    std::string value;
    for (int i = FirstSignificant(Context, list, 0); i >= 0; i = NextSignificant(Context, list, i)) {
      if (list[i]->Term == Context.ListDivTerm) {
        values.push_back(value);
        value.clear();
      } else {
        value += WordText(*list[i]);
      }
    }
    if (!value.empty() || !values.empty()) values.push_back(value);
    bool ones = true;
    for (const std::string& v : values) ones = ones && v == "1";
    if (!ones) {
      std::string written = "IDENTITY (";
      for (std::size_t i = 0; i < values.size(); ++i) written += (i ? ", " : "") + values[i];
      MarkAlarm(Words, FirstTextWordOf(identity), "IdentitySeed", written + ")");
    }
    if (arguments == &identity) {
      if (identity.StartTextWord && identity.EndTextWord && identity.StartTextWord != identity.EndTextWord)
        DeleteTextRange(*identity.StartTextWord->NextWord(), *identity.EndTextWord, false);
    } else {
      DeleteWhole(*arguments, false);
    }
  }
  SetWordText(identity, "default autoincrement");
}

// COLLATE name: the target sorts by the database's collation. A case
// sensitive or binary one changes comparisons and is reported.
void RemoveCollation(TParserWordList& Words, TParserWordList& Item, const TClause& Clause) {
  const std::string name = UpperCase(NameText(*Item[Clause.Last]));
  if (Clause.Last != Clause.Keyword &&
      (name.find("_CS") != std::string::npos || name.find("_BIN") != std::string::npos))
    MarkAlarm(Words, FirstTextWordOf(*Item[Clause.Keyword]), "Collation",
              "COLLATE " + NameText(*Item[Clause.Last]));
  TParserTextWord* first = FirstTextWordIn(Item, Clause.First, Clause.Last);
  TParserTextWord* last = LastTextWordIn(Item, Clause.First, Clause.Last);
  if (first == nullptr || last == nullptr) return;
  // What follows takes the spacing of the name.
  TParserTextWord* nameText = FirstTextWordOf(*Item[Clause.Last]);
  TParserTextWord* after = last->NextWord();
  const int lineBreaks = nameText ? nameText->LineBreaks : 0;
  const int spaces = nameText ? nameText->Spaces : 0;
  DeleteTextRange(*first, *last, false);
  if (after != nullptr && Clause.Last != Clause.Keyword) {
    after->LineBreaks = lineBreaks;
    after->Spaces = spaces;
  }
}

// CONSTRAINT name before DEFAULT goes: the target names no defaults. DEFAULT
// takes the place of CONSTRAINT.
void RemoveDefaultName(TParserWordList& Item, TClause& Clause) {
  if (Clause.Name < 0) return;
  TParserTextWord* first = FirstTextWordIn(Item, Clause.Name, Clause.Keyword - 1);
  TParserTextWord* last = LastTextWordIn(Item, Clause.Name, Clause.Keyword - 1);
  TParserTextWord* keyword = Item[Clause.Keyword]->StartTextWord;
  if (first == nullptr || last == nullptr || keyword == nullptr) return;
  const int lineBreaks = first->LineBreaks;
  const int spaces = first->Spaces;
  DeleteTextRange(*first, *last, false);
  keyword->LineBreaks = lineBreaks;
  keyword->Spaces = spaces;
  Clause.First = Clause.Keyword;
}

// Moves the clauses into the target's order after `Anchor` (the type's last
// text word): nullability, default, then the constraints as they stood.
void OrderClauses(TParserWordList& Words, TParserWordList& Item, const std::vector<TClause>& Clauses,
                  TParserTextWord* Anchor) {
  std::vector<const TClause*> order;
  for (const TClause& clause : Clauses)
    if (clause.Kind == TClauseKind::Nullness) order.push_back(&clause);
  for (const TClause& clause : Clauses)
    if (clause.Kind == TClauseKind::Default || clause.Kind == TClauseKind::Identity) order.push_back(&clause);
  for (const TClause& clause : Clauses)
    if (clause.Kind == TClauseKind::Constraint || clause.Kind == TClauseKind::Other) order.push_back(&clause);
  TParserTextWordList& text = *Words.RootTextList();
  for (const TClause* clause : order) {
    TParserTextWord* first = FirstTextWordIn(Item, clause->First, clause->Last);
    TParserTextWord* last = LastTextWordIn(Item, clause->First, clause->Last);
    if (first == nullptr || last == nullptr) continue;
    TParserTextWord* next = Anchor->NextWord();
    if (next != first) text.MoveRangeBefore(next ? next : text.Tail, first, last);
    Anchor = last;
  }
}

}  // namespace

std::string ColumnKey(const TParserWord& Name) { return UpperCase(NameText(Name)); }

bool IsComputedColumn(const TConvertContext& Context, TParserWordList& Item) {
  const int name = FirstSignificant(Context, Item, 0);
  const int as = Next(Context, Item, name);
  return as >= 0 && WordTextIs(*Item[as], "AS");
}

// --- Table constraints ------------------------------------------------------

void ConvertTableConstraint(const TConvertContext& Context, TParserWordList& Words, TParserWordList& Item) {
  RemoveStorageClauses(Context, Words, Item);
  for (int i = FirstSignificant(Context, Item, 0); i >= 0; i = Next(Context, Item, i)) {
    TParserWord& word = *Item[i];
    if (!IsAnyWord(word, {"PRIMARY KEY", "UNIQUE", "FOREIGN KEY"})) continue;
    int columns = Next(Context, Item, i);
    // UNIQUE CLUSTERED: the target clusters keys and indexes, no unique constraints.
    if (columns >= 0 && IsAnyWord(*Item[columns], {"CLUSTERED", "NONCLUSTERED"})) {
      if (IsWord(word, "UNIQUE")) DeleteStartWord(*Item[columns], false);
      columns = Next(Context, Item, columns);
    }
    if (columns >= 0 && IsBlock(Context, *Item[columns])) RemoveKeyColumnOrder(Context, *Item[columns]->Children);
  }
}


void CollectKeyColumns(const TConvertContext& Context, TParserWordList& Item, TColumnBlock& Block) {
  int first = FirstSignificant(Context, Item, 0);
  if (first < 0) return;
  if (IsTableConstraintStart(*Item[first])) {
    const int key = FindWord(Item, "PRIMARY KEY");
    const int columns = key >= 0 ? FindTerm(Item, Context.BlockTerm, key) : -1;
    if (columns < 0 || !Item[columns]->Children) return;
    TParserWordList& list = *Item[columns]->Children;
    for (int i = FirstSignificant(Context, list, 0); i >= 0; i = NextSignificant(Context, list, i))
      if (list[i]->Term != Context.ListDivTerm && !IsAnyWord(*list[i], {"ASC", "DESC"}))
        Block.KeyColumns.insert(ColumnKey(*list[i]));
  } else if (FindWord(Item, "PRIMARY KEY") >= 0) {
    Block.KeyColumns.insert(ColumnKey(*Item[first]));
  }
}

TItemResult ConvertColumnItem(const TConvertContext& Context, TParserWordList& Words, TParserWordList& Item,
                              TColumnBlock& Block) {
  const int name = FirstSignificant(Context, Item, 0);
  if (name < 0) return TItemResult::Converted;
  if (IsTableConstraintStart(*Item[name])) {
    ConvertTableConstraint(Context, Words, Item);
    return TItemResult::Converted;
  }
  const int type = Next(Context, Item, name);
  if (type < 0) return TItemResult::Converted;
  if (WordTextIs(*Item[type], "AS")) return ConvertComputedColumn(Context, Words, Item, Block);

  // The type: a bracketed type loses its brackets; two-word types; arguments.
  const std::string typeName = NameText(*Item[type]);
  if (IsType(*Item[type], "OBJECT_NAME")) DeleteDelimiters(*Item[type], true);
  int typeEnd = type;
  int arguments = -1;
  for (int next = Next(Context, Item, typeEnd); next >= 0 && !IsClauseStart(*Item[next]);
       next = Next(Context, Item, typeEnd)) {
    if (IsBlock(Context, *Item[next])) {
      if (arguments >= 0) break;
      arguments = next;
    }
    typeEnd = next;
  }
  std::vector<TClause> clauses = ScanClauses(Context, Item, Next(Context, Item, typeEnd));

  RemoveStorageClauses(Context, Words, Item, typeEnd + 1);
  bool identity = false;
  bool hasDefault = false;
  bool hasNullness = false;
  const std::string column = Block.KeyColumns.empty() && !Block.WantsTypes ? std::string() : ColumnKey(*Item[name]);
  bool key = !Block.KeyColumns.empty() && Block.KeyColumns.count(column) != 0;
  for (TClause& clause : clauses) {
    switch (clause.Kind) {
      case TClauseKind::Nullness:
        hasNullness = true;
        break;
      case TClauseKind::Default:
        hasDefault = true;
        RemoveDefaultName(Item, clause);
        ConvertDefaultValue(Context, Item, clause.Keyword + 1, clause.Last);
        break;
      case TClauseKind::Identity:
        identity = true;
        ConvertIdentity(Context, Words, Item, clause);
        break;
      case TClauseKind::Constraint: {
        TParserWord& keyword = *Item[clause.Keyword];
        key = key || IsWord(keyword, "PRIMARY KEY");
        const int clustered = Next(Context, Item, clause.Keyword);
        if (IsWord(keyword, "UNIQUE") && clustered >= 0 && clustered <= clause.Last &&
            IsWord(*Item[clustered], "CLUSTERED"))
          DeleteStartWord(*Item[clustered], false);
        break;
      }
      case TClauseKind::Collate:
        RemoveCollation(Words, Item, clause);
        break;
      case TClauseKind::RowGuid:
        DeleteStartWord(*Item[clause.Keyword], true);
        break;
      case TClauseKind::Other:
        break;
    }
  }

  // The type as the target names it, with the arguments SQL Server implies.
  const TColumnType* known = FindColumnType(typeName);
  TParserTextWord* typeFirst = FirstTextWordIn(Item, type, typeEnd);
  TParserTextWord* typeLast = LastTextWordIn(Item, type, typeEnd);
  if (typeFirst == nullptr || typeLast == nullptr) return TItemResult::Converted;
  if (known != nullptr) {
    if (!known->Alarm.empty()) MarkAlarm(Words, typeFirst, std::string(known->Alarm), typeName);
    if (!known->Target.empty()) typeFirst->Text = std::string(known->Target);
    if (arguments < 0 && !known->MissingArgs.empty()) {
      typeLast = &InsertTextAfter(Words, *typeLast, std::string(known->MissingArgs), 0, 0);
    } else if (arguments >= 0 && !known->MissingScale.empty() && Item[arguments]->EndTextWord != nullptr &&
               FindTerm(*Item[arguments]->Children, Context.ListDivTerm) < 0) {
      InsertTextBefore(Words, Item[arguments]->EndTextWord, std::string(known->MissingScale), 0, 0);
    }
  }
  if (Block.WantsTypes) Block.ColumnTypes[column] = PrintedOnOneLine(typeFirst, typeLast);

  OrderClauses(Words, Item, clauses, typeLast);

  // Every column says whether it takes NULL: the target's default depends on
  // the connection. A key or identity column is NOT NULL in SQL Server; a
  // column of a user type takes what its type says.
  TParserTextWord* anchor = typeLast;
  if (hasNullness) {
    for (const TClause& clause : clauses)
      if (clause.Kind == TClauseKind::Nullness) anchor = LastTextWordIn(Item, clause.First, clause.Last);
  } else if (identity || key) {
    anchor = &InsertTextAfter(Words, *typeLast, "not null", 1, 0);
  } else if (known != nullptr) {
    anchor = &InsertTextAfter(Words, *typeLast, known->Nullness.empty() ? "null" : std::string(known->Nullness), 1, 0);
  }
  if (known != nullptr && !known->Default.empty() && !hasDefault && !identity && anchor != nullptr)
    InsertTextAfter(Words, *anchor, "default " + std::string(known->Default), 1, 0);

  SealLineComments(Context, Item);
  return TItemResult::Converted;
}

}  // namespace ambrix
