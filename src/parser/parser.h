#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "parser/parser_word_list.h"
#include "parser/term_list.h"
#include "text/text_word_list.h"

namespace ambrix {

class TParseArena;

/// Turns the lines of a batch into a nested parse result, driven by a term
/// list. Reusable; between parses it keeps only what it learnt of the term
/// list (see `known_`).
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

  /// How a batch starts: the term its first word opens (null: a plain word)
  /// and the index of that word's line.
  struct TLead {
    const TTerm* term = nullptr;
    int line = 0;
  };
  /// `Parse`, when `wanted` (null: always) says yes to the term the first
  /// word opens. When it says no, the words are only checked as `Parse`
  /// checks them (the same errors), `result` stays empty, `lead` (if given)
  /// tells how the batch starts, and the answer is false. A batch without
  /// words is parsed (empty) without asking.
  /// With `laterWanted`, a batch whose first word is not wanted is parsed all
  /// the same when that says yes to the term a later word of the top level
  /// opens (a statement that starts further on in the batch).
  bool ParseIfWanted(std::vector<std::string>& lines, TTermList& terms, TParserWordList& result,
                     const std::function<bool(const TTerm*)>& wanted, TLead* lead,
                     const std::function<bool(const TTerm*)>* laterWanted = nullptr);

 private:
  struct Found {
    int term = -1;      // index in Terms, -1: none
    int lastWord = -1;  // last word of the start sequence
  };
  // A text met in the running parse: a word, or words joined into one plain
  // node. Looked up by the exact text, so that the upper-casing, the term
  // look-up and the plain term are done once per distinct text.
  struct TextEntry {
    std::string_view text;  // views the split text or the plain term's own text
    std::uint64_t hash = 0;
    int firstTerm = -2;      // first term starting with the word; -1 none, -2 not looked up
    TTerm* plain = nullptr;  // the plain term of the text in the running result
  };
  struct Pending {
    int word;   // index in Words
    int entry;  // index in entries_
  };

  Found FindTerm(int i, int entry);
  /// Builds `result` (kBuild) or only checks the words. While checking,
  /// `watch` (if given) is asked about the terms of the top level until it
  /// says yes; the answer is the result.
  template <bool kBuild>
  bool ParseWords(TParserWordList& result, const std::function<bool(const TTerm*)>* watch = nullptr);
  void FlushPending(TParserWordList& target);
  void FlushRaw(int first, int last, TParserWordList& target);

  /// The entry of `text`, added (with `text` as its key) if new.
  int EntryOf(std::string_view text);
  /// The entry of `text` if there is one, -1 otherwise; `slot` is where the
  /// search ended (where a new entry goes).
  int FindEntry(std::string_view text, std::uint64_t hash, std::size_t& slot) const;
  int AddEntry(std::string_view text, std::uint64_t hash, std::size_t slot);
  void ResetEntries(int wordCount);
  /// The plain term of a text, made in the result's arena the first time.
  TTerm* PlainTermOf(int entry);
  TTerm* PlainTermOf(std::string_view text);

  std::unique_ptr<TTextWordList> wordStore_;  // reused between parses
  TParseArena* arena_ = nullptr;              // the running result's; set only during `Parse`
  std::string upperWord_;                     // scratch for term look-ups
  std::string scratch_;                       // scratch for joined words and raw texts
  std::string joined_;                        // scratch for multi-word look-ups
  std::vector<std::size_t> joinedEnds_;
  std::vector<Pending> pending_;              // words waiting to become plain nodes
  std::vector<TextEntry> entries_;
  std::vector<std::uint32_t> slots_;          // open addressing: entry index + 1, 0 empty

  // The first term of each word text met in earlier parses, while the term
  // list stays as it was prepared (`knownPreparation_`): a script repeats its
  // keywords and names from one object to the next, and upper-casing each one
  // for the term list's index was a good part of a parse. Emptied when full.
  struct KnownWord {
    std::uint64_t hash;
    std::uint32_t offset, size;  // the text in knownTexts_
    int firstTerm;               // -1: none
  };
  /// The first term of `text` remembered from an earlier parse; -2 if none is.
  int KnownFirstTerm(std::string_view text, std::uint64_t hash) const;
  void RememberFirstTerm(std::string_view text, std::uint64_t hash, int firstTerm);
  void ForgetKnownWords();
  void GrowKnownSlots();
  std::vector<KnownWord> known_;
  std::vector<std::uint32_t> knownSlots_;  // open addressing: index in known_ + 1, 0 empty
  std::string knownTexts_;
  std::uint64_t knownPreparation_ = 0;
};

}  // namespace ambrix
