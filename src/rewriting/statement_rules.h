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
/// RETURN (SELECT ...) loses the brackets; RETURN CASE ... END gains them.
void ConvertReturnExpressions(const TConvertContext& Context, TParserWordList& Words);
/// FETCH ... FROM c: the FROM right after the FETCH word goes.
void ConvertFetchFrom(const TConvertContext& Context, TParserWordList& Words);
/// A bracket block that holds statements becomes begin ... end; a sub-query
/// (a SELECT that assigns no variable) stays.
void ConvertStatementBlocks(const TConvertContext& Context, TParserWordList& Words);
/// DROP TABLE a, b, c becomes one DROP statement per object, each on a line of
/// its own. Raises "Странная команда удаления обьекта БД" when nothing follows
/// a DROP word.
void SplitDropStatements(const TConvertContext& Context, TParserWordList& Words);
/// EXEC (...) becomes execute (...); the arguments of EXEC p ... lose their
/// national prefixes.
void ConvertExecStatements(const TConvertContext& Context, TParserWordList& Words);
/// INSERT ... EXEC p args becomes INSERT ... select * from p(args).
void ConvertInsertExec(const TConvertContext& Context, TParserWordList& Words);
/// Index hints "(INDEX = x)" go, with a WITH in front of them.
void RemoveIndexHints(const TConvertContext& Context, TParserWordList& Words);
/// UPDATE a ... FROM T a (a target that is an alias of the FROM clause) gets
/// the table's name in front of the alias. Raises "Странная команда
/// UPDATE/DELETE" when the statement cannot be read that way.
void ConvertUpdateDeleteFrom(const TConvertContext& Context, TParserWordList& Words);

}  // namespace ambrix
