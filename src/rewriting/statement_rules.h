#pragma once

#include "recognition/convert_context.h"

namespace ambrix {

class TParserWordList;

// Rewrite rules on the statements and clauses inside the bodies of procedures,
// functions, triggers and views. Each edits the editable text of the statement
// `Words` belongs to; the parse result itself is never changed.

/// "<", ">" and "!" followed by a second operator character after blanks:
/// the blanks go (< = becomes <=); line breaks between them stay.
void JoinComparisonOperators(const TConvertContext& Context, TParserWordList& Words);
/// RETURN CASE ... END gains brackets; RETURN (SELECT ...) keeps its own.
void ConvertReturnExpressions(const TConvertContext& Context, TParserWordList& Words);
/// FETCH ... FROM c: the FROM right after the FETCH word goes.
void ConvertFetchFrom(const TConvertContext& Context, TParserWordList& Words);
/// A bracket block that holds statements becomes begin ... end; a sub-query
/// (a SELECT that assigns no variable, SELECT @x included) stays.
void ConvertStatementBlocks(const TConvertContext& Context, TParserWordList& Words);
/// DROP TABLE a, b, c becomes one DROP statement per object, each on a line of
/// its own. Raises "Странная команда удаления обьекта БД" when nothing follows
/// a DROP word.
void SplitDropStatements(const TConvertContext& Context, TParserWordList& Words);
/// EXEC (...) becomes execute (...); the arguments of EXEC p ... lose their
/// national prefixes.
void ConvertExecStatements(const TConvertContext& Context, TParserWordList& Words);
/// INSERT [INTO] t [(columns)] EXEC p args becomes INSERT ... select * from
/// p(args); an EXEC anywhere else is a statement of its own.
void ConvertInsertExec(const TConvertContext& Context, TParserWordList& Words);
/// Index hints "(INDEX = x)" go, with a WITH in front of them.
void RemoveIndexHints(const TConvertContext& Context, TParserWordList& Words);
/// UPDATE or DELETE with a FROM clause, so that the target names the same
/// rows in the target: UPDATE a ... FROM T a (an alias of the FROM clause)
/// gets the table's name, as it reads now, in front of the alias; UPDATE T
/// ... FROM T t gets the alias; UPDATE T ... FROM U WHERE T.id = U.id (the
/// target joined by WHERE alone) names T first in the FROM clause. A derived
/// table, a one-word target that may be an alias inside a bracket, or a
/// statement without SET or sources stays as written with the alarm
/// UpdateDeleteFrom.
void ConvertUpdateDeleteFrom(const TConvertContext& Context, TParserWordList& Words);

}  // namespace ambrix
