#pragma once

#include "recognition/convert_context.h"

namespace ambrix {

class TParserWordList;

// The clauses of SQL Server table, key and index DDL that SQL Anywhere 9 has
// no place for. They speak of storage (filegroups, fill factors, the
// non-clustered default), of replication, or restate the target's default
// action, so they go without a word; an index option that changes what a
// statement does (IGNORE_DUP_KEY) goes with a warning at its place.

/// Removes, among the words From..To (To = -1: the last) of `List`, wherever
/// they stand: NONCLUSTERED; WITH and its index options (FILLFACTOR = n,
/// PAD_INDEX, IGNORE_DUP_KEY, ..., also in brackets); a filegroup ON x and
/// TEXTIMAGE_ON x; NOT FOR REPLICATION; ON DELETE / ON UPDATE NO ACTION.
/// `Words` is the statement the list belongs to (warnings are tied to it).
void RemoveStorageClauses(const TConvertContext& Context, TParserWordList& Words, TParserWordList& List,
                          int From = 0, int To = -1);

/// Removes ASC and DESC from a key's column list (the children of its bracket
/// block): SQL Anywhere 9 takes no order in a key, only in an index.
void RemoveKeyColumnOrder(const TConvertContext& Context, TParserWordList& Columns);

}  // namespace ambrix
