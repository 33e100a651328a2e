#pragma once

#include <string>
#include <string_view>

#include "recognition/convert_context.h"

namespace ambrix {

class TParserWordList;

// Column defaults as SQL Anywhere 9 takes them: a constant, a parenthesised
// constant expression, or one of its special values. SQL Server's functions
// that give the time or the user become those special values.

/// Converts the default value that the words From..To of `List` hold (what
/// follows DEFAULT): redundant nested brackets go, ((0)) becomes (0), and
/// (getdate()) becomes current timestamp.
void ConvertDefaultValue(const TConvertContext& Context, TParserWordList& List, int From, int To);

/// The same for a default held as text (the expression of a stored default):
/// the target's special value for a function the table knows, else the text
/// without redundant brackets around it.
std::string ConvertDefaultText(std::string_view Expression);

}  // namespace ambrix
