#pragma once

#include "recognition/convert_context.h"

namespace ambrix {

class TParserWordList;

/// a % b becomes Mod (a, b): the target reads % as the start of a comment
/// (its PERCENT_AS_COMMENT option is on by default). The operands follow the
/// source's precedence: % binds as * and /, left to right, so the left
/// operand reaches back over a chain of *, / and % (a * b % c is
/// Mod (a * b, c)) and the right one is the next term (a name, number,
/// variable, call, bracket, CASE, with its sign). A % whose operands cannot be
/// told stays with the alarm ModuloOperator. A % in a string or a comment is
/// no operator and is never met.
void ConvertModuloOperators(const TConvertContext& Context, TParserWordList& Words);

}  // namespace ambrix
