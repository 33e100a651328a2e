#pragma once

#include <cstdint>

namespace ambrix {

/// A position in parsed lines: `Line` counts from 0 within the parsed batch or
/// object text, `Col` from 1, in characters (code points) of the line after
/// its tabs were replaced.
struct TTextPoint {
  std::int32_t Line = 0;
  std::int32_t Col = 0;

  friend bool operator==(const TTextPoint&, const TTextPoint&) = default;
};

}  // namespace ambrix
