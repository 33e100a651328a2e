#include "conversion/analizer_object.h"

#include "text/string_helpers.h"
#include "text/utf8.h"

namespace ambrix {

void TAnalizerObject::GetDropScript(const std::string&, const std::string&, std::vector<std::string>&) {}

void TAnalizerObject::CheckAlarms(const std::string&, const std::string&, TParserWordList&, TAlarmList&) {}

const TConvertContext& TAnalizerObject::Context() const {
  if (owner_ == nullptr) throw Error("Анализатор обьектов не зарегистрирован");
  return owner_->Context();
}

int TAnalizerObjectList::IndexOfTypeName(int StartIndex, const std::string& TypeName) const {
  const std::string_view wanted = Trim(TypeName);
  if (StartIndex < 0) StartIndex = 0;
  for (int i = StartIndex; i < Count(); ++i)
    if (EqualsUpper(wanted, typeNames_[static_cast<size_t>(i)])) return i;
  return -1;
}

void TAnalizerObjectList::BeginCompileAll() {
  for (auto& analizer : items_) analizer->BeginCompile();
}

void TAnalizerObjectList::EndCompileAll() {
  for (auto& analizer : items_) analizer->EndCompile();
}

}  // namespace ambrix
