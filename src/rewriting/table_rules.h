#pragma once

#include "recognition/convert_context.h"

namespace ambrix {

class TParserWordList;

// Rewrite rules on table definitions, wherever they stand in a text: the
// CREATE TABLE of a table object or inside a procedure, function or trigger,
// IDENTITY columns added by ALTER TABLE, and table variables.

/// Drops a filegroup clause ON x starting at the first significant word at
/// or after `Index` of `Words` (any list).
void RemoveOnClause(const TConvertContext& Context, int Index, TParserWordList& Words);
/// Converts the column and constraint definitions of one column block;
/// `ColumnWords` is the block's children.
void ConvertColumnDefinitions(const TConvertContext& Context, TParserWordList& ColumnWords);
/// Converts every CREATE TABLE of the statement. Raises "Странное описание
/// создания таблицы" when one has no column block after it.
void ConvertCreateTables(const TConvertContext& Context, TParserWordList& Words);
/// Converts IDENTITY (...) inside every ALTER TABLE statement.
void ConvertAlterTableIdentity(const TConvertContext& Context, TParserWordList& Words);
/// Turns every table variable into a temporary table and renames its uses.
/// Raises "Странное обьявление табличной переменной" when DECLARE v TABLE is
/// not followed by a column block.
void ConvertTableVariables(const TConvertContext& Context, TParserWordList& Words);

}  // namespace ambrix
