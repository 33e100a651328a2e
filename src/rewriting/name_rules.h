#pragma once

#include <string>

#include "recognition/convert_context.h"

namespace ambrix {

class TParserWordList;

// Rewrite rules on names and literals. Each edits the editable text of the
// statement `Words` belongs to; the parse result itself is never changed.

/// True when the word at `Index` of `List` is the national prefix of a string
/// literal: a plain N or n written right before the opening quote.
bool IsNationalPrefix(const TConvertContext& Context, const TParserWordList& List, int Index);
/// Removes national prefixes among the plain significant words from
/// `FirstIndex` to `LastIndex` of one list: the N of N'x' goes (its spacing
/// carried over); N5 becomes 5, N@x becomes @x. An N that is no prefix (an
/// argument or a name) stays.
void RemoveNationalPrefixes(const TConvertContext& Context, int FirstIndex, int LastIndex,
                            TParserWordList& Words);
/// The owner dbo (anywhere, also inside brackets) becomes "dba".
void ReplaceOwnerDbo(const TConvertContext& Context, TParserWordList& Words);
/// Every word of the statement spelled `OldText` (case ignored) reads `NewText`.
void ReplaceWordText(const TConvertContext& Context, const std::string& OldText,
                     const std::string& NewText, TParserWordList& Words);
/// NCHAR, NVARCHAR and NTEXT lose their first letter.
void ConvertNationalTypes(const TConvertContext& Context, TParserWordList& Words);
/// The index scan over an object name that starts at the first significant
/// word at or after `Index` (see the statement rules).
int SkipObjectName(const TConvertContext& Context, int Index, TParserWordList& Words);
/// Brackets the target's reserved words used as names, drops semicolons and
/// the N before string literals. A word in a place where it is no name stays:
/// the type DEC (dec(10,2), @x dec, CAST(x AS dec)) and TIME after WAITFOR.
void ConvertReservedWords(const TConvertContext& Context, TParserWordList& Words);
/// BEGIN DISTRIBUTED TRAN[SACTION] becomes "BEGIN TRANSACTION".
void ConvertDistributedTransactions(const TConvertContext& Context, TParserWordList& Words);

}  // namespace ambrix
