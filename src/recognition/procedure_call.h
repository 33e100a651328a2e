#pragma once

#include <string>
#include <vector>

#include "recognition/convert_context.h"

namespace ambrix {

class TParserWord;
class TParserWordList;

/// One argument of a procedure call: `@name = value` or a value by position.
struct TProcedureArgument {
  std::string Parameter;  ///< the parameter named (@typename) as written; empty: by position
  int First = -1;         ///< the value's first word in the list
  int Last = -1;          ///< the value's last word
  /// The value when it is one string literal (N'...' included); null otherwise.
  const TParserWord* Literal = nullptr;
};

/// The procedure name of a call that starts at the first significant word
/// at or after `Index`: parts joined by the name divider ([dbo].sp_addtype,
/// master..xp_cmdshell); a system procedure's reserved word counts as a
/// part. Gives the index of the name's last word and in `Name` the last part
/// (a delimited part without its delimiters); -1 when no name stands there.
int ProcedureName(const TConvertContext& Context, const TParserWordList& Words, int Index, std::string& Name);

/// The index of the first argument of the procedure call statement in
/// `Words` (EXEC [owner.]procedure args, or the one reserved word EXEC
/// SP_ADDTYPE args): the first significant word after the procedure's name;
/// -1 when there is none.
int ProcedureArguments(const TConvertContext& Context, const TParserWordList& Words);

/// The arguments from `From` to the end of `Words`, split at the list
/// separator; an argument of comments only is none.
std::vector<TProcedureArgument> ReadProcedureArguments(const TConvertContext& Context,
                                                       const TParserWordList& Words, int From);

/// The argument given for `Parameter` (compared ignoring case, with its @),
/// else the one at `Position` among those given by position; null when the
/// call gives neither.
const TProcedureArgument* FindArgument(const std::vector<TProcedureArgument>& Arguments,
                                       const std::string& Parameter, int Position);

/// The value of an argument as text: a literal's content, or its words as
/// written without the blanks between them (varchar(11)), a blank kept only
/// between two words (NOT NULL).
std::string ArgumentText(const TParserWordList& Words, const TProcedureArgument& Argument);

}  // namespace ambrix
