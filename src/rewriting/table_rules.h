#pragma once

#include "recognition/convert_context.h"

namespace ambrix {

class TParserWordList;

// Rewrite rules on table definitions, wherever they stand in a text: the
// CREATE TABLE of a table object or inside a procedure, function or trigger,
// ALTER TABLE, and table variables.

/// Converts the column and constraint definitions of one column block;
/// `ColumnWords` is the block's children.
void ConvertColumnDefinitions(const TConvertContext& Context, TParserWordList& ColumnWords);
/// Converts every CREATE TABLE of the statement. Raises "Странное описание
/// создания таблицы" when one has no column block after it.
void ConvertCreateTables(const TConvertContext& Context, TParserWordList& Words);
/// Converts every ALTER TABLE of the statement: one clause a statement (the
/// target takes no more), WITH CHECK / NOCHECK removed, ALTER COLUMN as
/// MODIFY, DROP COLUMN as DROP, the column definitions it adds as in a table.
void ConvertAlterTables(const TConvertContext& Context, TParserWordList& Words);
/// Turns every table variable into a temporary table and renames its uses.
/// Raises "Странное обьявление табличной переменной" when DECLARE v TABLE is
/// not followed by a column block.
void ConvertTableVariables(const TConvertContext& Context, TParserWordList& Words);

}  // namespace ambrix
