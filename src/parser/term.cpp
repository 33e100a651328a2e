#include "parser/term.h"

#include <bit>
#include <cstring>

#include "text/error.h"
#include "text/text_point.h"
#include "text/utf8.h"

namespace ambrix {

TTermWords::TTermWords(std::vector<std::string> words) : size_(words.size()) {
  if (words.empty()) return;
  first_ = std::move(words.front());
  rest_.reserve(words.size() - 1);
  for (std::size_t i = 1; i < words.size(); ++i) rest_.push_back(std::move(words[i]));
}

TTextExtent ExtentOf(std::string_view text) {
  // One pass: the characters of the last line are counted while the line
  // ends are looked for. Eight bytes with no control character below 14
  // (tab, line feed, carriage return) are counted at once: every byte but a
  // continuation byte (10xxxxxx) is a character.
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  constexpr std::uint64_t kHigh = 0x8080808080808080ULL;
  TTextExtent extent;
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (i + 8 <= n) {
      std::uint64_t w;
      std::memcpy(&w, text.data() + i, 8);
      if (((w - kOnes * 14) & ~w & kHigh) == 0) {
        const std::uint64_t continuation = w & ~(w << 1) & kHigh;
        extent.lastLineChars += 8 - std::popcount(continuation);
        i += 7;
        continue;
      }
    }
    const auto c = static_cast<unsigned char>(text[i]);
    if (c != '\r' && c != '\n') {
      // A raw text keeps its tabs; the columns count them as the source did.
      extent.lastLineChars += c == '\t' ? kTabSize : (c & 0xC0) != 0x80;
      continue;
    }
    if (c == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
    ++extent.lineBreaks;
    extent.lastLineChars = 0;
  }
  return extent;
}

struct TTerm::Parts {
  TTermWords startWords;
  TTermWords endWords;
  TTermKind kind;
  bool isWord;
  std::string typeName;
  bool nested;
  TCharClasses ignoreNear;
  TCaseStyle caseStyle;
  std::vector<std::string> tags;
};

namespace {

std::vector<std::string> WordsOf(std::string_view text) {
  std::vector<std::string> words;
  SplitWords(1, static_cast<int>(Utf8Length(text)), text, words);
  return words;
}

std::string ApplyCaseStyle(const std::string& text, TCaseStyle style) {
  if (text.empty() || text == kEndOfLine) return {};
  std::string r = text;
  switch (style) {
    case csUpper:
      UpperCaseInPlace(r);
      break;
    case csCapitalized: {
      LowerCaseInPlace(r);
      UpperCaseCharAt(r, 0);
      break;
    }
    case csLower:
      LowerCaseInPlace(r);
      break;
    case csFirstLower:
      UpperCaseInPlace(r);
      LowerCaseCharAt(r, 0);
      break;
    default:
      break;
  }
  return r;
}

}  // namespace

TTerm::TTerm(TTermKind kind, std::string_view typeName, std::string_view startWord, std::string_view endWord,
             bool isWord, bool nested, TCharClasses ignoreNear, TCaseStyle caseStyle,
             const std::vector<std::string>* tags)
    : TTerm([&] {
        Parts p;
        p.kind = kind;
        p.typeName = UpperTrim(typeName);
        p.isWord = isWord;
        p.caseStyle = caseStyle;
        std::string start(startWord);
        std::string end(endWord);
        if (kind == tkDefined) {
          start = UpperTrim(start);
          if (end != kEndOfLine) end = UpperTrim(end);
          if (end.empty() || end == kEndOfLine) nested = false;
        } else {
          nested = false;
        }
        if (start.empty()) throw Error("Неверные параметры разделителя");
        if (kind == tkText) {
          p.startWords = TTermWords(std::move(start));
          p.endWords = TTermWords(std::move(end));
        } else {
          p.startWords = TTermWords(WordsOf(start));
          if (p.startWords.empty()) throw Error("Неверные параметры разделителя");
          if (end == kEndOfLine) {
            p.endWords = TTermWords(std::move(end));
          } else if (!end.empty()) {
            p.endWords = TTermWords(WordsOf(end));
          }
        }
        p.nested = nested;
        p.ignoreNear = ignoreNear;
        if (ignoreNear != 0 && (p.startWords.size() > 1 || !p.endWords.empty())) {
          throw Error("Неверный параметр игнорирования");
        }
        if (tags) p.tags = *tags;
        return p;
      }()) {}

TTerm::TTerm(Parts&& parts)
    : StartWords(std::move(parts.startWords)),
      EndWords(std::move(parts.endWords)),
      Kind(parts.kind),
      IsWord(parts.isWord),
      TypeName(std::move(parts.typeName)),
      Nested(parts.nested),
      IgnoreNear(parts.ignoreNear),
      CaseStyle(parts.caseStyle),
      Tags(std::move(parts.tags)) {
  auto join = [](const TTermWords& words) {
    std::string r;
    for (const auto& w : words) {
      if (!r.empty()) r.push_back(' ');
      r += w;
    }
    return r;
  };
  if (Kind != tkText) {
    startText_ = join(StartWords);
    endText_ = join(EndWords);
  }
  formattedStart_ = ApplyCaseStyle(StartText(), CaseStyle);
  formattedEnd_ = ApplyCaseStyle(EndText(), CaseStyle);
  startKey_ = CaseFoldKey(StartText());
  firstWordKey_ = CaseFoldKey(StartWords.front());
  typeKey_ = CaseFoldKey(TypeName);
  startExtent_ = ExtentOf(FormattedStartText());
  endExtent_ = ExtentOf(FormattedEndText());
}

namespace {
std::string_view CheckedText(std::string_view text) {
  if (text.empty()) throw Error("Неверные параметры разделителя");
  return text;
}
}  // namespace

TTerm::TTerm(PlainText, std::string_view text)
    : StartWords(std::string(CheckedText(text))),
      EndWords(std::string()),
      Kind(tkText),
      IsWord(true),
      TypeName("#KEYWORD#"),
      Nested(false),
      IgnoreNear(0),
      CaseStyle(csAsIs),
      plain_(true) {
  static const std::uint32_t keywordKey = CaseFoldKey("#KEYWORD#");
  startKey_ = firstWordKey_ = CaseFoldKey(StartWords.front());
  typeKey_ = keywordKey;
  startExtent_ = ExtentOf(StartWords.front());
}

std::unique_ptr<TTerm> TTerm::MakeText(std::string_view text) { return std::make_unique<TTerm>(PlainText{}, text); }

std::unique_ptr<TTerm> TTerm::MakeListItem() {
  return std::make_unique<TTerm>(tkListItem, "#LIST#", "ITEM", "", false, false, 0, csAsIs);
}

TTerm* TTerm::SharedListItem() {
  static const std::unique_ptr<TTerm> item = MakeListItem();
  return item.get();
}

std::unique_ptr<TTerm> TTerm::Clone() const {
  return std::make_unique<TTerm>(Kind, TypeName, StartText(), EndText(), IsWord, Nested, IgnoreNear, CaseStyle,
                                 &Tags);
}

// A plain word prints as written; its end text is empty.
const std::string& TTerm::FormattedStartText() const { return plain_ ? StartWords.front() : formattedStart_; }
const std::string& TTerm::FormattedEndText() const { return plain_ ? EndWords.front() : formattedEnd_; }

bool TTerm::HasTag(std::string_view tag) const {
  const std::string_view key = Trim(tag);
  for (const auto& t : Tags) {
    if (SameText(Trim(t), key)) return true;
  }
  return false;
}

}  // namespace ambrix
