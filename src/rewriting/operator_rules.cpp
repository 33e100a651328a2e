#include "rewriting/operator_rules.h"

#include <string>
#include <string_view>

#include "parser/parser_text_word_list.h"
#include "parser/parser_word_list.h"
#include "rewriting/rule_conventions.h"
#include "rewriting/word_span.h"

namespace ambrix {

namespace {

bool IsOperator(const TParserWord& Word, std::string_view Text) {
  return Word.Term->Kind == tkDefined && IsType(Word, "OPERATOR") && WordTextIs(Word, Text);
}

/// *, / and %: the operators of %'s own precedence.
bool IsMultiplicative(const TParserWord& Word) {
  return IsOperator(Word, "*") || IsOperator(Word, "/") || IsOperator(Word, "%");
}

bool IsSign(const TParserWord& Word) {
  return IsOperator(Word, "-") || IsOperator(Word, "+") || IsOperator(Word, "~");
}

bool IsNamePart(const TParserWord& Word) { return Word.Term->Kind == tkText || IsType(Word, "OBJECT_NAME"); }

/// A word that is a value or part of one by itself: a plain word (name,
/// number, variable), a delimited construct (call, bracket, CASE, string,
/// [name]), a built-in function or global variable, NULL.
bool IsTerm(const TConvertContext& Context, const TParserWord& Word) {
  if (Word.Term->Kind == tkText) return true;
  if (Word.Term->Kind != tkDefined) return false;
  if (Word.Term->HasEndText()) return !IsComment(Context, Word);
  return IsType(Word, "SYSFUNC") || IsType(Word, "SYSGLOBALVAR") || IsType(Word, "SYSGLOBVAR") ||
         WordTextIs(Word, "NULL");
}

/// A word a bracket block can follow as the arguments of a call: a name or a
/// built-in function, not a variable or a number.
bool IsCallName(const TParserWord& Word) {
  if (IsType(Word, "OBJECT_NAME")) return true;
  if (Word.Term->Kind == tkDefined) return IsType(Word, "SYSFUNC") && !Word.Term->HasEndText();
  const std::string& text = WordText(Word);
  return Word.Term->Kind == tkText && !text.empty() && text[0] != '@' && (text[0] < '0' || text[0] > '9');
}

/// The first word of the term that ends at `Last` (owner.name, f (args),
/// dbo.f (args)); -1 when the word there ends no term.
int TermStart(const TConvertContext& Context, TParserWordList& List, int Last) {
  if (!IsTerm(Context, *List[Last])) return -1;
  int first = Last;
  if (List[Last]->Term == Context.BlockTerm) {
    const int name = PrevSignificant(Context, List, Last);
    if (name < 0 || !IsCallName(*List[name])) return first;
    first = name;
  }
  while (true) {
    const int div = PrevSignificant(Context, List, first);
    if (div < 0 || List[div]->Term != Context.ObjectDivTerm) return first;
    const int part = PrevSignificant(Context, List, div);
    if (part < 0 || !IsNamePart(*List[part])) return -1;
    first = part;
  }
}

/// The last word of the term that starts at `First`; -1 when none starts there.
int TermEnd(const TConvertContext& Context, TParserWordList& List, int First) {
  if (!IsTerm(Context, *List[First])) return -1;
  int last = First;
  if (IsNamePart(*List[First])) {
    while (true) {
      const int div = NextSignificant(Context, List, last);
      if (div < 0 || List[div]->Term != Context.ObjectDivTerm) break;
      const int part = NextSignificant(Context, List, div);
      if (part < 0 || !IsNamePart(*List[part])) return -1;
      last = part;
    }
  }
  if (IsCallName(*List[last])) {
    const int args = NextSignificant(Context, List, last);
    if (args >= 0 && List[args]->Term == Context.BlockTerm) last = args;
  }
  return last;
}

/// The first word of the left operand of the % at `Percent`: the term before
/// it and, over each *, / or % before that, the term before the operator. A
/// sign before them binds less tightly and stays outside. -1 when a term is
/// missing.
int LeftOperandStart(const TConvertContext& Context, TParserWordList& List, int Percent) {
  const int before = PrevSignificant(Context, List, Percent);
  int start = before < 0 ? -1 : TermStart(Context, List, before);
  while (start >= 0) {
    const int op = PrevSignificant(Context, List, start);
    if (op < 0 || !IsMultiplicative(*List[op])) return start;
    const int term = PrevSignificant(Context, List, op);
    start = term < 0 ? -1 : TermStart(Context, List, term);
  }
  return -1;
}

/// The last word of the right operand of the % at `Percent`: the next term,
/// with its sign. A signed term that a *, / or % follows would take that
/// operator into the operand: -1 then, as when the term is missing.
int RightOperandEnd(const TConvertContext& Context, TParserWordList& List, int Percent) {
  int first = NextSignificant(Context, List, Percent);
  const bool sign = first >= 0 && IsSign(*List[first]);
  if (sign) first = NextSignificant(Context, List, first);
  const int last = first < 0 ? -1 : TermEnd(Context, List, first);
  if (last < 0 || !sign) return last;
  const int after = NextSignificant(Context, List, last);
  return after >= 0 && IsMultiplicative(*List[after]) ? -1 : last;
}

}  // namespace

void ConvertModuloOperators(const TConvertContext& Context, TParserWordList& Words) {
  // Document order: the left operand of a later % takes the Mod (...) of an
  // earlier one in a % b % c.
  for (TParserWord* percent : SearchStatement(Context, Words, {"%"})) {
    if (!percent->StartTextWord || percent->Term->Kind != tkDefined) continue;
    TParserWordList& list = *percent->Owner;
    const int index = percent->IndexInOwner();
    const int start = LeftOperandStart(Context, list, index);
    const int end = RightOperandEnd(Context, list, index);
    TParserTextWord* first = start < 0 ? nullptr : FirstTextWordIn(list, start, index - 1);
    TParserTextWord* last = end < 0 ? nullptr : LastTextWordIn(list, index + 1, end);
    if (!first || !last) {
      MarkAlarm(Words, *percent, "ModuloOperator");
      continue;
    }
    TParserTextWord& sign = *percent->StartTextWord;
    InsertTextBefore(Words, first, "Mod (", first->Spaces, first->LineBreaks);
    first->Spaces = 0;
    first->LineBreaks = 0;
    sign.Text = ",";
    sign.Spaces = 0;
    InsertTextAfter(Words, *last, ")", 0, 0);
  }
}

}  // namespace ambrix
