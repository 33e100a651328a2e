#include "text/string_helpers.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "text/error.h"
#include "text/utf8.h"

namespace ambrix {

namespace {

constexpr const char* kEmptySearch = "Нельзя искать пустую строку";

inline bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Byte length of the character at byte i (bounded by the string).
inline std::size_t CharBytes(std::string_view s, std::size_t i) {
  const auto c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) return 1;
  std::size_t j = i + 1;
  while (j < s.size() && IsContinuation(s[j])) ++j;
  return j - i;
}

// A search key: upper-cased text with its byte and character lengths.
struct Key {
  std::string upper;
  int chars;
};

Key MakeKey(std::string_view sub) {
  if (sub.empty()) throw Error(kEmptySearch);
  return {UpperCase(sub), static_cast<int>(Utf8Length(sub))};
}

// A cursor over s that keeps a character position (1-based) and its byte offset.
struct Cursor {
  int pos;
  std::size_t byte;
};

// The occurrence tests of a case-insensitive search at cursor c: the key
// matches there, and with `wholeWord` blanks (or the range bounds) stand on
// both sides. `from` and `to` are the range in characters.
bool MatchesAt(std::string_view s, const Cursor& c, const Key& key, bool wholeWord, int from, int to) {
  if (c.byte + key.upper.size() > s.size()) return false;
  if (wholeWord && c.pos > from && !IsBlank(s[c.byte - 1])) return false;
  if (!EqualsUpper(s.substr(c.byte, key.upper.size()), key.upper)) return false;
  if (wholeWord && c.pos + key.chars <= to) {
    const std::size_t after = c.byte + key.upper.size();
    if (after < s.size() && !IsBlank(s[after])) return false;
  }
  return true;
}

// Cursor at character position `pos` (>= 1), or past the end.
Cursor CursorAt(std::string_view s, int pos) {
  return {pos, Utf8ByteOffset(s, static_cast<std::size_t>(pos - 1))};
}

// Core of PosText/PosAnyText: searches from cursor c (the range starts at
// character `from`, ends at `to`, both already clamped to s); returns the
// cursor of the hit (pos 0 if none). At each position the keys are tried in
// order; after a counted hit the search goes on right behind it.
Cursor FindFrom(Cursor c, int from, int to, std::string_view s, const std::vector<Key>& keys, bool wholeWord,
                int n) {
  while (c.pos <= to && c.byte < s.size()) {
    bool advanced = false;
    for (const Key& key : keys) {
      if (!MatchesAt(s, c, key, wholeWord, from, to)) continue;
      if (n <= 1) return c;
      --n;
      c.pos += key.chars;
      c.byte += key.upper.size();
      advanced = true;
      break;
    }
    if (advanced) continue;
    c.byte += CharBytes(s, c.byte);
    c.pos += 1;
  }
  return {0, 0};
}

Cursor FindAny(int from, int to, std::string_view s, const std::vector<Key>& keys, bool wholeWord, int n) {
  if (from < 1) from = 1;
  const int length = static_cast<int>(Utf8Length(s));
  if (to > length) to = length;
  return FindFrom(CursorAt(s, from), from, to, s, keys, wholeWord, n);
}

}  // namespace

std::string_view TrimLeft(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && static_cast<unsigned char>(s[i]) <= 32) ++i;
  return s.substr(i);
}

std::string_view TrimRight(std::string_view s) {
  std::size_t n = s.size();
  while (n > 0 && static_cast<unsigned char>(s[n - 1]) <= 32) --n;
  return s.substr(0, n);
}

std::string_view Trim(std::string_view s) { return TrimRight(TrimLeft(s)); }

std::string UpperTrim(std::string_view s) { return UpperCase(Trim(s)); }

namespace {

// Eight bytes folded as CaseFoldKey folds each: a byte of 0x80 and above
// becomes 0x80, an ASCII lower-case letter its upper case. For the letters,
// `from` gets bit 7 in the bytes at or above 'a' and `past` in those above 'z'
// (no byte carries into the next, all being below 0x80 by then).
std::uint64_t FoldWord(std::uint64_t w) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  constexpr std::uint64_t kHigh = 0x8080808080808080ULL;
  const std::uint64_t high = w & kHigh;
  w = (w & ~((high >> 7) * 0xFF)) | high;  // 0x80 for every byte that had bit 7
  const std::uint64_t from = (w & ~kHigh) + kOnes * (0x80 - 'a');
  const std::uint64_t past = (w & ~kHigh) + kOnes * (0x80 - 'z' - 1);
  return w ^ ((from & ~past & ~high & kHigh) >> 2);
}

std::uint64_t LoadBytes(const char* at, std::size_t n) {
  std::uint64_t w = 0;
  std::memcpy(&w, at, n);
  return w;
}

}  // namespace

std::uint32_t CaseFoldKey(std::string_view s) {
  // Eight bytes at a time (the last eight overlapping the ones before);
  // a per-byte hash was a good part of making a parse's words.
  constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ULL;
  s = Trim(s);
  const std::size_t n = s.size();
  std::uint64_t h = (n + 1) * kMul;
  const auto mix = [&h](std::uint64_t w) {
    h = (h ^ FoldWord(w)) * kMul;
    h ^= h >> 29;
  };
  if (n >= 8) {
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) mix(LoadBytes(s.data() + i, 8));
    if (i < n) mix(LoadBytes(s.data() + n - 8, 8));
  } else if (n > 0) {
    mix(LoadBytes(s.data(), n));
  }
  return static_cast<std::uint32_t>(h ^ (h >> 32));
}

int SkipChars(int from, std::string_view s, std::string_view chars) {
  if (from < 1) from = 1;
  std::size_t i = Utf8ByteOffset(s, static_cast<std::size_t>(from - 1));
  int pos = from;
  while (i < s.size()) {
    const std::size_t len = CharBytes(s, i);
    if (chars.find(s.substr(i, len)) == std::string_view::npos) return pos;
    // A multi-byte character counts as in the set only when it stands there whole.
    if (len > 1) {
      bool whole = false;
      for (std::size_t k = 0; k + len <= chars.size(); k += CharBytes(chars, k)) {
        if (chars.substr(k, len) == s.substr(i, len)) {
          whole = true;
          break;
        }
      }
      if (!whole) return pos;
    }
    i += len;
    ++pos;
  }
  return 0;
}

int SkipBlanks(int from, std::string_view s) {
  if (from < 1) from = 1;
  if (IsAscii(s)) {
    for (std::size_t i = static_cast<std::size_t>(from - 1); i < s.size(); ++i) {
      if (!IsBlank(s[i])) return static_cast<int>(i) + 1;
    }
    return 0;
  }
  return SkipChars(from, s, "\t\n\r ");
}

void SplitWords(int from, int to, std::string_view s, std::vector<std::string>& out) {
  const int length = static_cast<int>(Utf8Length(s));
  if (to > length) throw Error("Параметр конца строки больше ее длины");
  out.clear();
  if (from < 1) from = 1;
  // Walk the characters once: skip blanks, then take a word up to the next
  // space, carriage return or line feed (a tab inside a word stays in it).
  Cursor c = CursorAt(s, from);
  while (c.pos <= to) {
    while (c.byte < s.size() && IsBlank(s[c.byte])) {
      ++c.byte;
      ++c.pos;
    }
    if (c.byte >= s.size() || c.pos > to) return;
    const Cursor start = c;
    do {
      c.byte += CharBytes(s, c.byte);
      ++c.pos;
    } while (c.pos <= to && s[c.byte] != ' ' && s[c.byte] != '\r' && s[c.byte] != '\n');
    out.emplace_back(s.substr(start.byte, c.byte - start.byte));
    if (c.pos > to) return;
    ++c.byte;  // the separator found at c
    ++c.pos;
  }
}

bool LongestFirstLess(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto ca = static_cast<unsigned char>(a[i]);
    const auto cb = static_cast<unsigned char>(b[i]);
    if (ca != cb) return ca < cb;
  }
  return a.size() > b.size();
}

std::string JoinWithSpaces(const std::vector<std::string>& list) {
  std::string r;
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (i) r.push_back(' ');
    r += list[i];
  }
  return r;
}

std::string JoinLines(const std::vector<std::string>& lines, std::string_view lineEnd) {
  std::size_t total = 0;
  for (const auto& line : lines) total += line.size() + lineEnd.size();
  std::string text;
  text.reserve(total);
  for (const auto& line : lines) {
    text += line;
    text += lineEnd;
  }
  return text;
}

namespace {

#if defined(__SSE2__)
// The sum of the 16 byte counters of `counts` (SSE2, which every x86-64
// processor has).
inline std::size_t SumBytes(__m128i counts) {
  const __m128i sums = _mm_sad_epu8(counts, _mm_setzero_si128());
  return static_cast<std::size_t>(_mm_cvtsi128_si32(sums) + _mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
}

inline __m128i Load(const char* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
#endif

}  // namespace

// Both counts compare 16 bytes at a time into byte counters, summed before
// they can overflow: scripts have short lines, and a memchr per line costs
// more than going through the whole text.
std::size_t CountChar(std::string_view text, char c) {
  std::size_t count = 0;
  std::size_t i = 0;
  const char* const p = text.data();
#if defined(__SSE2__)
  const __m128i wanted = _mm_set1_epi8(c);
  while (i + 16 <= text.size()) {
    __m128i counts = _mm_setzero_si128();
    for (int k = 0; k < 255 && i + 16 <= text.size(); ++k, i += 16)
      counts = _mm_sub_epi8(counts, _mm_cmpeq_epi8(Load(p + i), wanted));  // a match is -1
    count += SumBytes(counts);
  }
#endif
  for (; i < text.size(); ++i) count += p[i] == c ? 1 : 0;
  return count;
}

std::size_t CountLineEnds(std::string_view text) {
  // Every LF and every CR count, less each CR that an LF follows.
  std::size_t count = 0;
  std::size_t i = 0;
  const char* const p = text.data();
#if defined(__SSE2__)
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  // Each block also reads the byte after it, for the LF after its last CR.
  while (i + 17 <= text.size()) {
    __m128i counts = _mm_setzero_si128();
    for (int k = 0; k < 255 && i + 17 <= text.size(); ++k, i += 16) {
      const __m128i bytes = Load(p + i);
      const __m128i crs = _mm_cmpeq_epi8(bytes, cr);
      const __m128i crLfs = _mm_and_si128(crs, _mm_cmpeq_epi8(Load(p + i + 1), lf));
      // LFs and CRs are -1 where they are; a CR LF is -1 once more to take off.
      counts = _mm_add_epi8(_mm_sub_epi8(_mm_sub_epi8(counts, _mm_cmpeq_epi8(bytes, lf)), crs), crLfs);
    }
    count += SumBytes(counts);
  }
#endif
  for (; i < text.size(); ++i)
    if (p[i] == '\n' || (p[i] == '\r' && (i + 1 == text.size() || p[i + 1] != '\n'))) ++count;
  return count;
}

std::string RepeatString(int count, std::string_view s) {
  std::string r;
  if (count <= 0) return r;
  r.reserve(s.size() * static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) r += s;
  return r;
}

int PosText(int from, int to, std::string_view sub, bool wholeWord, int n, std::string_view s) {
  std::vector<Key> keys;
  keys.push_back(MakeKey(sub));
  return FindAny(from, to, s, keys, wholeWord, n).pos;
}

int PosAnyText(int from, int to, std::string_view s, const std::vector<std::string>& subs, bool wholeWord, int n) {
  std::vector<Key> keys;
  keys.reserve(subs.size());
  for (const auto& sub : subs) keys.push_back(MakeKey(sub));
  return FindAny(from, to, s, keys, wholeWord, n).pos;
}

void ReplaceSameLength(std::string& s, std::string_view oldText, std::string_view newText) {
  if (Utf8Length(oldText) != Utf8Length(newText)) {
    throw Error("Длина у исходной и заменяемой строки должна быть одинаковой");
  }
  std::vector<Key> keys;
  keys.push_back(MakeKey(oldText));
  const int length = static_cast<int>(Utf8Length(s));
  std::string result;
  std::size_t copied = 0;
  bool replaced = false;
  Cursor at{1, 0};
  while (true) {
    const Cursor hit = FindFrom(at, 1, length, s, keys, false, 1);
    if (hit.pos == 0) break;
    replaced = true;
    result.append(s, copied, hit.byte - copied);
    result += newText;
    copied = hit.byte + keys[0].upper.size();
    at = {hit.pos + keys[0].chars, copied};
  }
  if (!replaced) return;
  result.append(s, copied, std::string::npos);
  s = std::move(result);
}

int IndexOfText(std::string_view s, const std::vector<std::string>& values) {
  const std::string key = UpperTrim(s);
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (EqualsUpper(Trim(values[i]), key)) return static_cast<int>(i);
  }
  return -1;
}

int IndexOfStr(std::string_view s, const std::vector<std::string>& values) {
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (values[i] == s) return static_cast<int>(i);
  }
  return -1;
}

void NormalizeStrings(std::vector<std::string>& values) {
  for (auto& v : values) v = UpperTrim(v);
}

TCharClasses CharClasses(std::string_view s) {
  TCharClasses result = 0;
  const std::size_t n = s.size();
  for (std::size_t i = 0; i < n; ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (!(result & ccLetter)) {
      bool letter = false;
      if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
        letter = true;
      } else if (i + 1 < n && (c == 0xD0 || c == 0xD1)) {
        // А..Я and а..я (U+0410..U+044F); Ё/ё and the other letters are not counted.
        const auto c1 = static_cast<unsigned char>(s[i + 1]);
        letter = (c == 0xD0 && c1 >= 0x90 && c1 <= 0xBF) || (c == 0xD1 && c1 >= 0x80 && c1 <= 0x8F);
      }
      if (letter) {
        result |= ccLetter;
        if (result == (ccLetter | ccDigit)) return result;
        continue;
      }
    }
    if (!(result & ccDigit) && c >= '0' && c <= '9') {
      result |= ccDigit;
      if (result == (ccLetter | ccDigit)) return result;
    }
  }
  return result;
}

namespace {

// Columns fromCol..toCol (1-based, inclusive) of a line, clamped to it.
std::string CopyColumns(std::string_view line, int fromCol, int toCol) {
  if (fromCol < 1) fromCol = 1;
  if (toCol < fromCol) return {};
  const std::size_t begin = ColumnByteOffset(line, fromCol);
  const std::size_t end = ColumnByteOffset(line, toCol + 1);
  return std::string(line.substr(begin, end - begin));
}

}  // namespace

void AppendTargetStringLiteral(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += '\'';
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) {
      out += "\\x";
      out += kHex[b >> 4];
      out += kHex[b & 0xF];
      continue;
    }
    out += c;
    if (c == '\'' || c == '\\') out += c;
  }
  out += '\'';
}

std::string CommentSafeText(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 4);
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) c = ' ';
    // "*/" and "/*" are split whichever of their two characters comes second.
    if (!out.empty() && ((out.back() == '*' && c == '/') || (out.back() == '/' && c == '*'))) out += ' ';
    out += c;
  }
  return out;
}

std::string Undoubled(std::string_view text, std::string_view closer) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t at = closer.empty() ? std::string_view::npos : text.find(closer, i);
    if (at == std::string_view::npos) {
      out.append(text.substr(i));
      break;
    }
    out.append(text.substr(i, at + closer.size() - i));
    i = at + closer.size();
    if (text.substr(i, closer.size()) == closer) i += closer.size();
  }
  return out;
}

std::size_t ColumnByteOffset(std::string_view line, int col) {
  int at = 1;
  std::size_t i = 0;
  const std::size_t n = line.size();
  while (i < n) {
    const int width = line[i] == '\t' ? kTabSize : 1;
    if (at + width > col) return i;
    at += width;
    ++i;
    while (i < n && (static_cast<unsigned char>(line[i]) & 0xC0) == 0x80) ++i;
  }
  return n;
}

int ColumnCount(std::string_view text) {
  int columns = 0;
  for (char c : text) {
    if (c == '\t')
      columns += kTabSize;
    else
      columns += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }
  return columns;
}

void CopyTextRange(const std::vector<std::string>& lines, TTextPoint fromPos, TTextPoint toPos,
                   std::vector<std::string>& out) {
  out.clear();
  auto lineAt = [&](int index) -> std::string_view {
    if (index < 0 || index >= static_cast<int>(lines.size())) return {};
    return lines[static_cast<std::size_t>(index)];
  };
  if (fromPos.Line == toPos.Line) {
    out.push_back(CopyColumns(lineAt(fromPos.Line), fromPos.Col, toPos.Col));
    return;
  }
  const std::string_view first = lineAt(fromPos.Line);
  out.push_back(CopyColumns(first, fromPos.Col, ColumnCount(first)));
  for (int i = fromPos.Line + 1; i < toPos.Line; ++i) out.emplace_back(lineAt(i));
  out.push_back(CopyColumns(lineAt(toPos.Line), 1, toPos.Col));
}

}  // namespace ambrix
