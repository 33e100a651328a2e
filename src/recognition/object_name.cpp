#include "recognition/object_name.h"

#include <vector>

#include "parser/parser_text_word_list.h"  // completes parser_word_list.h
#include "parser/parser_word_list.h"
#include "text/error.h"
#include "text/string_helpers.h"

namespace ambrix {

namespace {

constexpr const char* kNameError = "Не возможно проанализировать имя ";

const std::vector<std::string> kCommentTypes{"#COMMENT#"};

bool IsObjectDiv(const TParserWord& word) { return word.TypeName() == "OBJECT_DIV"; }

// The text of one name part: a plain word as written, a delimited name
// without its delimiters, its doubled closers read as one ([a]]b] is a]b;
// empty for [] or ""); anything else is no name.
std::string NamePartText(const TParserWord& word) {
  if (word.Term->Kind == tkText) return word.Text();
  if (word.TypeName() == "OBJECT_NAME") {
    if (word.Children == nullptr || word.Children->Empty()) return std::string();
    return Undoubled(word.Children->Words(0)->Text(), word.Term->EndText());
  }
  throw Error(kNameError);
}

}  // namespace

TObjectName SplitObjectName(const TParserWordList& words, int index) {
  TObjectName name;
  const int first = index < 0 ? -1 : words.IndexOfNotType(index, kCommentTypes);
  if (first < 0) throw Error(kNameError);
  name.NameIndex = first;

  // Walk part, separator, part, ...: a separator right after a separator
  // stands for an empty part, as in db..t.
  std::vector<std::string> parts;
  int i = first;
  parts.push_back(NamePartText(*words.Words(i)));
  while (i + 1 < words.Count() && IsObjectDiv(*words.Words(i + 1))) {
    ++i;  // the separator
    if (i + 1 >= words.Count()) throw Error(kNameError);
    if (IsObjectDiv(*words.Words(i + 1))) {
      parts.emplace_back();
      continue;
    }
    ++i;
    parts.push_back(NamePartText(*words.Words(i)));
  }
  if (parts.size() > name.Parts.size()) throw Error(kNameError);

  const size_t offset = name.Parts.size() - parts.size();
  for (size_t k = 0; k < parts.size(); ++k) name.Parts[offset + k] = std::move(parts[k]);
  name.LastIndex = i;
  return name;
}

std::string ParseObjectName(const TParserWordList& words, int index, int& lastIndex) {
  TObjectName name = SplitObjectName(words, index);
  if (name.Parts[3].empty()) throw Error(kNameError);
  lastIndex = name.LastIndex;
  return std::move(name.Parts[3]);
}

std::string ClearObjectName(std::string_view name) {
  const size_t dot = name.find('.');
  std::string bare(dot == std::string_view::npos ? name : name.substr(dot + 1));
  for (char& c : bare)
    if (c == '[' || c == ']' || c == '"') c = ' ';
  return std::string(Trim(bare));
}

}  // namespace ambrix
