#include "text/utf8.h"

#include <cstring>

namespace ambrix {

namespace {

inline unsigned char Byte(std::string_view s, std::size_t i) { return static_cast<unsigned char>(s[i]); }

// Case mapping works on the UTF-8 bytes directly. The letters of the
// Windows-1251 repertoire are ASCII (one byte) or two-byte sequences led by
// 0xD0, 0xD1 (U+0400..U+047F) or 0xD2 (Ґ/ґ), and every pair of case forms has
// the same length, so a mapping rewrites bytes in place.

// Upper case of the two-byte sequence (b0, b1); returns false when unchanged.
inline bool UpperPair(unsigned char& b0, unsigned char& b1) {
  if (b0 == 0xD0) {
    if (b1 >= 0xB0 && b1 <= 0xBF) {  // а..п
      b1 = static_cast<unsigned char>(b1 - 0x20);
      return true;
    }
  } else if (b0 == 0xD1) {
    if (b1 >= 0x80 && b1 <= 0x8F) {  // р..я -> Р..Я (D0 A0..AF)
      b0 = 0xD0;
      b1 = static_cast<unsigned char>(b1 + 0x20);
      return true;
    }
    if (b1 >= 0x91 && b1 <= 0x9F && b1 != 0x9D) {  // ё ђ ѓ є ѕ і ї ј љ њ ћ ќ ў џ
      b0 = 0xD0;
      b1 = static_cast<unsigned char>(b1 - 0x10);
      return true;
    }
  } else if (b0 == 0xD2 && b1 == 0x91) {  // ґ
    b1 = 0x90;
    return true;
  }
  return false;
}

inline bool LowerPair(unsigned char& b0, unsigned char& b1) {
  if (b0 == 0xD0) {
    if (b1 >= 0x90 && b1 <= 0x9F) {  // А..П
      b1 = static_cast<unsigned char>(b1 + 0x20);
      return true;
    }
    if (b1 >= 0xA0 && b1 <= 0xAF) {  // Р..Я -> р..я (D1 80..8F)
      b0 = 0xD1;
      b1 = static_cast<unsigned char>(b1 - 0x20);
      return true;
    }
    if (b1 >= 0x81 && b1 <= 0x8F && b1 != 0x8D) {  // Ё Ђ Ѓ Є Ѕ І Ї Ј Љ Њ Ћ Ќ Ў Џ
      b0 = 0xD1;
      b1 = static_cast<unsigned char>(b1 + 0x10);
      return true;
    }
  } else if (b0 == 0xD2 && b1 == 0x90) {  // Ґ
    b1 = 0x91;
    return true;
  }
  return false;
}

inline unsigned char AsciiUpper(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 0x20 : c; }
inline unsigned char AsciiLower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 0x20 : c; }

template <bool Upper>
void MapInPlace(std::string& s) {
  const std::size_t n = s.size();
  char* data = s.data();
  std::size_t i = 0;
  while (i < n) {
    const auto c = static_cast<unsigned char>(data[i]);
    if (c < 0x80) {
      data[i] = static_cast<char>(Upper ? AsciiUpper(c) : AsciiLower(c));
      ++i;
    } else if (c >= 0xD0 && c <= 0xD2 && i + 1 < n) {
      auto b0 = c;
      auto b1 = static_cast<unsigned char>(data[i + 1]);
      if (Upper ? UpperPair(b0, b1) : LowerPair(b0, b1)) {
        data[i] = static_cast<char>(b0);
        data[i + 1] = static_cast<char>(b1);
      }
      i += 2;
    } else {
      ++i;  // other lead bytes and continuation bytes are never mapped
    }
  }
}

// Upper-cased pair at s[i] (two bytes); used by comparisons.
inline unsigned Upper2At(std::string_view s, std::size_t i) {
  auto b0 = Byte(s, i);
  auto b1 = Byte(s, i + 1);
  UpperPair(b0, b1);
  return (static_cast<unsigned>(b0) << 8) | b1;
}

}  // namespace

bool IsAscii(std::string_view s) {
  const char* p = s.data();
  std::size_t n = s.size();
  while (n >= 8) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    if (word & 0x8080808080808080ULL) return false;
    p += 8;
    n -= 8;
  }
  while (n--) {
    if (static_cast<unsigned char>(*p++) & 0x80) return false;
  }
  return true;
}

std::size_t Utf8SequenceLength(unsigned char lead) {
  if (lead < 0xC2) return 1;
  if (lead < 0xE0) return 2;
  if (lead < 0xF0) return 3;
  if (lead < 0xF5) return 4;
  return 1;
}

char32_t DecodeUtf8(std::string_view s, std::size_t& pos) {
  const unsigned char c = Byte(s, pos);
  if (c < 0x80) {
    ++pos;
    return c;
  }
  const std::size_t len = Utf8SequenceLength(c);
  if (len == 1 || pos + len > s.size()) {
    ++pos;
    return c;
  }
  char32_t cp = c & (0xFF >> (len + 1));
  for (std::size_t k = 1; k < len; ++k) {
    const unsigned char cc = Byte(s, pos + k);
    if ((cc & 0xC0) != 0x80) {
      ++pos;
      return c;
    }
    cp = (cp << 6) | (cc & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are malformed.
  if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
      (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++pos;
    return c;
  }
  pos += len;
  return cp;
}

bool IsValidUtf8(std::string_view s) {
  std::size_t i = 0;
  const std::size_t n = s.size();
  while (i < n) {
    // Skip ASCII runs quickly.
    while (i + 8 <= n) {
      std::uint64_t word;
      std::memcpy(&word, s.data() + i, 8);
      if (word & 0x8080808080808080ULL) break;
      i += 8;
    }
    if (i >= n) break;
    const unsigned char c = Byte(s, i);
    if (c < 0x80) {
      ++i;
      continue;
    }
    const std::size_t before = i;
    DecodeUtf8(s, i);
    if (i == before + 1) return false;  // a multi-byte lead always advances by its length
  }
  return true;
}

std::size_t Utf8Length(std::string_view s) {
  std::size_t count = 0;
  for (char ch : s) count += (static_cast<unsigned char>(ch) & 0xC0) != 0x80;
  return count;
}

std::size_t Utf8ByteOffset(std::string_view s, std::size_t charIndex) {
  std::size_t i = 0;
  const std::size_t n = s.size();
  while (charIndex > 0 && i < n) {
    ++i;
    while (i < n && (Byte(s, i) & 0xC0) == 0x80) ++i;
    --charIndex;
  }
  return i;
}

std::size_t Utf8CharIndex(std::string_view s, std::size_t byteOffset) {
  if (byteOffset > s.size()) byteOffset = s.size();
  return Utf8Length(s.substr(0, byteOffset));
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

char32_t UpperChar(char32_t c) {
  if (c < 0x80) return AsciiUpper(static_cast<unsigned char>(c));
  if (c >= 0x430 && c <= 0x44F) return c - 0x20;
  if (c >= 0x451 && c <= 0x45F && c != 0x45D) return c - 0x50;
  if (c == 0x491) return 0x490;
  return c;
}

char32_t LowerChar(char32_t c) {
  if (c < 0x80) return AsciiLower(static_cast<unsigned char>(c));
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;
  if (c >= 0x401 && c <= 0x40F && c != 0x40D) return c + 0x50;
  if (c == 0x490) return 0x491;
  return c;
}

void UpperCaseInPlace(std::string& s) { MapInPlace<true>(s); }
void LowerCaseInPlace(std::string& s) { MapInPlace<false>(s); }

std::string UpperCase(std::string_view s) {
  std::string r(s);
  MapInPlace<true>(r);
  return r;
}

std::string LowerCase(std::string_view s) {
  std::string r(s);
  MapInPlace<false>(r);
  return r;
}

namespace {

template <bool Upper>
std::size_t MapCharAt(std::string& s, std::size_t pos) {
  const auto c = static_cast<unsigned char>(s[pos]);
  if (c < 0x80) {
    s[pos] = static_cast<char>(Upper ? AsciiUpper(c) : AsciiLower(c));
    return 1;
  }
  std::size_t len = Utf8SequenceLength(c);
  if (pos + len > s.size()) len = s.size() - pos;
  if (len == 2) {
    auto b0 = c;
    auto b1 = static_cast<unsigned char>(s[pos + 1]);
    if (Upper ? UpperPair(b0, b1) : LowerPair(b0, b1)) {
      s[pos] = static_cast<char>(b0);
      s[pos + 1] = static_cast<char>(b1);
    }
  }
  return len;
}

}  // namespace

std::size_t UpperCaseCharAt(std::string& s, std::size_t pos) { return MapCharAt<true>(s, pos); }
std::size_t LowerCaseCharAt(std::string& s, std::size_t pos) { return MapCharAt<false>(s, pos); }

namespace {

// Compares a and b (same byte length) by upper-cased characters; `bIsUpper`
// skips mapping b. Returns <0, 0, >0.
template <bool BIsUpper>
int CompareUpperSameLength(std::string_view a, std::string_view b) {
  const std::size_t n = a.size();
  std::size_t i = 0;
  while (i < n) {
    const unsigned char ca = Byte(a, i);
    const unsigned char cb = Byte(b, i);
    if (ca < 0x80 && cb < 0x80) {
      const unsigned char ua = AsciiUpper(ca);
      const unsigned char ub = BIsUpper ? cb : AsciiUpper(cb);
      if (ua != ub) return ua < ub ? -1 : 1;
      ++i;
      continue;
    }
    // A two-byte letter on either side: compare the upper-cased pairs.
    if (((ca >= 0xD0 && ca <= 0xD2) || (cb >= 0xD0 && cb <= 0xD2)) && i + 1 < n) {
      const unsigned ua = (ca >= 0xD0 && ca <= 0xD2) ? Upper2At(a, i) : (static_cast<unsigned>(ca) << 8) | Byte(a, i + 1);
      unsigned ub;
      if (BIsUpper || !(cb >= 0xD0 && cb <= 0xD2)) {
        ub = (static_cast<unsigned>(cb) << 8) | Byte(b, i + 1);
      } else {
        ub = Upper2At(b, i);
      }
      if (ua != ub) {
        // Order as the upper-cased bytes would.
        return ua < ub ? -1 : 1;
      }
      i += 2;
      continue;
    }
    if (ca != cb) return ca < cb ? -1 : 1;
    ++i;
  }
  return 0;
}

}  // namespace

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  return CompareUpperSameLength<false>(a, b) == 0;
}

bool EqualsUpper(std::string_view s, std::string_view upper) {
  if (s.size() != upper.size()) return false;
  return CompareUpperSameLength<true>(s, upper) == 0;
}

int CompareText(std::string_view a, std::string_view b) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  const int r = CompareUpperSameLength<false>(a.substr(0, n), b.substr(0, n));
  if (r != 0) return r;
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

}  // namespace ambrix
