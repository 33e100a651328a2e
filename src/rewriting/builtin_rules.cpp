#include "rewriting/builtin_rules.h"

#include <array>
#include <string>
#include <string_view>
#include <utility>

#include "conversion/alarm_object.h"
#include "parser/parser_text_word_list.h"
#include "parser/parser_word_list.h"
#include "rewriting/rule_conventions.h"
#include "rewriting/word_span.h"
#include "text/error.h"
#include "text/string_helpers.h"
#include "text/utf8.h"

namespace ambrix {

namespace {

/// The source date parts that Watcom-SQL spells differently.
constexpr std::array<std::pair<std::string_view, std::string_view>, 8> kDateParts{{
    {"yyyy", "yy"}, {"q", "qq"}, {"m", "mm"}, {"y", "dy"},
    {"d", "dd"}, {"ww", "wk"}, {"n", "mi"}, {"s", "ss"},
}};

/// The arguments of a call cut at the list separator; an empty argument (two
/// separators in a row) gives no item.
void SplitArguments(const TConvertContext& Context, const TParserWord& Call, TParserWordList& Items) {
  if (Call.Children && !Call.Children->Empty())
    Call.Children->SplitByTerm(Context.ListDivTerm, true, Items, false);
}

const TParserWordList& ItemWords(const TParserWordList& Items, int Index) {
  return *Items.Words(Index)->Children;
}

/// A numeric literal whose value is zero (0, 00, 0.0): ROUND's third argument
/// that asks for rounding, not truncation.
bool IsZeroLiteral(const TParserWord& Word) {
  if (Word.Term->Kind != tkText) return false;
  const std::string& text = WordText(Word);
  bool digit = false;
  int points = 0;
  for (const char c : text) {
    if (c == '0') {
      digit = true;
    } else if (c == '.') {
      ++points;
    } else {
      return false;
    }
  }
  return digit && points <= 1;
}

/// The text of an argument printed as it stands now, its lines joined and the
/// blanks around it removed.
std::string PrintedText(TParserWordList& Words, const TParserWordList& ItemList) {
  TParserTextWord* first = FirstTextWordIn(ItemList, 0, ItemList.Count() - 1);
  TParserTextWord* last = LastTextWordIn(ItemList, 0, ItemList.Count() - 1);
  if (!first || !last) return {};
  std::vector<std::string> lines;
  Words.RootTextList()->Print(first, last, lines);
  std::string joined;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) joined += '\n';
    joined += lines[i];
  }
  return std::string(Trim(joined));
}

void ConvertCharIndex(const TConvertContext& Context, TParserWordList& Words, TParserWord& Call) {
  TParserWordList items(false);
  SplitArguments(Context, Call, items);
  if (items.Count() < 2 || items.Count() > 3) throw Error("Странная функция CHARINDEX");
  if (items.Count() == 2) return;
  // CHARINDEX(a, b, start) = (CHARINDEX(a, Substring(b, start)) - 1 + start)
  TParserTextWord* name = Call.StartTextWord;
  TParserTextWord* close = Call.EndTextWord;
  const TParserWordList& searched = ItemWords(items, 1);
  TParserTextWord* searchedStart = FirstTextWordIn(searched, 0, searched.Count() - 1);
  if (!name || !close || !searchedStart) return;
  const std::string start = PrintedText(Words, ItemWords(items, 2));
  InsertTextBefore(Words, searchedStart, "Substring (", 1, 0);
  InsertTextBefore(Words, name, "(", name->Spaces, name->LineBreaks, true);
  name->Spaces = 1;
  InsertTextAfter(Words, *close, ") - 1 + " + start + ")", 1, 0);
}

void ConvertRound(const TConvertContext& Context, TParserWord& Call) {
  TParserWordList items(false);
  SplitArguments(Context, Call, items);
  if (items.Count() < 2 || items.Count() > 3) throw Error("Странная функция ROUND");
  if (items.Count() == 2) return;
  // ROUND(x, n, f) truncates unless f is zero: Truncnum (x, n) / ROUND(x, n).
  const TParserWordList& length = ItemWords(items, 1);
  TParserTextWord* lengthEnd = LastTextWordIn(length, 0, length.Count() - 1);
  TParserTextWord* close = Call.EndTextWord;
  if (!lengthEnd || !close || lengthEnd->NextWord() == close) return;
  if (!IsZeroLiteral(*ItemWords(items, 2).Words(0))) Call.StartTextWord->Text = "Truncnum (";
  DeleteTextRange(*lengthEnd->NextWord(), *close->PrevWord(), false);
}

void ConvertDatePart(const TConvertContext& Context, TParserWord& Call) {
  if (!Call.Children) return;
  const int first = FirstSignificant(Context, *Call.Children, 0);
  if (first < 0) return;
  TParserWord& part = *Call.Children->Words(first);
  for (const auto& [source, target] : kDateParts) {
    if (SameText(WordText(part), source)) {
      SetWordText(part, std::string(target));
      return;
    }
  }
}

void ConvertRaiseError(const TConvertContext& Context, TParserWord& Call) {
  if (!Call.EndTextWord) return;
  Call.StartTextWord->Text = "RAISERROR 20000,";
  Call.EndTextWord->Text = " ";
  // Only the first word of the first argument stays: the message.
  if (!Call.Children) return;
  const TParserWordList& args = *Call.Children;
  const int message = FirstSignificant(Context, *Call.Children, 0);
  if (message < 0 || message == args.Count() - 1) return;
  TParserTextWord* first = FirstTextWordIn(args, message + 1, args.Count() - 1);
  TParserTextWord* last = LastTextWordIn(args, message + 1, args.Count() - 1);
  if (first && last) DeleteTextRange(*first, *last, false);
}

}  // namespace

void ConvertBuiltinFunctions(const TConvertContext& Context, TParserWordList& Words) {
  const auto calls = SearchStatement(
      Context, Words,
      {"COUNT (", "COUNT_BIG (", "SUM (", "AVG (", "ROUND (", "DATEPART (", "IDENTITY (", "IDENT_CURRENT (",
       "SCOPE_IDENTITY (", "CHARINDEX (", "LEN (", "RAISERROR (", "CURRENT_USER", "SESSION_USER",
       "SYSTEM_USER"});
  for (TParserWord* call : calls) {
    // A call inside an argument that an outer call dropped is gone already.
    if (!call->StartTextWord) continue;
    TParserTextWord& start = *call->StartTextWord;
    const std::string& name = call->Term->StartWords.front();

    if (name == "COUNT_BIG") start.Text = "Count (";
    if (SameText(name, "COUNT") || SameText(name, "COUNT_BIG") || SameText(name, "SUM") ||
        SameText(name, "AVG")) {
      if (!call->Children) continue;
      const int first = FirstSignificant(Context, *call->Children, 0);
      if (first >= 0 && WordTextIs(*call->Children->Words(first), "ALL"))
        DeleteStartWord(*call->Children->Words(first), true);
    } else if (SameText(name, "IDENT_CURRENT") || SameText(name, "SCOPE_IDENTITY")) {
      // IDENT_CURRENT names a table; @@IDENTITY knows the connection's last insert only.
      if (SameText(name, "IDENT_CURRENT")) MarkAlarm(Words, &start, "IdentCurrent", "IDENT_CURRENT");
      start.Text = "@@IDENTITY";
      if (call->EndTextWord) DeleteTextRange(*start.NextWord(), *call->EndTextWord, false);
    } else if (name == "IDENTITY" && UpperCase(start.Text) == "IDENTITY (") {
      // IDENTITY (type, seed, step) of SELECT ... INTO; a column's identity
      // that the table rules already rewrote reads "identity" and stays.
      start.Text = "Number (";
      if (call->Children && !call->Children->Empty()) {
        const TParserWordList& args = *call->Children;
        TParserTextWord* first = FirstTextWordIn(args, 0, args.Count() - 1);
        TParserTextWord* last = LastTextWordIn(args, 0, args.Count() - 1);
        if (first && last) DeleteTextRange(*first, *last, false);
      }
    } else if (name == "CHARINDEX") {
      ConvertCharIndex(Context, Words, *call);
    } else if (name == "ROUND") {
      ConvertRound(Context, *call);
    } else if (name == "DATEPART") {
      ConvertDatePart(Context, *call);
    } else if (name == "LEN") {
      start.Text = "Length (";
    } else if (name == "RAISERROR") {
      ConvertRaiseError(Context, *call);
    } else if (SameText(name, "CURRENT_USER") || SameText(name, "SESSION_USER") ||
               SameText(name, "SYSTEM_USER")) {
      start.Text = "user";
    }
  }
}

namespace {

void RaiseAlarm(const std::string& VarName, const TParserWord& word, TAlarmList& Alarms) {
  TTextPoint pos;  // line 0, column 0: a rule deleted the word
  if (word.StartTextWord) pos = {word.StartTextWord->OutLine, word.StartTextWord->OutCol};
  Alarms.AddAlarm(VarName, WordText(word), pos);
}

}  // namespace

void RaiseTypeAlarms(const std::string& VarName, TParserWordList& Words,
                     const std::vector<std::string>& TypeNames, TAlarmList& Alarms) {
  TParserWordList found(false);
  Words.FindAllByType(found, TypeNames);
  for (const TParserWord* word : found) RaiseAlarm(VarName, *word, Alarms);
}

void RaiseKindAlarms(TParserWordList& Words, std::span<const TAlarmKind> Kinds, TAlarmList& Alarms) {
  // One walk over the tree finds the words of every kind; they are then
  // taken kind by kind, each kind's in document order.
  std::vector<std::string> types;
  types.reserve(Kinds.size());
  for (const TAlarmKind& kind : Kinds) types.push_back(UpperTrim(kind.TypeName));
  TParserWordList found(false);
  Words.FindAllByType(found, types);
  if (found.Empty()) return;
  for (std::size_t k = 0; k < Kinds.size(); ++k) {
    const std::string varName = Kinds[k].VarName;
    for (const TParserWord* word : found)
      if (word->TypeName() == types[k]) RaiseAlarm(varName, *word, Alarms);
  }
}

void CheckSystemObjectAlarms(TParserWordList& Words, TAlarmList& Alarms) {
  static constexpr TAlarmKind kKinds[] = {
      {"systable", "SysTable"},     {"sysview", "SysView"}, {"sysproc", "SysProc"},       {"sysdb", "SysDB"},
      {"sysglobvar", "SysGlobVar"}, {"dbcc", "DBCC"},       {"dynamicsql", "DynamicSQL"},
  };
  RaiseKindAlarms(Words, kKinds, Alarms);
}

}  // namespace ambrix
