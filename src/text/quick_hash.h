#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace ambrix {

/// Eight and four bytes from `at` as a word (any alignment).
inline std::uint64_t LoadWord64(const char* at) {
  std::uint64_t w;
  std::memcpy(&w, at, 8);
  return w;
}
inline std::uint64_t LoadWord32(const char* at) {
  std::uint32_t w;
  std::memcpy(&w, at, 4);
  return w;
}

/// A quick hash of a short text, for tables the program keeps in memory. It
/// reads whole words only: a byte-wise copy into a word would stall on the
/// load that follows it.
[[gnu::always_inline]] inline std::uint64_t QuickHash(std::string_view text) {
  constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ULL;
  const char* p = text.data();
  const std::size_t n = text.size();
  std::uint64_t h = (n + 1) * kMul;
  if (n >= 8) {
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
      h = (h ^ LoadWord64(p + i)) * kMul;
      h ^= h >> 29;
    }
    if (i < n) h = (h ^ LoadWord64(p + n - 8)) * kMul;  // the last eight bytes, overlapping
  } else if (n >= 4) {
    h = (h ^ (LoadWord32(p) << 32 | LoadWord32(p + n - 4))) * kMul;
  } else if (n > 0) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint64_t>(static_cast<unsigned char>(p[i])); };
    h = (h ^ (byte(0) << 16 | byte(n / 2) << 8 | byte(n - 1))) * kMul;
  }
  return h ^ (h >> 32);
}

}  // namespace ambrix
