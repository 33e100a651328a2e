#include "rewriting/word_span.h"

#include "parser/parser_text_word_list.h"
#include "parser/parser_word_list.h"

namespace ambrix {

bool IsStatementKeyword(const TParserWord& Word) {
  return Word.Term->Kind == tkDefined && Word.Term->HasTag("main");
}

TParserTextWord* FirstTextWordOf(const TParserWord& Word) {
  if (Word.StartTextWord) return Word.StartTextWord;
  if (Word.Children) {
    for (const TParserWord* child : *Word.Children)
      if (TParserTextWord* found = FirstTextWordOf(*child)) return found;
  }
  return Word.EndTextWord;
}

TParserTextWord* LastTextWordOf(const TParserWord& Word) {
  if (Word.EndTextWord) return Word.EndTextWord;
  if (Word.Children) {
    for (int i = Word.Children->Count() - 1; i >= 0; --i)
      if (TParserTextWord* found = LastTextWordOf(*Word.Children->Words(i))) return found;
  }
  return Word.StartTextWord;
}

TParserTextWord* FirstTextWordIn(const TParserWordList& List, int From, int To) {
  for (int i = From; i <= To; ++i)
    if (TParserTextWord* found = FirstTextWordOf(*List.Words(i))) return found;
  return nullptr;
}

TParserTextWord* LastTextWordIn(const TParserWordList& List, int From, int To) {
  for (int i = To; i >= From; --i)
    if (TParserTextWord* found = LastTextWordOf(*List.Words(i))) return found;
  return nullptr;
}

bool EndsLineComment(const TParserTextWord& Word) {
  const TParserWord* node = Word.ParserWord;
  if (node == nullptr || &Word != node->StartTextWord) return false;
  // The comment's own start word when nothing follows it on its line, or
  // the raw text that follows it.
  if (node->Term->EndsAtLineEnd()) return !node->Children || node->Children->Empty();
  const TParserWord* parent = node->Owner ? node->Owner->ParentWord : nullptr;
  return parent != nullptr && parent->Term->EndsAtLineEnd();
}

void KeepLineCommentsClosed(TParserTextWord& First, TParserTextWord& Last) {
  for (TParserTextWord* word = &First; word != nullptr; word = word->NextWord()) {
    TParserTextWord* next = word->NextWord();
    if (next != nullptr && next->LineBreaks <= 0 && EndsLineComment(*word)) next->LineBreaks = 1;
    if (word == &Last) break;
  }
}

}  // namespace ambrix
