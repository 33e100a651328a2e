#include "conversion/analizer_object.h"

#include "text/string_helpers.h"

namespace ambrix {

void TAnalizerObject::GetDropScript(const std::string&, const std::string&, std::vector<std::string>&) {}

void TAnalizerObject::CheckAlarms(const std::string&, const std::string&, TParserWordList&, TAlarmList&) {}

const TConvertContext& TAnalizerObject::Context() const {
  if (owner_ == nullptr) throw Error("Анализатор обьектов не зарегистрирован");
  return owner_->Context();
}

int TAnalizerObjectList::IndexOfTypeName(int StartIndex, const std::string& TypeName) const {
  const std::string wanted = UpperTrim(TypeName);
  if (StartIndex < 0) StartIndex = 0;
  for (int i = StartIndex; i < Count(); ++i)
    if (UpperTrim(items_[static_cast<size_t>(i)]->GetTypeName()) == wanted) return i;
  return -1;
}

void TAnalizerObjectList::BeginCompileAll() {
  for (auto& analizer : items_) analizer->BeginCompile();
}

void TAnalizerObjectList::EndCompileAll() {
  for (auto& analizer : items_) analizer->EndCompile();
}

}  // namespace ambrix
