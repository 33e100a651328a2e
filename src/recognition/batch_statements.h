#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "recognition/convert_context.h"

namespace ambrix {

class TCommandDML;
class TCommandList;
class TParserWordList;
class TSQLObjectList;

/// True for a line that ends a batch: GO in any letter case, with blanks or
/// control characters around it, and also GO followed by a count (GO 5: the
/// batch is run that many times, which for a definition is once), a
/// semicolon or a comment.
bool IsBatchEnd(std::string_view line);

/// One statement of a batch, as recognition cuts a batch: a statement the
/// command registry recognises (it yields objects), or a stretch of other
/// statements between them.
struct TBatchStatement {
  int First = 0;  ///< its first word in the batch's top-level words (comments before it included)
  int Key = 0;    ///< its first significant word
  int Last = 0;   ///< its last word
  /// The command that recognises it; null for a stretch of other statements.
  TCommandDML* Command = nullptr;
  /// For a command: the first significant word after the key word, or after
  /// the procedure name of a procedure call (exec dbo.sp_addtype ...); -1:
  /// none.
  int Arguments = -1;
};

/// Cuts the top-level words of a parsed batch into statements, in order. A
/// statement starts at a statement keyword (a reserved word tagged "main")
/// and runs up to the next one, except for the keywords that belong to the
/// statement before them (ON DELETE, ON UPDATE, ON DELETE SET NULL); a
/// statement whose command takes the rest of the batch (a procedure, view,
/// function or trigger) runs to its end. Statements no command recognises are
/// joined into one stretch up to the next recognised statement (a stretch of
/// option settings, SET ..., stays apart). Comments between two statements go
/// with the next one, those at the end of a statement's last line with it.
/// A batch without statement keywords is one stretch.
std::vector<TBatchStatement> SplitBatchStatements(const TConvertContext& Context, const TCommandList& Commands,
                                                  const TParserWordList& Words);

/// Recognises the statements of a parsed batch (`Words`, the parse of
/// `Lines`): every statement a command recognises appends its objects to
/// `Objects`, in order; a batch of that one statement gives its objects the
/// whole batch as text. `Other` (if set) is told of each stretch of other
/// statements. Failures of a command propagate; the objects appended before
/// stay.
void RecogniseStatements(const TConvertContext& Context, const TCommandList& Commands,
                         const std::vector<std::string>& Lines, const TParserWordList& Words,
                         TSQLObjectList& Objects, const std::function<void(const TBatchStatement&)>& Other = {});

}  // namespace ambrix
