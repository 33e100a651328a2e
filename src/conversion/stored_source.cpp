#include "conversion/stored_source.h"

#include <string_view>
#include <vector>

#include "text/string_helpers.h"

namespace ambrix {

namespace {

bool IsNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '@' ||
         c == '#' || c == '$' || static_cast<unsigned char>(c) >= 0x80;
}

// The offset just past the first word AS of `Script` outside comments,
// strings and bracketed names; npos when there is none.
std::size_t PastAs(std::string_view Script) {
  for (std::size_t i = 0; i < Script.size(); ++i) {
    const char c = Script[i];
    std::size_t end = std::string_view::npos;
    if (c == '\'' || c == '"') {
      end = Script.find(c, i + 1);
    } else if (c == '[') {
      end = Script.find(']', i + 1);
    } else if (c == '-' && i + 1 < Script.size() && Script[i + 1] == '-') {
      end = Script.find('\n', i);
    } else if (c == '/' && i + 1 < Script.size() && Script[i + 1] == '*') {
      end = Script.find("*/", i + 2);
      if (end != std::string_view::npos) ++end;
    } else if (IsNameChar(c)) {
      std::size_t last = i;
      while (last + 1 < Script.size() && IsNameChar(Script[last + 1])) ++last;
      if (last == i + 1 && (c == 'A' || c == 'a') && (Script[last] == 'S' || Script[last] == 's')) return last + 1;
      i = last;
      continue;
    } else {
      continue;
    }
    if (end == std::string_view::npos) return std::string_view::npos;
    i = end;
  }
  return std::string_view::npos;
}

}  // namespace

std::string StoredSourceBody(const TConvertContext& Context, const std::string& Name) {
  if (Context.Sources == nullptr) return {};
  const std::vector<std::string> lines = Context.Sources->OpenObjectSource(Name);
  std::string script;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) script += "\r\n";
    script += lines[i];
  }
  const std::size_t as = PastAs(script);
  if (as == std::string::npos) return {};
  // Line ends and blanks after the body would land inside the brackets it is
  // put in.
  return std::string(Trim(std::string_view(script).substr(as)));
}

}  // namespace ambrix
