#pragma once

#include <memory>
#include <string>
#include <vector>

#include "parser/parser_word_list.h"
#include "parser/term_list.h"
#include "text/text_word_list.h"

namespace ambrix {

/// Turns the lines of a batch into a nested parse result, driven by a term
/// list. Reusable; keeps nothing between parses.
class TParser {
 public:
  /// The term list of the running parse; set only during `Parse`.
  TTermList* Terms = nullptr;
  /// The split words of the running parse; set only during `Parse`.
  TTextWordList* Words = nullptr;

  /// Empties `result` and fills it with the parse of `lines` (whose tabs become
  /// two spaces and whose items holding line breaks are split). A delimiter
  /// whose end sequence is missing raises "Ошибка вложений разделителя: "
  /// followed by line:column (line from 0, column from 1) of the first word
  /// after its start sequence; `result` is then partly filled.
  void Parse(std::vector<std::string>& lines, TTermList& terms, TParserWordList& result);

 private:
  struct Found {
    int term = -1;      // index in Terms, -1: none
    int lastWord = -1;  // last word of the start sequence
  };
  Found FindTerm(int i);
  void ParseWords(TParserWordList& result);
  void FlushPending(std::vector<int>& pending, TParserWordList& target) const;
  void FlushRaw(int first, int last, TParserWordList& target) const;

  std::unique_ptr<TTextWordList> wordStore_;  // reused between parses
  std::string upperWord_;                     // scratch for term look-ups
  std::vector<std::string> joined_;           // scratch for multi-word look-ups
  std::vector<int> pending_;                  // words waiting to become plain nodes
};

}  // namespace ambrix
