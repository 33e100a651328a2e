#include "conversion/convert_object.h"

#include <algorithm>

#include "conversion/alarm_object.h"
#include "conversion/analizer_object.h"
#include "parser/parser_text_word_list.h"
#include "parser/parser_word_list.h"
#include "text/string_helpers.h"

namespace ambrix {

bool ConvertObject(TAnalizerObjectList& Analizers, const std::string& TypeName,
                   const std::string& ParentName, const std::string& ObjectName,
                   TParserWordList& Words, std::vector<std::string>& DestLines,
                   std::vector<std::string>& DropLines, TAlarmList& Alarms, TCompileFrame Frame,
                   const std::function<void(const std::string&)>& Log, const std::string& ParentTypeName) {
  DestLines.clear();
  DropLines.clear();
  Alarms.Clear();
  const int index = Analizers.IndexOfTypeName(0, TypeName);
  if (index < 0) return false;
  TAnalizerObject& analizer = Analizers.Items(index);

  Words.EnsureTextList();
  analizer.SetParentTypeName(UpperTrim(ParentTypeName));
  const bool single = Frame == TCompileFrame::SingleObject;
  if (single) analizer.BeginCompile();
  try {
    analizer.Convert(ParentName, ObjectName, Words);
    Words.RootTextList()->PrintAll(DestLines);
    analizer.CheckAlarms(ParentName, ObjectName, Words, Alarms);
    ReportAlarmMarks(Words, Alarms);
    analizer.GetDropScript(ParentName, ObjectName, DropLines);
  } catch (...) {
    // A failed conversion leaves no half results for the caller to store.
    DestLines.clear();
    DropLines.clear();
    Alarms.Clear();
    if (single) analizer.EndCompile();
    throw;
  }
  if (single) analizer.EndCompile();

  if (Log) Log("Скомпилирован обьект [" + ObjectName + "]");
  return true;
}

void ReportAlarmMarks(TParserWordList& Words, TAlarmList& Alarms) {
  TParserTextWordList* text = Words.RootTextList();
  if (text == nullptr || text->AlarmMarks.empty()) return;
  struct Placed {
    TTextPoint Pos;
    const TAlarmMark* Mark;
  };
  std::vector<Placed> placed;
  placed.reserve(text->AlarmMarks.size());
  const TParserTextWord* last = text->Last();
  for (const TAlarmMark& mark : text->AlarmMarks) {
    const TParserTextWord* at = mark.At ? mark.At : last;
    TTextPoint pos{1, 1};
    if (at) pos = {at->OutLine, at->OutCol};
    placed.push_back({pos, &mark});
  }
  std::stable_sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) {
    return a.Pos.Line != b.Pos.Line ? a.Pos.Line < b.Pos.Line : a.Pos.Col < b.Pos.Col;
  });
  for (const Placed& p : placed) Alarms.AddAlarm(p.Mark->VarName, p.Mark->Word, p.Pos);
}

}  // namespace ambrix
