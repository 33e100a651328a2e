#pragma once

#include "recognition/convert_context.h"

namespace ambrix {

class TParserWordList;

/// Delimits the names of table, index and constraint DDL the way SQL Anywhere
/// 9 reads them whatever the connection's options: a double-quoted name
/// becomes bracketed (with quoted_identifier off "x" is a string), and a
/// plain name that is a reserved word of the target (date, comment, login,
/// message, ...) is bracketed. A built-in type name is left alone except where
/// it names a column; so are the target's words written as keywords of the
/// source, except a column's name.
void DelimitDdlNames(const TConvertContext& Context, TParserWordList& Words);

}  // namespace ambrix
