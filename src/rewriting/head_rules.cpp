#include "rewriting/head_rules.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "parser/parser_text_word_list.h"
#include "parser/parser_word_list.h"
#include "rewriting/rule_conventions.h"
#include "rewriting/word_span.h"

namespace ambrix {

namespace {

/// The options of a code object's head, and whether the target takes them.
struct TObjectOption {
  std::string_view Name;
  bool Kept;
};

constexpr std::array<TObjectOption, 4> kObjectOptions{{
    {"ENCRYPTION", false},
    {"SCHEMABINDING", false},
    {"VIEW_METADATA", false},
    {"RECOMPILE", true},
}};

const TObjectOption* FindOption(const TParserWord& Word) {
  for (const TObjectOption& option : kObjectOptions)
    if (WordTextEquals(Word, option.Name)) return &option;
  return nullptr;
}

}  // namespace

void RemoveObjectOptions(const TConvertContext& Context, TParserWordList& Words) {
  // The head ends where the body's first statement starts.
  const int head = FirstSignificant(Context, Words, 0);
  if (head < 0) return;
  const int body = FirstStatementKeyword(Words, head + 1);
  const int with = FindInList(Words, "WITH", head + 1, body < 0 ? -1 : body - 1);
  if (with < 0) return;
  // The options and the separators before them.
  std::vector<int> options;
  std::vector<int> separators;
  for (int w = NextSignificant(Context, Words, with); w >= 0 && FindOption(*Words[w]);) {
    options.push_back(w);
    const int next = NextSignificant(Context, Words, w);
    if (next < 0 || Words[next]->Term != Context.ListDivTerm) break;
    separators.push_back(next);
    w = NextSignificant(Context, Words, next);
  }
  if (options.empty()) return;
  TParserTextWord* withWord = Words[with]->StartTextWord;
  TParserTextWord* lastWord = LastTextWordOf(*Words[options.back()]);
  if (!withWord || !lastWord) return;
  const std::string source = PrintedText(Words, *withWord, *lastWord);

  std::vector<int> kept;
  for (const int option : options)
    if (FindOption(*Words[option])->Kept) kept.push_back(option);
  if (kept.size() == options.size()) return;
  MarkAlarm(Words, withWord, "ObjectOption", source);
  if (kept.empty()) {
    DeleteTextRange(*withWord, *lastWord, false);
    return;
  }
  // WITH RECOMPILE, ENCRYPTION: a dropped option goes with the separator
  // before it, or after it while no kept option stands before it.
  bool keptBefore = false;
  for (std::size_t k = 0; k < options.size(); ++k) {
    if (FindOption(*Words[options[k]])->Kept) {
      keptBefore = true;
      continue;
    }
    DeleteStartWord(*Words[keptBefore ? separators[k - 1] : separators[k]], false);
    DeleteStartWord(*Words[options[k]], false);
  }
  if (TParserTextWord* first = Words[kept.front()]->StartTextWord) {
    first->Spaces = 1;
    first->LineBreaks = 0;
  }
}

void RemoveFunctionParameterDefaults(const TConvertContext& Context, TParserWordList& Words) {
  // CREATE FUNCTION name (parameters) RETURNS ...: the first bracket block
  // before RETURNS.
  const int returns = FindInList(Words, "RETURNS");
  const int block = FindTerm(Words, Context.BlockTerm, 0);
  if (returns < 0 || block < 0 || block > returns || !Words[block]->Children) return;
  TParserWordList items(false);
  Words[block]->Children->SplitByTerm(Context.ListDivTerm, true, items, false);
  for (const TParserWord* item : items) {
    TParserWordList& parameter = *item->Children;
    const int equals = FindInList(parameter, "=");
    if (equals < 0) continue;
    TParserTextWord* first = FirstTextWordIn(parameter, 0, parameter.Count() - 1);
    TParserTextWord* from = FirstTextWordIn(parameter, equals, parameter.Count() - 1);
    TParserTextWord* last = LastTextWordIn(parameter, 0, parameter.Count() - 1);
    if (!first || !from || !last || first == from) continue;
    MarkAlarm(Words, first, "FunctionParamDefault", PrintedText(Words, *first, *last));
    // A comment after the default stays.
    const int end = PrevSignificant(Context, parameter, parameter.Count());
    TParserTextWord* to = LastTextWordIn(parameter, equals, end < 0 ? equals : end);
    if (to) DeleteTextRange(*from, *to, false);
  }
}

}  // namespace ambrix
