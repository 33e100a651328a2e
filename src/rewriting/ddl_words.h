#pragma once

#include <initializer_list>
#include <string_view>

#include "parser/parser_word_list.h"
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

}  // namespace ambrix
