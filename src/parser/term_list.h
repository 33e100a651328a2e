#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "parser/term.h"

namespace ambrix {

/// The registry of the terms of one dialect; owns its terms. Register every
/// term, then `Prepare` (the parser calls it at every parse). Sorting reorders
/// the terms, so keep term objects, not indexes.
/// The type of the comment terms (AddBlockComment, AddLineComment).
inline constexpr std::string_view kCommentTypeName = "#COMMENT#";

class TTermList {
 public:
  TTermList() = default;
  TTermList(const TTermList&) = delete;
  TTermList& operator=(const TTermList&) = delete;

  /// The list is sorted and `Separators` is up to date; cleared by every
  /// registration and by `Clear`.
  bool Prepared = false;
  /// Separator strings collected by `Prepare`.
  std::vector<std::string> Separators;

  /// Registers a `tkDefined` term with an end sequence (IgnoreNear 0) and
  /// returns its index. Raises "Разделитель уже зарегистрирован" when a term
  /// with the same start sequence exists, and the errors of `TTerm`.
  int AddDelimiter(std::string_view typeName, std::string_view startWord, std::string_view endWord,
                   bool isWord, bool nested, TCaseStyle caseStyle,
                   const std::vector<std::string>& tags = {});
  /// Registers a `tkDefined` term without end sequence.
  int AddWord(std::string_view typeName, std::string_view startWord, bool isWord,
              TCharClasses ignoreNear, TCaseStyle caseStyle, const std::vector<std::string>& tags = {});
  /// A `kCommentTypeName` delimiter, not nested, `csAsIs`.
  int AddBlockComment(std::string_view startWord, std::string_view endWord, bool isWord,
                      const std::vector<std::string>& tags = {});
  /// A "#COMMENT#" delimiter that ends at the end of the line.
  int AddLineComment(std::string_view startWord, bool isWord, const std::vector<std::string>& tags = {});

  int Count() const { return static_cast<int>(terms_.size()); }
  TTerm* Items(int i) const { return terms_[static_cast<std::size_t>(i)].get(); }

  /// The first term from `from` whose start words equal the blank-separated
  /// words of `text` (trimmed, upper-cased); -1 if none.
  int IndexOfStart(std::string_view text, int from = 0) const;
  /// The first term from `from` whose first start word equals `word` trimmed
  /// and upper-cased; -1 if none.
  int IndexOfFirstWord(std::string_view word, int from = 0) const;
  /// `IndexOfFirstWord` from 0 for a word already trimmed and upper-cased.
  int IndexOfFirstUpperWord(const std::string& upperWord) const;
  /// The first term from `from` whose `TypeName` equals `typeName` trimmed and
  /// upper-cased; -1 if none.
  int IndexOfType(std::string_view typeName, int from = 0) const;
  /// The first term of `IndexOfType`, or null.
  TTerm* FindType(std::string_view typeName) const;

  /// Sorts the terms by their start words so that terms sharing a first word
  /// stand together, longer sequences before their prefixes.
  void Sort();
  /// Sorts and collects `Separators` unless `Prepared`.
  void Prepare();
  /// Tells one preparation from any other of any list: it changes whenever
  /// Prepare does its work, so what was looked up in the list stays valid
  /// while it stays the same. 0 before the first preparation.
  std::uint64_t Preparation() const { return preparation_; }
  /// Frees all terms.
  void Clear();

 private:
  std::vector<std::unique_ptr<TTerm>> terms_;
  std::unordered_set<std::string> startTexts_;  // duplicate check at registration
  // After Prepare: first index of each first start word (terms sharing a first
  // word are adjacent once sorted).
  std::unordered_map<std::string, int> firstWordIndex_;
  std::uint64_t preparation_ = 0;

  int Register(std::unique_ptr<TTerm> term);
};

}  // namespace ambrix
