#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "parser/parser_word_list.h"
#include "recognition/convert_context.h"
#include "text/utf8.h"

namespace ambrix {

// The word tests of the DDL rules. They run for every word of every column
// definition, so they compare lengths before letters.

/// True when the word's text, upper-cased, is `Upper` (upper case already).
inline bool IsWord(const TParserWord& Word, std::string_view Upper) {
  const std::string& text = Word.Text();
  return text.size() == Upper.size() && EqualsUpper(text, Upper);
}

/// True when the word's text, upper-cased, is one of `Uppers`.
inline bool IsAnyWord(const TParserWord& Word, std::initializer_list<std::string_view> Uppers) {
  for (std::string_view upper : Uppers)
    if (IsWord(Word, upper)) return true;
  return false;
}

/// The index of the first word of `List` that is `Upper`; -1 if none.
int FindWord(TParserWordList& List, std::string_view Upper, int From = 0);

/// True for a bracket block (with its children).
bool IsBlock(const TConvertContext& Context, const TParserWord& Word);

/// The next significant word after `Index` (-1 stays -1).
int Next(const TConvertContext& Context, TParserWordList& List, int Index);

/// A name or a type as written: the text inside brackets or quotes.
std::string NameText(const TParserWord& Word);

/// The text words First..Last as they print on one line.
std::string PrintedOnOneLine(TParserTextWord* First, TParserTextWord* Last);

}  // namespace ambrix
