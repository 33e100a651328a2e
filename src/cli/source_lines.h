#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ambrix::cli {

/// A script's lines prepared for finding where stored object texts start:
/// each line compared without blanks at the ends, a tab counting as two
/// blanks, as the stored text has them. The lines are normalised once and
/// indexed by their text, so that a look-up costs the candidate starts only,
/// not a pass over the whole script.
class SourceLines {
 public:
  explicit SourceLines(const std::vector<std::string>& lines);

  /// The 1-based line of the first script line at which the non-empty lines
  /// of `sourceScript` follow one another (empty lines of the script are
  /// passed over, as reverse-engineering drops them). Nullopt when the text
  /// is not there.
  std::optional<int> Find(const std::string& sourceScript) const;

 private:
  std::vector<std::string> lines_;  ///< normalised
  std::unordered_map<std::string_view, std::vector<std::size_t>> starts_;
};

}  // namespace ambrix::cli
