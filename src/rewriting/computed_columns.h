#pragma once

#include "recognition/convert_context.h"
#include "rewriting/column_rules.h"

namespace ambrix {

class TParserWordList;

/// A computed column `c AS expression` (the words of `Item`): SQL Anywhere 9
/// computes a column only with a type, `c type COMPUTE (expression)`. The
/// type is given where it is certain: a column of the block, a function of
/// known result (DATEPART, LEN, CAST, CONVERT, UPPER of a column ...), or
/// arithmetic of columns whose types rank (int, bigint, money, real, float).
/// Otherwise the column is left for the caller to comment out, with the
/// warning ComputedColumn marked at its name.
TItemResult ConvertComputedColumn(const TConvertContext& Context, TParserWordList& Words, TParserWordList& Item,
                                  TColumnBlock& Block);

}  // namespace ambrix
