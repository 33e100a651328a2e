#include "text/text_word_list.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "text/error.h"
#include "text/string_helpers.h"
#include "text/utf8.h"

namespace ambrix {

namespace {

bool HasAny(std::string_view s, bool tab) {
  // Most lines hold no control character at all: a scan eight bytes at a
  // time for bytes below 14 (tab 9, line feed 10, carriage return 13)
  // settles those.
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  constexpr std::uint64_t kHigh = 0x8080808080808080ULL;
  const char* p = s.data();
  std::size_t n = s.size();
  std::uint64_t low = 0;
  for (; n >= 8; p += 8, n -= 8) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    low |= (w - kOnes * 14) & ~w & kHigh;
  }
  for (; n > 0; ++p, --n) low |= static_cast<unsigned char>(*p) < 14;
  if (!low) return false;
  for (char c : s) {
    if (c == '\r' || c == '\n' || (tab && c == '\t')) return true;
  }
  return false;
}

// Splits items that hold line breaks.
void SplitLineBreaks(std::vector<std::string>& lines) {
  bool needsSplit = false;
  for (auto& line : lines) {
    if (HasAny(line, false)) {
      needsSplit = true;
      break;
    }
  }
  if (!needsSplit) return;
  std::vector<std::string> split;
  split.reserve(lines.size() + 16);
  for (auto& line : lines) {
    if (!HasAny(line, false)) {
      split.push_back(std::move(line));
      continue;
    }
    // Every piece between breaks is a line, the last one too (even if empty):
    // the item was followed by a line end of its own.
    std::size_t start = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (line[i] != '\r' && line[i] != '\n') continue;
      split.push_back(line.substr(start, i - start));
      if (line[i] == '\r' && i + 1 < line.size() && line[i + 1] == '\n') ++i;
      start = i + 1;
    }
    split.push_back(line.substr(start));
  }
  lines = std::move(split);
}

// What each byte does to the word being read: kWord bytes belong to it; a
// blank ends it; a byte that may start a separator is tried against the
// separators; a lead byte of a longer UTF-8 sequence takes the whole sequence
// into the word.
enum ByteKind : unsigned char { kWord, kBlank, kSeparator, kLead };

}  // namespace

void TTextWordList::PrepareSeparators(const std::vector<std::string>& separators) {
  SeparatorIndex& index = separators_;
  if (index.built && (separators == index.source || separators == index.normal)) return;  // up to date
  index.source = separators;
  index.normal.clear();
  for (const auto& sep : separators) {
    std::string normal = UpperTrim(sep);
    if (!normal.empty()) index.normal.push_back(std::move(normal));
  }
  std::stable_sort(index.normal.begin(), index.normal.end(),
                   [](const std::string& a, const std::string& b) { return LongestFirstLess(a, b); });
  std::array<std::vector<const std::string*>, 256> byFirstByte;
  for (const auto& sep : index.normal) {
    const auto b = static_cast<unsigned char>(sep[0]);
    byFirstByte[b].push_back(&sep);
    std::string lower = sep.substr(0, Utf8SequenceLength(b));
    LowerCaseInPlace(lower);
    const auto lb = static_cast<unsigned char>(lower[0]);
    if (lb != b) byFirstByte[lb].push_back(&sep);
  }
  index.candidates.clear();
  for (std::size_t b = 0; b < 256; ++b) {
    index.first[b] = static_cast<std::uint32_t>(index.candidates.size());
    index.candidates.insert(index.candidates.end(), byFirstByte[b].begin(), byFirstByte[b].end());
  }
  index.first[256] = static_cast<std::uint32_t>(index.candidates.size());

  std::array<unsigned char, 256>& kind = index.kind;
  for (std::size_t b = 0; b < 0x80; ++b) kind[b] = kWord;
  for (std::size_t b = 0x80; b < 256; ++b) kind[b] = Utf8SequenceLength(static_cast<unsigned char>(b)) > 1 ? kLead : kWord;
  kind[' '] = kind['\t'] = kBlank;
  for (std::size_t b = 0; b < 256; ++b) {
    if (index.first[b] != index.first[b + 1]) kind[b] = kSeparator;
  }
  index.built = true;
}

void TTextWordList::Parse(std::vector<std::string>& lines) {
  Parse(lines, Separators);
  if (Separators != separators_.normal) Separators = separators_.normal;
}

void TTextWordList::Clear() {
  words_.clear();
  text_.clear();
  lineStarts_.clear();
  // The room of a very large batch goes back.
  if (words_.capacity() > kKeptWords) std::vector<Packed>().swap(words_);
  if (text_.capacity() > kKeptWords * sizeof(Packed)) std::string().swap(text_);
}

int TTextWordList::CharCount(std::string_view text) { return static_cast<int>(Utf8Length(text)); }

[[gnu::flatten]] void TTextWordList::Parse(std::vector<std::string>& lines,
                                           const std::vector<std::string>& separators) {
  words_.clear();
  text_.clear();
  SplitLineBreaks(lines);
  std::size_t bytes = 0;
  for (const auto& line : lines) bytes += line.size();
  // Words keep their place in the text in 32 bits.
  if (bytes > kSizeMask) throw Error("Пакет слишком велик для разбора: " + std::to_string(bytes >> 20) + " МБ");
  // A word takes at least a byte and mostly a blank or a separator beside
  // it: half the bytes is room enough but for odd texts, and the room not
  // used is never touched (so never resident); the list is never copied to
  // grow, which would need the room of both copies at once.
  words_.reserve(bytes / 2 + 16);
  // The words view `text_`: it is filled once, at its final size, so that no
  // view ever moves.
  text_.reserve(bytes);
  lineStarts_.clear();
  lineStarts_.reserve(lines.size() + 1);
  for (const auto& line : lines) {
    lineStarts_.push_back(text_.size());
    text_ += line;
  }
  lineStarts_.push_back(text_.size());

  PrepareSeparators(separators);
  const SeparatorIndex& index = separators_;
  const std::array<unsigned char, 256>& kind = index.kind;

  std::size_t lineOffset = 0;
  for (std::size_t lineIndex = 0; lineIndex < lines.size(); ++lineIndex) {
    const std::size_t fullSize = lines[lineIndex].size();
    const std::string_view line = TrimRight(std::string_view(text_).substr(lineOffset, fullSize));
    lineOffset += fullSize;
    const std::size_t n = line.size();
    const bool ascii = IsAscii(line);
    // Columns count characters, a tab kTabSize: on a line with either of them
    // the column of byte b is computed incrementally from the last known one.
    const bool bytesAreColumns = ascii && !HasAny(line, true);
    std::size_t knownByte = 0;
    int knownCol = 1;
    auto columnOf = [&](std::size_t byte) __attribute__((always_inline)) {
      if (bytesAreColumns) return static_cast<int>(byte) + 1;
      knownCol += ColumnCount(line.substr(knownByte, byte - knownByte));
      knownByte = byte;
      return knownCol;
    };
    const std::uint32_t asciiBit = ascii ? kAsciiBit : 0;
    const auto lineStart = static_cast<std::uint32_t>(line.data() - text_.data());
    auto emit = [&](std::size_t from, std::size_t to) __attribute__((always_inline)) {
      Packed& word = words_.emplace_back();
      word.line = static_cast<std::int32_t>(lineIndex);
      word.col = columnOf(from);
      word.offset = lineStart + static_cast<std::uint32_t>(from);
      word.size = static_cast<std::uint32_t>(to - from) | asciiBit;
    };
    auto skipBlanks = [&](std::size_t p) __attribute__((always_inline)) {
      while (p < n && IsBlank(line[p])) ++p;
      return p;
    };

    std::size_t p = skipBlanks(0);
    std::size_t start = p;
    while (p < n) {
      const auto c = static_cast<unsigned char>(line[p]);
      switch (kind[c]) {
        case kWord:
          // The bytes of a word, in a loop of their own.
          do ++p;
          while (p < n && kind[static_cast<unsigned char>(line[p])] == kWord);
          continue;
        case kBlank:
          if (start < p) emit(start, p);
          p = skipBlanks(p);
          start = p;
          continue;
        case kSeparator:
          for (std::uint32_t k = index.first[c]; k < index.first[c + 1]; ++k) {
            const std::string& sep = *index.candidates[k];
            // A one-byte ASCII separator filed under this byte is this byte or
            // its upper-case form: it matches without a comparison.
            if (sep.size() <= n - p &&
                ((sep.size() == 1 && c < 0x80) || EqualsUpper(line.substr(p, sep.size()), sep))) {
              if (start < p) emit(start, p);
              emit(p, p + sep.size());
              p = skipBlanks(p + sep.size());
              start = p;
              goto next;
            }
          }
          break;
        default:
          break;
      }
      p += c < 0x80 ? 1 : std::min(Utf8SequenceLength(c), n - p);
    next:;
    }
    if (start < p) emit(start, p);
  }
}

std::string TTextWordList::JoinWords(int start, int count) const {
  std::string r;
  if (start < 0) start = 0;
  for (int i = start; i < Count() && i - start < count; ++i) {
    if (i > start) r.push_back(' ');
    r += Words(i).Text;
  }
  return r;
}

std::string TTextWordList::RebuildText(int fromIndex, int toIndex) const {
  std::string out;
  RebuildText(fromIndex, toIndex, out);
  return out;
}

void TTextWordList::RebuildText(int fromIndex, int toIndex, std::string& out) const {
  out.clear();
  if (fromIndex < 0) fromIndex = 0;
  if (toIndex >= Count()) toIndex = Count() - 1;
  if (fromIndex > toIndex) return;
  int line = Words(fromIndex).Line;
  int col = Words(fromIndex).Col;
  for (int i = fromIndex; i <= toIndex; ++i) {
    const TTextWord w = Words(i);
    if (w.Line > line) {
      for (int k = line; k < w.Line; ++k) out += "\r\n";
      line = w.Line;
      col = 1;
    }
    if (w.Col > col) out.append(static_cast<std::size_t>(w.Col - col), ' ');
    out += w.Text;
    col = w.LastCol() + 1;
  }
  if (toIndex + 1 < Count()) {
    const TTextWord next = Words(toIndex + 1);
    if (next.Line == line && next.Col > col) out.append(static_cast<std::size_t>(next.Col - col), ' ');
  }
}

void TTextWordList::SourceBetween(int afterWord, int beforeWord, std::string& out) const {
  out.clear();
  const TTextWord a = Words(afterWord);
  const std::size_t from = static_cast<std::size_t>(a.Text.data() + a.Text.size() - text_.data());
  int lastLine;
  std::size_t to;
  if (beforeWord < 0) {
    lastLine = a.Line;
    to = lineStarts_[static_cast<std::size_t>(lastLine) + 1];
  } else {
    const TTextWord b = Words(beforeWord);
    lastLine = b.Line;
    to = static_cast<std::size_t>(b.Text.data() - text_.data());
  }
  const std::string_view text(text_);
  if (lastLine == a.Line) {
    out.assign(text.substr(from, to - from));
    return;
  }
  const auto start = [&](int line) { return lineStarts_[static_cast<std::size_t>(line)]; };
  out.assign(text.substr(from, start(a.Line + 1) - from));
  for (int line = a.Line + 1; line <= lastLine; ++line) {
    out += "\r\n";
    const std::size_t end = line == lastLine ? to : start(line + 1);
    out.append(text.substr(start(line), end - start(line)));
  }
}

bool TTextWordList::IsLastOnLine(int i) const {
  if (i >= Count() - 1) return true;
  return At(static_cast<std::size_t>(i) + 1).line > At(static_cast<std::size_t>(i)).line;
}

}  // namespace ambrix
