#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <iterator>
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

/// The words of a start or end sequence: a read-only sequence of strings used
/// like a std::vector<std::string> (size, empty, front, back, [], iteration,
/// comparison with a vector, conversion to one). Most sequences hold a single
/// word, which is stored without a heap allocation of its own.
class TTermWords {
 public:
  using value_type = std::string;
  using size_type = std::size_t;
  using reference = const std::string&;
  using const_reference = const std::string&;

  class const_iterator {
   public:
    using iterator_category = std::random_access_iterator_tag;
    using value_type = std::string;
    using difference_type = std::ptrdiff_t;
    using pointer = const std::string*;
    using reference = const std::string&;

    const_iterator() = default;
    const_iterator(const TTermWords* words, std::size_t index) : words_(words), index_(index) {}
    reference operator*() const { return (*words_)[index_]; }
    pointer operator->() const { return &(*words_)[index_]; }
    reference operator[](difference_type n) const { return (*words_)[index_ + static_cast<std::size_t>(n)]; }
    const_iterator& operator++() { ++index_; return *this; }
    const_iterator operator++(int) { auto old = *this; ++index_; return old; }
    const_iterator& operator--() { --index_; return *this; }
    const_iterator operator--(int) { auto old = *this; --index_; return old; }
    const_iterator& operator+=(difference_type n) { index_ += static_cast<std::size_t>(n); return *this; }
    const_iterator& operator-=(difference_type n) { index_ -= static_cast<std::size_t>(n); return *this; }
    friend const_iterator operator+(const_iterator it, difference_type n) { return it += n; }
    friend const_iterator operator+(difference_type n, const_iterator it) { return it += n; }
    friend const_iterator operator-(const_iterator it, difference_type n) { return it -= n; }
    friend difference_type operator-(const const_iterator& a, const const_iterator& b) {
      return static_cast<difference_type>(a.index_) - static_cast<difference_type>(b.index_);
    }
    friend bool operator==(const const_iterator& a, const const_iterator& b) { return a.index_ == b.index_; }
    friend auto operator<=>(const const_iterator& a, const const_iterator& b) { return a.index_ <=> b.index_; }

   private:
    const TTermWords* words_ = nullptr;
    std::size_t index_ = 0;
  };
  using iterator = const_iterator;

  TTermWords() = default;
  explicit TTermWords(std::vector<std::string> words);
  explicit TTermWords(std::string word) : first_(std::move(word)), size_(1) {}

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  const std::string& operator[](std::size_t i) const { return i == 0 ? first_ : rest_[i - 1]; }
  const std::string& front() const { return first_; }
  const std::string& back() const { return (*this)[size_ - 1]; }
  const_iterator begin() const { return {this, 0}; }
  const_iterator end() const { return {this, size_}; }
  std::vector<std::string> ToVector() const { return {begin(), end()}; }
  operator std::vector<std::string>() const { return ToVector(); }

  friend bool operator==(const TTermWords& a, const TTermWords& b) {
    return a.size_ == b.size_ && a.first_ == b.first_ && a.rest_ == b.rest_;
  }
  friend bool operator==(const TTermWords& a, const std::vector<std::string>& b) {
    if (a.size_ != b.size()) return false;
    for (std::size_t i = 0; i < b.size(); ++i) {
      if (a[i] != b[i]) return false;
    }
    return true;
  }

 private:
  std::string first_;
  std::vector<std::string> rest_;
  std::size_t size_ = 0;
};

/// The end word of a term that ends at the end of its line (a line comment):
/// the single character with code 0.
inline constexpr std::string_view kEndOfLine{"\0", 1};

/// How far a printed text reaches: the line breaks it holds (CR LF, CR or LF
/// each count once) and the characters after the last of them.
struct TTextExtent {
  int lineBreaks = 0;
  int lastLineChars = 0;
};

/// The extent of `text` (every byte but a UTF-8 continuation byte starts a
/// character).
TTextExtent ExtentOf(std::string_view text);

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

  /// A plain word or raw text, as `MakeText` builds it (a cheaper path for the
  /// parser, which makes one for every unrecognised word).
  struct PlainText {};
  TTerm(PlainText, std::string_view text);

  TTerm(const TTerm&) = delete;
  TTerm& operator=(const TTerm&) = delete;

  /// A plain word or raw text: `tkText`, type "#KEYWORD#", `IsWord` true.
  static std::unique_ptr<TTerm> MakeText(std::string_view text);
  /// A list item: `tkListItem`, type "#LIST#", start word "ITEM".
  static std::unique_ptr<TTerm> MakeListItem();
  /// The one list item term that list splits share: terms are immutable,
  /// and a split makes an item for every stretch of a list.
  static TTerm* SharedListItem();

  /// A new term built from this one's kind, type, start and end texts, flags
  /// and tags.
  std::unique_ptr<TTerm> Clone() const;

  /// Start words joined by single spaces (`tkDefined`: upper case); for the
  /// other kinds the single start word unchanged.
  const std::string& StartText() const { return Kind == tkText ? StartWords.front() : startText_; }
  /// End words joined by single spaces; empty when there are none;
  /// `kEndOfLine` for a line comment.
  const std::string& EndText() const { return Kind == tkText ? EndWords.front() : endText_; }
  /// The texts with `CaseStyle` applied; empty and `kEndOfLine` print empty.
  const std::string& FormattedStartText() const;
  const std::string& FormattedEndText() const;
  /// The extents of the formatted texts, measured once: every printed word
  /// of a parse result needs them.
  const TTextExtent& FormattedStartExtent() const { return startExtent_; }
  const TTextExtent& FormattedEndExtent() const { return endExtent_; }

  /// True when the term has an end sequence that is not the end of the line.
  bool HasEndText() const { return !EndText().empty() && EndText() != kEndOfLine; }
  /// True for a term that ends at the end of the line (a line comment).
  bool EndsAtLineEnd() const { return EndText() == kEndOfLine; }
  /// True when `tag` is one of `Tags`, letter case ignored.
  bool HasTag(std::string_view tag) const;

  /// CaseFoldKey of StartText(), of the first start word and of TypeName:
  /// searches compare these before the texts.
  std::uint32_t StartKey() const { return startKey_; }
  std::uint32_t FirstWordKey() const { return firstWordKey_; }
  std::uint32_t TypeKey() const { return typeKey_; }

 private:
  struct Parts;
  explicit TTerm(Parts&& parts);

 public:
  const TTermWords StartWords;  ///< the start sequence, in order
  const TTermWords EndWords;    ///< the end sequence; empty without one
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
  std::string startText_;  // joined start words (not used by tkText)
  std::string endText_;    // joined end words (not used by tkText)
  // The formatted texts of a registered term, made once: every printed word
  // of a parse result asks for them.
  std::string formattedStart_;
  std::string formattedEnd_;
  bool plain_ = false;  // made by the PlainText constructor: prints as written
  TTextExtent startExtent_;
  TTextExtent endExtent_;
  std::uint32_t startKey_ = 0;
  std::uint32_t firstWordKey_ = 0;
  std::uint32_t typeKey_ = 0;
};

}  // namespace ambrix
