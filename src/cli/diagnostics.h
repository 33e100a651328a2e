#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ambrix::cli {

/// "[TYPE OBJECT]" with the command line's type name ("[primary-key
/// PK_Orders]"); empty when both are empty.
std::string ObjectTag(std::string_view repositoryType, std::string_view object);

/// A warning in the form editors and CI tools read:
/// "FILE:LINE:COL: warning: TEXT: WORD [TYPE OBJECT]" (": WORD" only when
/// there is a word, the tag only when there is an object).
std::string FormatWarning(std::string_view file, int line, int column, std::string_view text, std::string_view word,
                          std::string_view repositoryType, std::string_view object);

/// A failure: "FILE:LINE: error: MESSAGE [TYPE OBJECT]" ("FILE:LINE:COL: ..."
/// when the place inside the line is known), or "FILE: error: ..." when no
/// line is known, or "ambrix: error: ..." when no file is concerned.
/// Line breaks inside the message become blanks: one diagnostic, one line.
std::string FormatError(std::string_view file, std::optional<int> line, std::string_view message,
                        std::string_view repositoryType = {}, std::string_view object = {}, int column = 0);

}  // namespace ambrix::cli
