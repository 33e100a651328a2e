#include "text/json_string.h"

#include "text/utf8.h"

namespace ambrix {

void AppendJsonString(std::string& out, std::string_view text, TJsonStyle style) {
  static constexpr char kHex[] = "0123456789abcdef";
  const bool inScript = style == TJsonStyle::InScript;
  auto unicode = [&out](unsigned value) {
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(value >> shift) & 0xF];
  };
  out += '"';
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80 || !inScript) {
      ++i;
      switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
          if (c < 0x20 || (inScript && (c == '<' || c == '>' || c == '&' || c == 0x7F)))
            unicode(c);
          else
            out += static_cast<char>(c);
      }
      continue;
    }
    const std::size_t start = i;
    const char32_t cp = DecodeUtf8(text, i);
    if (i == start + 1)
      unicode(0xFFFD);  // not UTF-8
    else if (cp == 0x2028 || cp == 0x2029)
      unicode(cp);
    else
      out.append(text, start, i - start);
  }
  out += '"';
}

}  // namespace ambrix
