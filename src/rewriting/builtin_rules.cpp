#include "rewriting/builtin_rules.h"

#include <array>
#include <string>
#include <string_view>
#include <utility>

#include "conversion/alarm_object.h"
#include "parser/parser_text_word_list.h"
#include "parser/parser_word_list.h"
#include "rewriting/raiserror_rules.h"
#include "rewriting/rule_conventions.h"
#include "rewriting/word_span.h"
#include "text/error.h"
#include "text/string_helpers.h"
#include "text/utf8.h"

namespace ambrix {

namespace {

/// The date parts of the source and the names the target is sure to read: the
/// full names (its abbreviations are the ASE set, and the source's own ones,
/// yyyy, q, m, y, d, ww, w, n, s, are not expected to work).
constexpr std::array<std::pair<std::string_view, std::string_view>, 31> kDateParts{{
    {"year", "year"},       {"yy", "year"},         {"yyyy", "year"},
    {"quarter", "quarter"}, {"qq", "quarter"},      {"q", "quarter"},
    {"month", "month"},     {"mm", "month"},        {"m", "month"},
    {"dayofyear", "dayofyear"}, {"dy", "dayofyear"}, {"y", "dayofyear"},
    {"day", "day"},         {"dd", "day"},          {"d", "day"},
    {"week", "week"},       {"wk", "week"},         {"ww", "week"},
    {"weekday", "weekday"}, {"dw", "weekday"},      {"w", "weekday"},
    {"hour", "hour"},       {"hh", "hour"},
    {"minute", "minute"},   {"mi", "minute"},       {"n", "minute"},
    {"second", "second"},   {"ss", "second"},       {"s", "second"},
    {"millisecond", "millisecond"}, {"ms", "millisecond"},
}};

/// The functions whose first argument is a date part.
constexpr std::array<std::string_view, 4> kDatePartCalls{"DATEPART (", "DATEADD (", "DATEDIFF (", "DATENAME ("};

/// The arguments of a call cut at the list separator; an empty argument (two
/// separators in a row) gives no item.
void SplitArguments(const TConvertContext& Context, const TParserWord& Call, TParserWordList& Items) {
  if (Call.Children && !Call.Children->Empty())
    Call.Children->SplitByTerm(Context.ListDivTerm, true, Items, false);
}

const TParserWordList& ItemWords(const TParserWordList& Items, int Index) {
  return *Items.Words(Index)->Children;
}

/// A plain numeric literal (digits with at most one point: 1, 0, 00, 0.0);
/// with `zero`, only one whose value is zero.
bool IsNumberLiteral(const TParserWord& Word, bool zero) {
  if (Word.Term->Kind != tkText) return false;
  const std::string& text = WordText(Word);
  bool digit = false;
  int points = 0;
  for (const char c : text) {
    if (c == '0' || (!zero && c >= '1' && c <= '9')) {
      digit = true;
    } else if (c == '.') {
      ++points;
    } else {
      return false;
    }
  }
  return digit && points <= 1;
}

/// CHARINDEX(sought, searched, start) is the target's Locate (searched,
/// sought, start), which also gives 0 when nothing is found. The two first
/// arguments swap places; each keeps its own text words, so a comment in one
/// of them stays where it was written.
void ConvertCharIndex(const TConvertContext& Context, TParserWord& Call) {
  TParserWordList items(false);
  SplitArguments(Context, Call, items);
  if (items.Count() < 2 || items.Count() > 3) throw Error("Странная функция CHARINDEX");
  if (items.Count() == 2) return;
  const TParserWordList& sought = ItemWords(items, 0);
  const TParserWordList& searched = ItemWords(items, 1);
  TParserTextWord* soughtFirst = FirstTextWordIn(sought, 0, sought.Count() - 1);
  TParserTextWord* soughtLast = LastTextWordIn(sought, 0, sought.Count() - 1);
  TParserTextWord* searchedFirst = FirstTextWordIn(searched, 0, searched.Count() - 1);
  TParserTextWord* searchedLast = LastTextWordIn(searched, 0, searched.Count() - 1);
  if (!Call.StartTextWord || !soughtFirst || !soughtLast || !searchedFirst || !searchedLast) return;
  // ( A , B , S ): B goes before A, then A before the separator that
  // followed B, giving ( B , A , S ). Each first word takes the other's place.
  TParserTextWord* secondSeparator = searchedLast->NextWord();
  if (!secondSeparator) return;
  TParserTextWordList& text = *soughtFirst->Owner;
  text.MoveRangeBefore(soughtFirst, searchedFirst, searchedLast);
  text.MoveRangeBefore(secondSeparator, soughtFirst, soughtLast);
  std::swap(soughtFirst->Spaces, searchedFirst->Spaces);
  std::swap(soughtFirst->LineBreaks, searchedFirst->LineBreaks);
  KeepLineCommentsClosed(*searchedFirst, *soughtLast);
  Call.StartTextWord->Text = "Locate (";
}

void ConvertRound(const TConvertContext& Context, TParserWordList& Words, TParserWord& Call) {
  TParserWordList items(false);
  SplitArguments(Context, Call, items);
  if (items.Count() < 2 || items.Count() > 3) throw Error("Странная функция ROUND");
  if (items.Count() == 2) return;
  // ROUND(x, n, f) truncates unless f is zero: Truncnum (x, n) / ROUND(x, n).
  const TParserWordList& length = ItemWords(items, 1);
  TParserTextWord* lengthEnd = LastTextWordIn(length, 0, length.Count() - 1);
  TParserTextWord* close = Call.EndTextWord;
  if (!lengthEnd || !close || lengthEnd->NextWord() == close) return;
  TParserWordList& flag = *items.Words(2)->Children;
  if (!IsNumberLiteral(*flag.Words(0), true)) Call.StartTextWord->Text = "Truncnum (";
  // A flag known only at run time (a variable, an expression) may be zero:
  // the call then rounds, which Truncnum does not. Its text goes with it, so
  // the warning names it.
  const int flagFirst = FirstSignificant(Context, flag, 0);
  if (flagFirst < 0 || NextSignificant(Context, flag, flagFirst) >= 0 ||
      !IsNumberLiteral(*flag.Words(flagFirst), false))
    MarkAlarm(Words, Call.StartTextWord, "RoundTruncationFlag",
              PrintedText(Words, *lengthEnd->NextWord()->NextWord(), *close->PrevWord()));
  DeleteTextRange(*lengthEnd->NextWord(), *close->PrevWord(), false);
}

/// The first argument of DATEPART, DATEADD, DATEDIFF and DATENAME by its full
/// name; a part the table does not know stays.
void ConvertDatePart(const TConvertContext& Context, TParserWord& Call) {
  if (!Call.Children) return;
  const int first = FirstSignificant(Context, *Call.Children, 0);
  if (first < 0) return;
  TParserWord& part = *Call.Children->Words(first);
  if (part.Term->Kind != tkText) return;
  for (const auto& [source, target] : kDateParts) {
    if (SameText(WordText(part), source)) {
      SetWordText(part, std::string(target));
      return;
    }
  }
}

/// IDENTITY (type, seed, step) of SELECT ... INTO numbers the rows: the
/// target's Number (*) counts them from 1 by 1.
void ConvertIdentityFunction(const TConvertContext& Context, TParserWordList& Words, TParserWord& Call) {
  TParserTextWord& start = *Call.StartTextWord;
  TParserWordList items(false);
  SplitArguments(Context, Call, items);
  bool fromOneByOne = true;
  for (int i = 1; i < items.Count(); ++i) {
    TParserWordList& item = *items.Words(i)->Children;
    const int first = FirstSignificant(Context, item, 0);
    if (first < 0 || WordText(*item[first]) != "1" || NextSignificant(Context, item, first) >= 0)
      fromOneByOne = false;
  }
  if (!fromOneByOne && Call.EndTextWord) MarkAlarm(Words, &start, "IdentityNumbering", PrintedText(Words, start, *Call.EndTextWord));
  start.Text = "Number (";
  if (Call.Children && !Call.Children->Empty()) {
    const TParserWordList& args = *Call.Children;
    TParserTextWord* first = FirstTextWordIn(args, 0, args.Count() - 1);
    TParserTextWord* last = LastTextWordIn(args, 0, args.Count() - 1);
    if (first && last) DeleteTextRange(*first, *last, false);
  }
  InsertTextAfter(Words, start, "*", 0, 0);
}

bool IsDatePartCall(const TParserWord& Word) {
  if (Word.Term->Kind != tkDefined) return false;
  for (const std::string_view name : kDatePartCalls)
    if (Word.Text() == name) return true;
  return false;
}

}  // namespace

void ConvertBuiltinFunctions(const TConvertContext& Context, TParserWordList& Words) {
  const auto calls = SearchStatement(
      Context, Words,
      {"COUNT (", "COUNT_BIG (", "SUM (", "AVG (", "ROUND (", "DATEPART (", "DATEADD (", "DATEDIFF (", "DATENAME (",
       "IDENTITY (", "IDENT_CURRENT (", "SCOPE_IDENTITY (", "CHARINDEX (", "LEN (", "RAISERROR (", "RAISERROR",
       "CURRENT_USER", "SESSION_USER", "SYSTEM_USER"});
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
      // A column's identity that the table rules already rewrote reads
      // "identity" and stays.
      ConvertIdentityFunction(Context, Words, *call);
    } else if (name == "CHARINDEX") {
      ConvertCharIndex(Context, *call);
    } else if (name == "ROUND") {
      ConvertRound(Context, Words, *call);
    } else if (IsDatePartCall(*call)) {
      ConvertDatePart(Context, *call);
    } else if (name == "LEN") {
      start.Text = "Length (";
    } else if (name == "RAISERROR") {
      if (call->Term->StartWords.size() > 1) {
        ConvertRaiseErrorCall(Context, Words, *call);
      } else if (call->Term->Kind == tkDefined) {
        ConvertRaiseErrorStatement(Context, Words, *call);
      }
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
