#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/alarm_object.h"
#include "conversion/convert_object.h"

namespace ambrix {

class TConvertCore;

/// One object a batch yields, and what converting it while the batch is read
/// gave: the part of a script's conversion that needs nothing but the batch.
struct TBatchObject {
  std::string TypeName;    ///< type object name as the command gave it ("TABLE", ...)
  std::string ObjectName;  ///< its name as read (a generated name for an unnamed constraint)
  std::string ParentName;  ///< its parent's name as read; empty: none
  /// The stored source text: the object's lines joined by CR LF, with the
  /// blanks and line ends around them trimmed.
  std::string Text;
  /// The batch line (from 0) where the text's first line stands.
  int Line = 0;
  /// False for an object of a type not chosen: it is neither converted nor
  /// stored.
  bool Selected = false;

  /// True when converting it gave a result. False when it was not tried, or
  /// failed, or needed another object's source (a bound default), or its
  /// type has no converter: such an object waits for a compilation run,
  /// which reports its failure.
  bool Converted = false;
  std::string Dest;  ///< the destination script: lines joined by CR LF
  std::string Drop;  ///< the drop script likewise; empty with HasDrop false
  bool HasDrop = false;
  TAlarmList Alarms;
  std::vector<std::string> Logs;  ///< log lines of its conversion, in order
};

/// Parses the batch `Lines` (its tabs become blanks, as for every parse),
/// recognises its statements and appends one TBatchObject per object they
/// yield, in order. `SelectedTypes` (upper case) marks the objects that are
/// stored; with `Convert` they are converted as a compilation run converts them
/// once stored under the names they were read with; the object whose text is
/// the whole batch is converted on the batch's own parse. Log lines go to
/// `Log` ("Не понятная команда: ...", "Ошибка обработки скрипта:" before a
/// parse failure). A failure of the parse or of a command propagates with
/// nothing of the batch appended.
void ReadBatch(TConvertCore& Core, TCompileFrame Frame, std::vector<std::string>& Lines,
               const std::vector<std::string>& SelectedTypes, bool Convert, std::vector<TBatchObject>& Objects,
               const std::function<void(const std::string&)>& Log);

/// Whether `TypeName` (upper case) is one of `Types`.
bool IsTypeIn(const std::vector<std::string>& Types, const std::string& TypeName);

/// The stored text of script lines: joined by CR LF, blanks and line ends
/// around trimmed.
std::string StoredText(const std::vector<std::string>& Lines);

}  // namespace ambrix
