#include "recognition/command.h"

#include "parser/parser_text_word_list.h"  // completes parser_word_list.h
#include "parser/parser_word_list.h"
#include "parser/term_list.h"
#include "recognition/object_name.h"

namespace ambrix {

const TConvertContext& TCommandDML::Context() const { return owner_->Context(); }

TTerm* TCommandDML::FindKeyTerm(std::string_view startWords, std::string_view message) const {
  const TTermList* terms = Context().Terms;
  const int index = terms == nullptr ? -1 : terms->IndexOfStart(startWords);
  if (index < 0) throw Error(std::string(message));
  return terms->Items(index);
}

bool TCommandDML::Execute(const std::vector<std::string>& lines, const TParserWordList& words,
                          TSQLObjectList& objects) {
  const int keyIndex = words.IndexOfType(0, "DML");
  if (keyIndex < 0 || words.Words(keyIndex)->Term != keyTerm_) return false;
  const int index = words.IndexOfNotType(keyIndex + 1, {Context().CommentTermName});
  ParseCommand(index, lines, words, objects);
  return true;
}

void TCommandDMLName::ParseCommand(int index, const std::vector<std::string>& lines,
                                   const TParserWordList& words, TSQLObjectList& objects) {
  int lastIndex = -1;
  std::string name = ParseObjectName(words, index, lastIndex);
  std::string parent = GetParentName(lastIndex + 1, lines, words);
  std::vector<std::string> script;
  if (!GetObjectScript(lastIndex + 1, lines, words, script)) script = lines;
  objects.AddObject(GetTypeName(), std::move(name), std::move(parent), std::move(script));
}

std::string TCommandDMLName::GetParentName(int, const std::vector<std::string>&,
                                           const TParserWordList&) {
  return std::string();
}

bool TCommandDMLName::GetObjectScript(int, const std::vector<std::string>&, const TParserWordList&,
                                      std::vector<std::string>&) {
  return false;
}

int TCommandList::IndexOfKeyTerm(const TTerm* term) const {
  if (term == nullptr) return -1;
  for (int i = 0; i < Count(); ++i)
    if (commands_[static_cast<size_t>(i)]->KeyTerm() == term) return i;
  return -1;
}

}  // namespace ambrix
