#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>

#include "recognition/convert_context.h"

namespace ambrix {

class TParserWord;
class TParserWordList;

// One item of a column block (CREATE TABLE, a table variable, a table
// function's RETURNS) or of ALTER TABLE ADD, as SQL Anywhere 9 takes it:
//   column type [NOT] NULL [DEFAULT value] [constraint ...]
// or a table constraint.

/// What the items of one column block know of each other.
struct TColumnBlock {
  /// The columns of a PRIMARY KEY of the table (upper case, without
  /// brackets): SQL Server makes them NOT NULL.
  std::unordered_set<std::string> KeyColumns;
  /// The type of each column converted so far (upper-case name -> type as
  /// printed), for a computed column that copies one; kept only when
  /// `WantsTypes` (the block has a computed column).
  std::unordered_map<std::string, std::string> ColumnTypes;
  bool WantsTypes = false;
};

/// How an item ended.
enum class TItemResult { Converted, CommentedOut };

/// Converts one column definition or table constraint: the words of `Item`
/// (an item of the block, or a stretch of ALTER TABLE). `Words` is the
/// statement (warnings are tied to it). A computed column whose type cannot
/// be told is left for the caller to comment out (with its warning marked).
TItemResult ConvertColumnItem(const TConvertContext& Context, TParserWordList& Words, TParserWordList& Item,
                              TColumnBlock& Block);

/// Converts a table constraint (the item of a column block, or the
/// constraint of ALTER TABLE ADD): storage clauses, CLUSTERED after UNIQUE,
/// the order of key columns go.
void ConvertTableConstraint(const TConvertContext& Context, TParserWordList& Words, TParserWordList& Item);

/// The column names a PRIMARY KEY item of a column block lists, or the name
/// of a column that is declared PRIMARY KEY, added to `Block.KeyColumns`.
void CollectKeyColumns(const TConvertContext& Context, TParserWordList& Item, TColumnBlock& Block);

/// True for a computed column: name AS expression.
bool IsComputedColumn(const TConvertContext& Context, TParserWordList& Item);

/// A name as the block keys it: upper case, without its brackets or quotes.
std::string ColumnKey(const TParserWord& Name);

}  // namespace ambrix
