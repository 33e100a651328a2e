#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ambrix::cli {

/// Where an object's stored source text starts in a script: the 1-based line
/// of the first line of `lines` at which the text's non-empty lines follow
/// one another (compared without blanks at the ends, a tab counting as two
/// blanks, as the stored text has them; empty lines of the script are passed
/// over, as reverse-engineering drops them). Nullopt when the text is not there.
std::optional<int> FindSourceLine(const std::vector<std::string>& lines, const std::string& sourceScript);

}  // namespace ambrix::cli
