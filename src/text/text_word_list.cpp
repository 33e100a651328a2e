#include "text/text_word_list.h"

#include <algorithm>
#include <array>

#include "text/string_helpers.h"
#include "text/utf8.h"

namespace ambrix {

namespace {

bool HasAny(const std::string& s, bool tab) {
  for (char c : s) {
    if (c == '\r' || c == '\n' || (tab && c == '\t')) return true;
  }
  return false;
}

// Replaces tabs by `tabSize` spaces and splits items that hold line breaks.
void NormalizeLines(std::vector<std::string>& lines, int tabSize) {
  bool needsSplit = false;
  for (auto& line : lines) {
    if (!HasAny(line, true)) continue;
    if (line.find('\t') != std::string::npos) {
      std::string replaced;
      replaced.reserve(line.size() + 8);
      for (char c : line) {
        if (c == '\t') {
          replaced.append(static_cast<std::size_t>(tabSize), ' ');
        } else {
          replaced.push_back(c);
        }
      }
      line = std::move(replaced);
    }
    if (HasAny(line, false)) needsSplit = true;
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

// Separators grouped by the byte a match can start with: the first byte of the
// separator and of its first character's lower-case form.
struct SeparatorIndex {
  std::array<std::vector<const std::string*>, 256> byFirstByte;

  explicit SeparatorIndex(const std::vector<std::string>& separators) {
    for (const auto& sep : separators) {
      const auto b = static_cast<unsigned char>(sep[0]);
      byFirstByte[b].push_back(&sep);
      std::string lower = sep.substr(0, Utf8SequenceLength(b));
      LowerCaseInPlace(lower);
      const auto lb = static_cast<unsigned char>(lower[0]);
      if (lb != b) byFirstByte[lb].push_back(&sep);
    }
  }
};

}  // namespace

void TTextWordList::Parse(std::vector<std::string>& lines) {
  words_.clear();
  NormalizeLines(lines, TabSize);
  std::size_t bytes = 0;
  for (const auto& line : lines) bytes += line.size();
  words_.reserve(bytes / 5 + 16);  // about one word in five characters of T-SQL

  for (auto it = Separators.rbegin(); it != Separators.rend();) {
    std::string normal = UpperTrim(*it);
    if (normal.empty()) {
      it = decltype(it)(Separators.erase(std::next(it).base()));
    } else {
      *it = std::move(normal);
      ++it;
    }
  }
  std::stable_sort(Separators.begin(), Separators.end(),
                   [](const std::string& a, const std::string& b) { return LongestFirstLess(a, b); });
  const SeparatorIndex index(Separators);

  for (std::size_t lineIndex = 0; lineIndex < lines.size(); ++lineIndex) {
    const std::string_view line = TrimRight(lines[lineIndex]);
    const std::size_t n = line.size();
    const bool ascii = IsAscii(line);
    // Columns count characters: on a non-ASCII line the column of byte b is
    // computed incrementally from the last known one.
    std::size_t knownByte = 0;
    int knownCol = 1;
    auto columnOf = [&](std::size_t byte) {
      if (ascii) return static_cast<int>(byte) + 1;
      knownCol += static_cast<int>(Utf8Length(line.substr(knownByte, byte - knownByte)));
      knownByte = byte;
      return knownCol;
    };
    auto emit = [&](std::size_t from, std::size_t to) {
      TTextWord word;
      word.Line = static_cast<int>(lineIndex);
      word.Col = columnOf(from);
      word.Text.assign(line.substr(from, to - from));
      word.Length = ascii ? static_cast<int>(to - from) : static_cast<int>(Utf8Length(word.Text));
      word.Owner = this;
      words_.push_back(std::move(word));
    };
    auto skipBlanks = [&](std::size_t p) {
      while (p < n && IsBlank(line[p])) ++p;
      return p;
    };

    std::size_t p = skipBlanks(0);
    std::size_t start = p;
    while (p < n) {
      const auto c = static_cast<unsigned char>(line[p]);
      const std::string* match = nullptr;
      for (const std::string* sep : index.byFirstByte[c]) {
        if (sep->size() <= n - p && EqualsUpper(line.substr(p, sep->size()), *sep)) {
          match = sep;
          break;
        }
      }
      if (match) {
        if (start < p) emit(start, p);
        emit(p, p + match->size());
        p = skipBlanks(p + match->size());
        start = p;
      } else if (c == ' ' || c == '\t') {
        if (start < p) emit(start, p);
        p = skipBlanks(p);
        start = p;
      } else {
        p += c < 0x80 ? 1 : std::max<std::size_t>(1, std::min(Utf8SequenceLength(c), n - p));
      }
    }
    if (start < p) emit(start, p);
  }
}

std::string TTextWordList::JoinWords(int start, int count) const {
  std::string r;
  if (start < 0) start = 0;
  for (int i = start; i < Count() && i - start < count; ++i) {
    if (i > start) r.push_back(' ');
    r += words_[static_cast<std::size_t>(i)].Text;
  }
  return r;
}

std::string TTextWordList::RebuildText(int fromIndex, int toIndex) const {
  if (fromIndex < 0) fromIndex = 0;
  if (toIndex >= Count()) toIndex = Count() - 1;
  if (fromIndex > toIndex) return {};
  std::string out;
  int line = words_[static_cast<std::size_t>(fromIndex)].Line;
  int col = words_[static_cast<std::size_t>(fromIndex)].Col;
  for (int i = fromIndex; i <= toIndex; ++i) {
    const TTextWord& w = words_[static_cast<std::size_t>(i)];
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
    const TTextWord& next = words_[static_cast<std::size_t>(toIndex) + 1];
    if (next.Line == line && next.Col > col) out.append(static_cast<std::size_t>(next.Col - col), ' ');
  }
  return out;
}

bool TTextWordList::IsLastOnLine(int i) const {
  if (i >= Count() - 1) return true;
  return words_[static_cast<std::size_t>(i) + 1].Line > words_[static_cast<std::size_t>(i)].Line;
}

}  // namespace ambrix
