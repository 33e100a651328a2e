#pragma once

#include <cstdint>

namespace ambrix {

/// Columns a tab takes: a column counts characters, and a tab counts as this
/// many (the source view and the printed texts lay tabs out alike).
constexpr int kTabSize = 2;

/// A position in parsed lines: `Line` counts from 0 within the parsed batch or
/// object text, `Col` from 1, in characters (code points) of the line, a tab
/// counting `kTabSize`.
struct TTextPoint {
  std::int32_t Line = 0;
  std::int32_t Col = 0;

  friend bool operator==(const TTextPoint&, const TTextPoint&) = default;
};

}  // namespace ambrix
