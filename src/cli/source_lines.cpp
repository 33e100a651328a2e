#include "cli/source_lines.h"

#include "text/encoding.h"
#include "text/string_helpers.h"

namespace ambrix::cli {

namespace {

std::string Normalized(const std::string& line) {
  std::string text;
  text.reserve(line.size());
  for (char c : line) {
    if (c == '\t')
      text += "  ";
    else
      text += c;
  }
  return std::string(Trim(text));
}

}  // namespace

std::optional<int> FindSourceLine(const std::vector<std::string>& lines, const std::string& sourceScript) {
  std::vector<std::string> wanted;
  for (const std::string& line : SplitLines(sourceScript)) {
    std::string text = Normalized(line);
    if (!text.empty()) wanted.push_back(std::move(text));
  }
  if (wanted.empty()) return std::nullopt;
  for (std::size_t start = 0; start < lines.size(); ++start) {
    if (Normalized(lines[start]) != wanted[0]) continue;
    // The following lines decide between several statements that begin alike.
    std::size_t matched = 1;
    for (std::size_t i = start + 1; i < lines.size() && matched < wanted.size(); ++i) {
      if (lines[i].empty()) continue;
      if (Normalized(lines[i]) != wanted[matched]) break;
      ++matched;
    }
    if (matched == wanted.size()) return static_cast<int>(start) + 1;
  }
  return std::nullopt;
}

}  // namespace ambrix::cli
