#include "rewriting/computed_columns.h"

#include <string>
#include <string_view>

#include "parser/parser_text_word_list.h"
#include "parser/parser_word_list.h"
#include "rewriting/column_types.h"
#include "rewriting/ddl_words.h"
#include "rewriting/rule_conventions.h"
#include "rewriting/word_span.h"
#include "text/utf8.h"

namespace ambrix {

namespace {

// Functions whose result type is certain: empty Result means the type of
// their (one) argument.
struct TComputedFunction {
  std::string_view Name;
  std::string_view Result;
};

constexpr TComputedFunction kComputedFunctions[] = {
    {"DATEPART", "int"}, {"DATEDIFF", "int"},      {"LEN", "int"},         {"DATALENGTH", "int"},
    {"CHARINDEX", "int"}, {"GETDATE", "datetime"}, {"GETUTCDATE", "datetime"}, {"UPPER", ""},
    {"LOWER", ""},       {"LTRIM", ""},           {"RTRIM", ""},
};

const TComputedFunction* ComputedFunction(std::string_view Name) {
  for (const TComputedFunction& function : kComputedFunctions)
    if (SameText(function.Name, Name)) return &function;
  return nullptr;
}

struct TTypeGuess {
  std::string Type;  // empty: not certain
  int Rank = 0;      // the type's arithmetic rank; 0: not for arithmetic
};

TTypeGuess GuessOf(std::string Type) {
  const std::size_t end = Type.find_first_of(" (");
  const TColumnType* known = FindColumnType(std::string_view(Type).substr(0, end));
  return {std::move(Type), known ? known->Precedence : 0};
}

TTypeGuess InferType(const TConvertContext& Context, TParserWordList& List, int From, int To,
                     const TColumnBlock& Block);

// The type of a call: NAME ( args ) as a pair word or a word and a block.
TTypeGuess InferCall(const TConvertContext& Context, const std::string& Name, TParserWordList* Args,
                     const TColumnBlock& Block) {
  if (Args == nullptr) return {};
  const int last = Args->Count() - 1;
  if (SameText(Name, "CAST")) {
    const int as = FindWord(*Args, "AS");
    TParserTextWord* first = as >= 0 ? FirstTextWordIn(*Args, as + 1, last) : nullptr;
    return first ? GuessOf(PrintedOnOneLine(first, LastTextWordIn(*Args, as + 1, last))) : TTypeGuess{};
  }
  if (SameText(Name, "CONVERT")) {
    const int comma = FindTerm(*Args, Context.ListDivTerm);
    TParserTextWord* first = comma > 0 ? FirstTextWordIn(*Args, 0, comma - 1) : nullptr;
    return first ? GuessOf(PrintedOnOneLine(first, LastTextWordIn(*Args, 0, comma - 1))) : TTypeGuess{};
  }
  const TComputedFunction* function = ComputedFunction(Name);
  if (function == nullptr) return {};
  if (!function->Result.empty()) return GuessOf(std::string(function->Result));
  return InferType(Context, *Args, 0, last, Block);
}

TTypeGuess InferOperand(const TConvertContext& Context, TParserWordList& List, int& Index, int To,
                        const TColumnBlock& Block) {
  TParserWord& word = *List[Index];
  if (IsBlock(Context, word)) return InferType(Context, *word.Children, 0, word.Children->Count() - 1, Block);
  if (word.Term->Kind == tkDefined && !word.Term->EndWords.empty() && !IsType(word, "OBJECT_NAME"))
    return InferCall(Context, word.Term->StartWords.front(), word.Children.get(), Block);
  const int next = Next(Context, List, Index);
  if (next >= 0 && next <= To && IsBlock(Context, *List[next])) {
    Index = next;
    return InferCall(Context, NameText(word), List[next]->Children.get(), Block);
  }
  const std::string& text = WordText(word);
  if (!text.empty() && text.find_first_not_of("0123456789") == std::string::npos) return GuessOf("int");
  const auto column = Block.ColumnTypes.find(ColumnKey(word));
  if (column != Block.ColumnTypes.end()) return GuessOf(column->second);
  return {};
}

// The type of the expression From..To: one operand, or operands joined by
// + - * / whose types rank in arithmetic (the highest rank gives the type).
TTypeGuess InferType(const TConvertContext& Context, TParserWordList& List, int From, int To,
                     const TColumnBlock& Block) {
  int i = FirstSignificant(Context, List, From);
  if (i < 0 || i > To) return {};
  TTypeGuess result = InferOperand(Context, List, i, To, Block);
  if (result.Type.empty()) return {};
  for (int op = Next(Context, List, i); op >= 0 && op <= To; op = Next(Context, List, i)) {
    if (!IsAnyWord(*List[op], {"+", "-", "*", "/"}) || result.Rank == 0) return {};
    i = Next(Context, List, op);
    if (i < 0 || i > To) return {};
    TTypeGuess operand = InferOperand(Context, List, i, To, Block);
    if (operand.Type.empty() || operand.Rank == 0) return {};
    if (operand.Rank > result.Rank) result = operand;
  }
  return result;
}

}  // namespace

TItemResult ConvertComputedColumn(const TConvertContext& Context, TParserWordList& Words, TParserWordList& Item,
                                  TColumnBlock& Block) {
  const int name = FirstSignificant(Context, Item, 0);
  const int as = Next(Context, Item, name);
  const int from = Next(Context, Item, as);
  int to = Item.LastIndexOfNotType(Item.Count() - 1, {Context.CommentTermName});
  if (from < 0 || to < from) to = -1;
  const TTypeGuess type = to >= 0 ? InferType(Context, Item, from, to, Block) : TTypeGuess{};
  if (type.Type.empty()) {
    MarkAlarm(Words, FirstTextWordOf(*Item[name]), "ComputedColumn", NameText(*Item[name]));
    return TItemResult::CommentedOut;
  }
  SetWordText(*Item[as], type.Type + " compute");
  if (!(from == to && IsBlock(Context, *Item[from]))) {
    TParserTextWord* first = FirstTextWordIn(Item, from, to);
    TParserTextWord* last = LastTextWordIn(Item, from, to);
    if (first && last) {
      InsertTextBefore(Words, first, "(", first->Spaces, first->LineBreaks);
      first->Spaces = 0;
      first->LineBreaks = 0;
      InsertTextAfter(Words, *last, ")", 0, 0);
    }
  }
  Block.ColumnTypes[ColumnKey(*Item[name])] = type.Type;
  return TItemResult::Converted;
}

}  // namespace ambrix
