#include "rewriting/ddl_words.h"

#include "parser/parser_text_word_list.h"
#include "rewriting/rule_conventions.h"

namespace ambrix {

// The index of the first word of `List` that is `Upper`; -1 if none.
int FindWord(TParserWordList& List, std::string_view Upper, int From) {
  for (int i = From < 0 ? 0 : From; i < List.Count(); ++i)
    if (IsWord(*List[i], Upper)) return i;
  return -1;
}

bool IsBlock(const TConvertContext& Context, const TParserWord& Word) {
  return Word.Term == Context.BlockTerm && Word.Children != nullptr;
}

int Next(const TConvertContext& Context, TParserWordList& List, int Index) {
  return Index < 0 ? -1 : NextSignificant(Context, List, Index);
}

// A name or a type as written: the text inside brackets or quotes.
std::string NameText(const TParserWord& Word) {
  return IsType(Word, "OBJECT_NAME") ? FirstChildText(Word) : WordText(Word);
}

// The text words First..Last as they print on one line.
std::string PrintedOnOneLine(TParserTextWord* First, TParserTextWord* Last) {
  std::string text;
  for (TParserTextWord* word = First; word != nullptr; word = word->NextWord()) {
    if (!text.empty() && (word->Spaces > 0 || word->LineBreaks > 0)) text += ' ';
    text += word->Text;
    if (word == Last) break;
  }
  return text;
}

}  // namespace ambrix
