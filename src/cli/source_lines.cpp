#include "cli/source_lines.h"

#include "text/encoding.h"
#include "text/string_helpers.h"

namespace ambrix::cli {

namespace {

std::string Normalized(std::string_view line) {
  line = Trim(line);
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

SourceLines::SourceLines(const std::vector<std::string>& lines) {
  lines_.reserve(lines.size());
  for (const std::string& line : lines) lines_.push_back(Normalized(line));
  // Built after the vector is complete: the keys view its strings.
  for (std::size_t i = 0; i < lines_.size(); ++i)
    if (!lines_[i].empty()) starts_[lines_[i]].push_back(i);
}

std::optional<int> SourceLines::Find(const std::string& sourceScript) const {
  std::vector<std::string> wanted;
  for (const std::string& line : SplitLines(sourceScript)) {
    std::string text = Normalized(line);
    if (!text.empty()) wanted.push_back(std::move(text));
  }
  if (wanted.empty()) return std::nullopt;
  const auto candidates = starts_.find(wanted[0]);
  if (candidates == starts_.end()) return std::nullopt;
  for (const std::size_t start : candidates->second) {
    // The following lines decide between several statements that begin alike.
    std::size_t matched = 1;
    for (std::size_t i = start + 1; i < lines_.size() && matched < wanted.size(); ++i) {
      if (lines_[i].empty()) continue;
      if (lines_[i] != wanted[matched]) break;
      ++matched;
    }
    if (matched == wanted.size()) return static_cast<int>(start) + 1;
  }
  return std::nullopt;
}

}  // namespace ambrix::cli
