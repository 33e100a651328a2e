#include "cli/diagnostics.h"

#include "cli/object_types.h"

namespace ambrix::cli {

namespace {

std::string OneLine(std::string_view text) {
  std::string line;
  line.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      if (!line.empty() && line.back() != ' ') line += ' ';
      continue;
    }
    line += c;
  }
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

void AppendTag(std::string& out, std::string_view repositoryType, std::string_view object) {
  const std::string tag = ObjectTag(repositoryType, object);
  if (!tag.empty()) out += " " + tag;
}

}  // namespace

std::string ObjectTag(std::string_view repositoryType, std::string_view object) {
  if (repositoryType.empty() && object.empty()) return {};
  std::string tag = "[";
  if (!repositoryType.empty()) tag += CliTypeName(repositoryType);
  if (!repositoryType.empty() && !object.empty()) tag += ' ';
  tag += OneLine(object);
  return tag + "]";
}

std::string FormatWarning(std::string_view file, int line, int column, std::string_view text, std::string_view word,
                          std::string_view repositoryType, std::string_view object) {
  std::string out(file);
  out += ":" + std::to_string(line) + ":" + std::to_string(column) + ": warning: " + OneLine(text);
  if (!word.empty()) out += ": " + OneLine(word);
  AppendTag(out, repositoryType, object);
  return out;
}

std::string FormatError(std::string_view file, std::optional<int> line, std::string_view message,
                        std::string_view repositoryType, std::string_view object, int column) {
  std::string out = file.empty() ? std::string("ambrix") : std::string(file);
  if (!file.empty() && line) out += ":" + std::to_string(*line);
  if (!file.empty() && line && column > 0) out += ":" + std::to_string(column);
  out += ": error: " + OneLine(message);
  AppendTag(out, repositoryType, object);
  return out;
}

}  // namespace ambrix::cli
