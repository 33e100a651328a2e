#pragma once

#include <memory>
#include <string>
#include <vector>

#include "text/text_point.h"

namespace ambrix {

/// One warning about a converted object, tied to a word of its printed
/// destination script.
class TAlarmObject {
 public:
  /// `Pos` is the word's place in the printed destination script: line and
  /// column both counted from 1 (characters, not bytes).
  TAlarmObject(const std::string& VarName, const std::string& Word, TTextPoint Pos);

  std::string Word;     ///< the text the warning is about, as shown to the user
  int NumLine = 0;      ///< line in the destination script, from 1
  int NumPos = 0;       ///< column in that line, from 1
  std::string VarName;  ///< the alarm kind: key of an alarm row of the dialect
};

/// The alarms of one object, in the order they were raised. Owns them.
class TAlarmList {
 public:
  TAlarmObject& AddAlarm(const std::string& VarName, const std::string& Word, TTextPoint Pos);
  TAlarmObject& Items(int Index) const { return *items_.at(static_cast<size_t>(Index)); }
  int Count() const { return static_cast<int>(items_.size()); }
  void Clear() { items_.clear(); }

 private:
  std::vector<std::unique_ptr<TAlarmObject>> items_;
};

}  // namespace ambrix
