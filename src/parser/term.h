#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "text/string_helpers.h"

namespace ambrix {

/// What a term stands for.
enum TTermKind : std::uint8_t {
  tkText = 0,      ///< a plain word or raw text made by the parser; its text is the start word
  tkDefined = 1,   ///< a reserved word or delimiter of the dialect, registered in a term list
  tkListItem = 2,  ///< an item made by a list split (type "#LIST#", start word "ITEM")
};

/// How a term's start and end texts are printed. Any value outside the list
/// prints unchanged.
enum TCaseStyle : std::uint8_t {
  csAsIs = 0,
  csUpper = 1,
  csCapitalized = 2,  ///< first character upper case, the rest lower case
  csLower = 3,
  csFirstLower = 4,   ///< first character lower case, the rest upper case
};

/// The end word of a term that ends at the end of its line (a line comment):
/// the single character with code 0.
inline constexpr std::string_view kEndOfLine{"\0", 1};

/// One reserved word or delimiter of the source dialect, or a plain word or
/// list item made by the parser. Immutable once created.
class TTerm {
 public:
  /// Builds and validates a term. For `tkDefined` the start and end words are
  /// trimmed and upper-cased (an end word of `kEndOfLine` is kept as it is)
  /// and split at blanks; for `tkText` both are kept as given, one item each.
  /// Raises "Неверные параметры разделителя" for an empty start word and
  /// "Неверный параметр игнорирования" when `ignoreNear` is set on a term of
  /// several start words or with end words. `Nested` is forced false without
  /// an end sequence, for a line comment and for kinds other than `tkDefined`.
  TTerm(TTermKind kind, std::string_view typeName, std::string_view startWord, std::string_view endWord,
        bool isWord, bool nested, TCharClasses ignoreNear, TCaseStyle caseStyle,
        const std::vector<std::string>* tags = nullptr);

  TTerm(const TTerm&) = delete;
  TTerm& operator=(const TTerm&) = delete;

  /// A plain word or raw text: `tkText`, type "#KEYWORD#", `IsWord` true.
  static std::unique_ptr<TTerm> MakeText(std::string_view text);
  /// A list item: `tkListItem`, type "#LIST#", start word "ITEM".
  static std::unique_ptr<TTerm> MakeListItem();

  /// A new term built from this one's kind, type, start and end texts, flags
  /// and tags.
  std::unique_ptr<TTerm> Clone() const;

  /// Start words joined by single spaces (`tkDefined`: upper case); for the
  /// other kinds the single start word unchanged.
  const std::string& StartText() const { return startText_; }
  /// End words joined by single spaces; empty when there are none;
  /// `kEndOfLine` for a line comment.
  const std::string& EndText() const { return endText_; }
  /// The texts with `CaseStyle` applied; empty and `kEndOfLine` print empty.
  std::string FormattedStartText() const;
  std::string FormattedEndText() const;

  /// True when the term has an end sequence that is not the end of the line.
  bool HasEndText() const { return !endText_.empty() && endText_ != kEndOfLine; }
  /// True for a term that ends at the end of the line (a line comment).
  bool EndsAtLineEnd() const { return endText_ == kEndOfLine; }
  /// True when `tag` is one of `Tags`, letter case ignored.
  bool HasTag(std::string_view tag) const;

 private:
  struct Parts;
  explicit TTerm(Parts&& parts);

 public:
  const std::vector<std::string> StartWords;  ///< the start sequence, in order
  const std::vector<std::string> EndWords;    ///< the end sequence; empty without one
  const TTermKind Kind;
  /// true: recognised as whole words only; false: start and end words split
  /// text wherever they occur (they become separators).
  const bool IsWord;
  const std::string TypeName;  ///< trimmed, upper case ("OBJECT_DIV", "#COMMENT#", ...)
  /// true: other terms are recognised between start and end; false: raw interior.
  const bool Nested;
  /// 0, or the exact class set of a touching neighbour word that cancels the term.
  const TCharClasses IgnoreNear;
  const TCaseStyle CaseStyle;
  const std::vector<std::string> Tags;  ///< "main" or "child" for registered terms

 private:
  std::string startText_;
  std::string endText_;
};

}  // namespace ambrix
