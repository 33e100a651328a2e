#include "conversion/analizer_object.h"

#include "parser/parser_text_word_list.h"
#include "parser/parser_word_list.h"
#include "rewriting/rule_conventions.h"
#include "text/string_helpers.h"
#include "text/utf8.h"

namespace ambrix {

void TAnalizerObject::GetDropScript(const std::string&, const std::string&, std::vector<std::string>&) {}

void TAnalizerObject::CheckAlarms(const std::string&, const std::string&, TParserWordList&, TAlarmList&) {}

TParserTextWord* BreakCommentMarks(TParserTextWord& From) {
  TParserTextWord* changed = nullptr;
  for (TParserTextWord* word = &From; word != nullptr; word = word->NextWord()) {
    bool change = false;
    for (std::size_t at = 0; (at = word->Text.find_first_of("*/", at)) != std::string::npos; ++at) {
      if (at + 1 < word->Text.size() && (word->Text[at + 1] == '*' || word->Text[at + 1] == '/') &&
          word->Text[at + 1] != word->Text[at]) {
        word->Text.insert(at + 1, " ");
        change = true;
      }
    }
    TParserTextWord* next = word->NextWord();
    if (next != nullptr && !word->Text.empty() && !next->Text.empty() && next->LineBreaks <= 0 &&
        next->Spaces <= 0) {
      const char a = word->Text.back();
      const char b = next->Text.front();
      if ((a == '*' && b == '/') || (a == '/' && b == '*')) {
        next->Spaces = 1;
        change = true;
      }
    }
    if (change && changed == nullptr) changed = word;
  }
  return changed;
}

void CommentOutStatement(TParserWordList& Words) {
  Words.BuildText(2);
  TParserTextWord* first = FirstTextWord(Words);
  TParserTextWord* changed = first != nullptr ? BreakCommentMarks(*first) : nullptr;
  InsertTextBefore(Words, FirstTextWord(Words), "/*\r\n  -- нет поддержки !!!", 0, 0);
  AppendText(Words, "*/", 0, 1);
  if (changed != nullptr) MarkAlarm(Words, changed, "CommentedEndMark", "*/");
}

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
