#pragma once

#include <functional>
#include <string>
#include <vector>

namespace ambrix {

class TAnalizerObjectList;
class TAlarmList;
class TParserWordList;

/// Where one object's conversion runs: alone (the analyzer's BeginCompile and
/// EndCompile frame it) or inside a whole compilation run (the caller framed
/// the run with BeginCompileAll / EndCompileAll).
enum class TCompileFrame { SingleObject, WholeRun };

/// Converts one object with the analyzer registered for its type. This is the
/// one place that fixes the calling order; the driver and the tests call it.
///
///  1. empties DestLines, DropLines and Alarms;
///  2. finds the analyzer by `TypeName` (trimmed, case ignored); without one
///     nothing else happens and the result is false;
///  3. creates or empties the editable text of `Words`;
///  4. BeginCompile (single object only);
///  5. Convert, then prints the editable text into DestLines, then
///     CheckAlarms, then the warnings the rules tied to words of the text
///     (ReportAlarmMarks), then GetDropScript;
///  6. EndCompile (single object only), also when step 5 raised; the
///     exception then goes on to the caller, with the three outputs emptied;
///  7. logs "Скомпилирован обьект [" + ObjectName + "]" through `Log`, when given.
///
/// `Words` is the parse result of the object's stored source text.
/// `ParentTypeName` is the type object name of the parent (a trigger or an
/// index may stand on a view), upper case; empty when not known.
bool ConvertObject(TAnalizerObjectList& Analizers, const std::string& TypeName,
                   const std::string& ParentName, const std::string& ObjectName,
                   TParserWordList& Words, std::vector<std::string>& DestLines,
                   std::vector<std::string>& DropLines, TAlarmList& Alarms,
                   TCompileFrame Frame = TCompileFrame::SingleObject,
                   const std::function<void(const std::string&)>& Log = {},
                   const std::string& ParentTypeName = {});

/// Appends an alarm for every mark the rules tied to the editable text of
/// `Words` (TParserTextWordList::AlarmMarks), at the place where its word was
/// last printed, in the order of those places (a mark whose word is gone
/// stands after the last word). Nothing when the text has no marks.
void ReportAlarmMarks(TParserWordList& Words, TAlarmList& Alarms);

}  // namespace ambrix
