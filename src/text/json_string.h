#pragma once

#include <string>
#include <string_view>

namespace ambrix {

/// What `AppendJsonString` escapes beyond what JSON itself needs.
enum class TJsonStyle {
  /// Only what JSON needs: the quote, the backslash and the control
  /// characters below 0x20; every other byte is written as it is.
  Plain,
  /// For a string that stands inside an HTML <script> element: also < > &
  /// and DEL, the line separators U+2028 U+2029 (which end a line in older
  /// script readers), and a byte that is not UTF-8 becomes U+FFFD.
  InScript,
};

/// Appends `text` to `out` as a quoted JSON string.
void AppendJsonString(std::string& out, std::string_view text, TJsonStyle style = TJsonStyle::Plain);

}  // namespace ambrix
