#include "conversion/convert_object.h"

#include "conversion/alarm_object.h"
#include "conversion/analizer_object.h"
#include "parser/parser_text_word_list.h"
#include "parser/parser_word_list.h"

namespace ambrix {

bool ConvertObject(TAnalizerObjectList& Analizers, const std::string& TypeName,
                   const std::string& ParentName, const std::string& ObjectName,
                   TParserWordList& Words, std::vector<std::string>& DestLines,
                   std::vector<std::string>& DropLines, TAlarmList& Alarms, TCompileFrame Frame,
                   const std::function<void(const std::string&)>& Log) {
  DestLines.clear();
  DropLines.clear();
  Alarms.Clear();
  const int index = Analizers.IndexOfTypeName(0, TypeName);
  if (index < 0) return false;
  TAnalizerObject& analizer = Analizers.Items(index);

  Words.EnsureTextList();
  const bool single = Frame == TCompileFrame::SingleObject;
  if (single) analizer.BeginCompile();
  try {
    analizer.Convert(ParentName, ObjectName, Words);
    Words.RootTextList()->PrintAll(DestLines);
    analizer.CheckAlarms(ParentName, ObjectName, Words, Alarms);
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

}  // namespace ambrix
