#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text/text_point.h"

namespace ambrix {

/// One word of a split batch.
struct TTextWord {
  int Line = 0;          ///< index of the word's line, from 0
  int Col = 0;           ///< column of the first character, from 1 (characters)
  int Length = 0;        ///< length of `Text` in characters
  /// The word as written (source letter case). Views the list's own copy of
  /// the text: valid until the list is parsed again or cleared.
  std::string_view Text;

  int LastCol() const { return Col + Length - 1; }
  TTextPoint StartPoint() const { return {Line, Col}; }
  TTextPoint EndPoint() const { return {Line, LastCol()}; }
  /// True when `next` stands on the same line directly after this word
  /// (nothing, not even a blank, between them).
  bool Touches(const TTextWord& next) const { return next.Line == Line && next.Col == LastCol() + 1; }
};

/// The words of one batch in reading order, split at blanks and at the
/// separator strings the caller puts into `Separators`.
class TTextWordList {
 public:
  TTextWordList() = default;
  TTextWordList(const TTextWordList&) = delete;
  TTextWordList& operator=(const TTextWordList&) = delete;

  /// Separator strings; `Parse` trims, upper-cases, sorts them (a string
  /// before every proper prefix of itself) and drops blank ones.
  std::vector<std::string> Separators;
  /// Empties the list and splits `lines` into words. Changes `lines`: an item
  /// holding line breaks (CR LF, CR or LF) is split into separate lines.
  /// Columns count characters of the split lines, a tab `kTabSize`.
  void Parse(std::vector<std::string>& lines);
  /// `Parse` with `separators` in place of `Separators`, which stays as it
  /// is; for a caller that splits many batches with one separator list.
  void Parse(std::vector<std::string>& lines, const std::vector<std::string>& separators);

  int Count() const { return static_cast<int>(words_.size()); }
  /// Word `i` (0 <= i < Count()), made from the compact form the list keeps.
  TTextWord Words(int i) const {
    const Packed& w = At(static_cast<std::size_t>(i));
    TTextWord word;
    word.Line = w.line;
    word.Col = w.col;
    word.Text = std::string_view(text_.data() + w.offset, w.size & kSizeMask);
    word.Length = (w.size & kAsciiBit) ? static_cast<int>(w.size & kSizeMask) : CharCount(word.Text);
    return word;
  }
  /// The text of word `i` alone (cheaper than `Words(i).Text`).
  std::string_view Text(int i) const {
    const Packed& w = At(static_cast<std::size_t>(i));
    return std::string_view(text_.data() + w.offset, w.size & kSizeMask);
  }
  /// Empties the list; the room of a very large batch goes back.
  void Clear();

  /// The texts of at most `count` words from `start` on, joined by single
  /// spaces; empty when `start` is past the end or `count` <= 0.
  std::string JoinWords(int start, int count) const;

  /// The words `fromIndex`..`toIndex` with their source gaps and line breaks
  /// (CR LF between lines), starting with the first word itself and ending with
  /// the blanks up to the next word on the last word's line. Expects
  /// 0 <= fromIndex <= toIndex < Count().
  std::string RebuildText(int fromIndex, int toIndex) const;
  /// `RebuildText` written into `out` (emptied first), which keeps its room.
  void RebuildText(int fromIndex, int toIndex, std::string& out) const;

  /// The source exactly as written between word `afterWord` and word
  /// `beforeWord` (a later word), blanks, tabs and empty lines included, lines
  /// joined by CR LF; with `beforeWord` < 0, the rest of `afterWord`'s line.
  void SourceBetween(int afterWord, int beforeWord, std::string& out) const;

  /// True when word `i` is the last word or the next word stands on a later line.
  bool IsLastOnLine(int i) const;

 private:
  // The separators in the order they are tried, grouped by the byte a match
  // can start with (the first byte of the separator and of its first
  // character's lower-case form). Rebuilt only when `Separators` changes
  // between parses.
  struct SeparatorIndex {
    std::vector<std::string> source;  // `Separators` as the index was built from
    std::vector<std::string> normal;  // trimmed, upper case, sorted, no blanks
    std::array<std::uint32_t, 257> first{};  // byte b: candidates[first[b] .. first[b + 1])
    std::vector<const std::string*> candidates;
    // What each byte does to the word being read (ByteKind), made with the
    // index rather than at every parse.
    std::array<unsigned char, 256> kind{};
    bool built = false;  // false until the first parse builds the index
  };
  void PrepareSeparators(const std::vector<std::string>& separators);

  // A word as the list keeps it: a batch of data statements has a word in
  // every three bytes or so, and these stay for the whole parse.
  struct Packed {
    std::uint32_t offset;  // of the text in text_
    std::uint32_t size;    // bytes of the text; kAsciiBit: all of them ASCII
    std::int32_t line;
    std::int32_t col;
  };
  static constexpr std::uint32_t kAsciiBit = 0x80000000u;
  static constexpr std::uint32_t kSizeMask = 0x7FFFFFFFu;
  // Room kept for the next batch after Clear: about four megabytes.
  static constexpr std::size_t kKeptWords = std::size_t{1} << 18;
  static int CharCount(std::string_view text);
  const Packed& At(std::size_t i) const { return words_[i]; }

  std::vector<Packed> words_;
  std::string text_;  // the lines the words view, one after another
  std::vector<std::size_t> lineStarts_;  // where each line starts in text_, and the end
  SeparatorIndex separators_;
};

}  // namespace ambrix
