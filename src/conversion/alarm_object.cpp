#include "conversion/alarm_object.h"

namespace ambrix {

TAlarmObject::TAlarmObject(const std::string& VarName, const std::string& Word, TTextPoint Pos)
    : Word(Word), NumLine(Pos.Line), NumPos(Pos.Col), VarName(VarName) {}

TAlarmObject& TAlarmList::AddAlarm(const std::string& VarName, const std::string& Word, TTextPoint Pos) {
  items_.push_back(std::make_unique<TAlarmObject>(VarName, Word, Pos));
  return *items_.back();
}

}  // namespace ambrix
