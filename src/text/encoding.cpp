#include "text/encoding.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <istream>
#include <iterator>

#include "text/error.h"
#include "text/string_helpers.h"
#include "text/utf8.h"

namespace ambrix {

namespace {

// Code points of the Windows-1251 bytes 0x80..0xBF (0xC0..0xFF are А..я).
// 0x98 is unassigned; it maps to U+0098 so that it survives a round trip.
constexpr std::array<char16_t, 64> kCp1251High = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

// Line and column (1-based, characters) of byte `offset` of UTF-8 text.
std::pair<int, int> PositionOf(std::string_view text, std::size_t offset) {
  int line = 1;
  std::size_t lineStart = 0;
  for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) {
      ++line;
      lineStart = i + 1;
    }
  }
  return {line, static_cast<int>(Utf8Length(text.substr(lineStart, offset - lineStart))) + 1};
}

[[noreturn]] void RaiseBadBytes(const char* encodingName, int line, int col) {
  throw Error("Неверная последовательность байтов в кодировке " + std::string(encodingName) + ": строка " +
              std::to_string(line) + ", столбец " + std::to_string(col));
}

std::string DecodeCp1251(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 2);
  for (char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    if (b < 0x80) {
      out.push_back(ch);
    } else {
      AppendUtf8(out, Cp1251ToUnicode(b));
    }
  }
  return out;
}

// Validates UTF-8, naming the position of the first malformed byte.
void CheckUtf8(std::string_view text, int firstLine = 1) {
  std::size_t i = 0;
  while (i < text.size()) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    const std::size_t before = i;
    DecodeUtf8(text, i);
    if (i == before + 1) {
      const auto [line, col] = PositionOf(text, before);
      RaiseBadBytes("UTF-8", line + firstLine - 1, col);
    }
  }
}

std::string DecodeUtf16(std::string_view bytes, bool bigEndian) {
  std::string out;
  out.reserve(bytes.size());
  auto unitAt = [&](std::size_t i) -> char16_t {
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    const auto b1 = static_cast<unsigned char>(bytes[i + 1]);
    return static_cast<char16_t>(bigEndian ? (b0 << 8) | b1 : (b1 << 8) | b0);
  };
  const char* name = bigEndian ? "UTF-16BE" : "UTF-16LE";
  std::size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) {
    char32_t cp = unitAt(i);
    if (cp >= 0xD800 && cp <= 0xDBFF) {
      if (i + 3 < bytes.size()) {
        const char16_t low = unitAt(i + 2);
        if (low >= 0xDC00 && low <= 0xDFFF) {
          cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          i += 2;
          AppendUtf8(out, cp);
          continue;
        }
      }
      const auto [line, col] = PositionOf(out, out.size());
      RaiseBadBytes(name, line, col);
    }
    if (cp >= 0xDC00 && cp <= 0xDFFF) {
      const auto [line, col] = PositionOf(out, out.size());
      RaiseBadBytes(name, line, col);
    }
    AppendUtf8(out, cp);
  }
  if (i < bytes.size()) {  // a lone trailing byte
    const auto [line, col] = PositionOf(out, out.size());
    RaiseBadBytes(name, line, col);
  }
  return out;
}

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

constexpr std::string_view kBomUtf8 = "\xEF\xBB\xBF";
constexpr std::string_view kBomUtf16LE = "\xFF\xFE";
constexpr std::string_view kBomUtf16BE = "\xFE\xFF";

}  // namespace

char32_t Cp1251ToUnicode(unsigned char byte) {
  if (byte < 0x80) return byte;
  if (byte >= 0xC0) return 0x410 + (byte - 0xC0);
  return kCp1251High[byte - 0x80];
}

int UnicodeToCp1251(char32_t c) {
  if (c < 0x80) return static_cast<int>(c);
  if (c >= 0x410 && c <= 0x44F) return static_cast<int>(c - 0x410 + 0xC0);
  for (std::size_t i = 0; i < kCp1251High.size(); ++i) {
    if (kCp1251High[i] == c) return static_cast<int>(0x80 + i);
  }
  return -1;
}

TextEncoding EncodingFromName(std::string_view name) {
  const std::string key = LowerCase(Trim(name));
  if (key.empty() || key == "auto") return TextEncoding::Auto;
  if (key == "utf-8" || key == "utf8") return TextEncoding::Utf8;
  if (key == "windows-1251" || key == "cp1251" || key == "windows1251") return TextEncoding::Windows1251;
  if (key == "utf-16le" || key == "utf16le") return TextEncoding::Utf16LE;
  if (key == "utf-16be" || key == "utf16be") return TextEncoding::Utf16BE;
  throw Error("Неизвестная кодировка: " + std::string(name));
}

const char* EncodingName(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Auto: return "auto";
    case TextEncoding::Utf8: return "utf-8";
    case TextEncoding::Windows1251: return "windows-1251";
    case TextEncoding::Utf16LE: return "utf-16le";
    case TextEncoding::Utf16BE: return "utf-16be";
  }
  return "auto";
}

namespace {

// Where the line that starts at `from` ends: at its first LF or CR, or at the
// end of `text`. The LF is looked for first, then a CR before it: scripts
// mostly end their lines with CR LF or LF.
std::size_t LineEnd(std::string_view text, std::size_t from) {
  const char* const base = text.data();
  const auto* lf = static_cast<const char*>(std::memchr(base + from, '\n', text.size() - from));
  const std::size_t limit = lf != nullptr ? static_cast<std::size_t>(lf - base) : text.size();
  const auto* cr = static_cast<const char*>(std::memchr(base + from, '\r', limit - from));
  return cr != nullptr ? static_cast<std::size_t>(cr - base) : limit;
}

// Where the next line starts after the line end at `end` (CR LF is one).
std::size_t AfterLineEnd(std::string_view text, std::size_t end) {
  return end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
}

}  // namespace

bool TLineReader::Next(std::string_view& line) {
  if (pos_ >= text_.size()) return false;
  const std::size_t end = LineEnd(text_, pos_);
  line = text_.substr(pos_, end - pos_);
  pos_ = end < text_.size() ? AfterLineEnd(text_, end) : end;
  return true;
}

std::size_t TLineReader::Count(std::string_view text) {
  if (text.empty()) return 0;
  // Every line end ends a line; so does the end of the text after a last
  // line without one.
  const char last = text.back();
  return CountLineEnds(text) + (last != '\n' && last != '\r' ? 1 : 0);
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  TLineReader reader(text);
  for (std::string_view line; reader.Next(line);) lines.emplace_back(line);
  return lines;
}

TDecodedScript DecodeScript(std::string bytes, TextEncoding encoding) {
  const std::string_view view = bytes;
  if (encoding == TextEncoding::Auto) {
    if (StartsWith(view, kBomUtf8)) {
      encoding = TextEncoding::Utf8;
    } else if (StartsWith(view, kBomUtf16LE)) {
      encoding = TextEncoding::Utf16LE;
    } else if (StartsWith(view, kBomUtf16BE)) {
      encoding = TextEncoding::Utf16BE;
    } else {
      encoding = IsValidUtf8(view) ? TextEncoding::Utf8 : TextEncoding::Windows1251;
    }
  }
  TDecodedScript result;
  result.Encoding = encoding;
  switch (encoding) {
    case TextEncoding::Utf8:
    case TextEncoding::Auto:
      // UTF-8 is kept as it came: the text takes over the bytes, no copy.
      if (StartsWith(view, kBomUtf8)) bytes.erase(0, kBomUtf8.size());
      CheckUtf8(bytes);
      result.Text = std::move(bytes);
      break;
    case TextEncoding::Windows1251:
      result.Text = DecodeCp1251(view);
      break;
    case TextEncoding::Utf16LE:
      result.Text = DecodeUtf16(StartsWith(view, kBomUtf16LE) ? view.substr(kBomUtf16LE.size()) : view, false);
      break;
    case TextEncoding::Utf16BE:
      result.Text = DecodeUtf16(StartsWith(view, kBomUtf16BE) ? view.substr(kBomUtf16BE.size()) : view, true);
      break;
  }
  return result;
}

// --- TScriptReader ------------------------------------------------------------

namespace {
constexpr std::size_t kPieceSize = 1 << 20;
}  // namespace

bool TScriptReader::Pieces::Next(std::string_view& line) {
  for (;;) {
    const std::string_view text = buffer_;
    const std::size_t end = LineEnd(text, pos_);
    if (end < text.size()) {
      // A CR that ends the piece may be the first half of a CR LF.
      if (text[end] == '\r' && end + 1 == text.size() && !end_) {
        Fill();
        continue;
      }
      line = text.substr(pos_, end - pos_);
      pos_ = AfterLineEnd(text, end);
      return true;
    }
    if (end_) {
      if (pos_ >= buffer_.size()) return false;
      line = std::string_view(buffer_).substr(pos_);
      pos_ = buffer_.size();
      return true;
    }
    Fill();
  }
}

bool TScriptReader::Pieces::NextLines(std::string_view& block) {
  for (;;) {
    const std::string_view text = std::string_view(buffer_).substr(pos_);
    if (end_) {
      if (text.empty()) return false;
      block = text;
      pos_ = buffer_.size();
      return true;
    }
    std::size_t last = text.find_last_of("\r\n");
    // A CR that ends the piece may be the first half of a CR LF.
    if (last != std::string_view::npos && last + 1 == text.size() && text[last] == '\r')
      last = last == 0 ? std::string_view::npos : text.find_last_of("\r\n", last - 1);
    if (last == std::string_view::npos) {
      Fill();
      continue;
    }
    block = text.substr(0, last + 1);
    pos_ += last + 1;
    return true;
  }
}

// Drops what was read and appends the next piece of the stream.
void TScriptReader::Pieces::Fill() {
  buffer_.erase(0, pos_);
  pos_ = 0;
  const std::size_t kept = buffer_.size();
  buffer_.resize(kept + kPieceSize);
  in_.read(buffer_.data() + kept, static_cast<std::streamsize>(kPieceSize));
  const auto got = static_cast<std::size_t>(in_.gcount());
  buffer_.resize(kept + got);
  if (got < kPieceSize) end_ = true;
}

TScriptReader::TScriptReader(std::istream& in, TextEncoding encoding) : in_(in) {
  const std::istream::pos_type start = in_.tellg();
  char head[3] = {};
  in_.read(head, 3);
  const std::string_view mark(head, static_cast<std::size_t>(in_.gcount()));
  in_.clear(in_.rdstate() & ~std::ios::failbit & ~std::ios::eofbit);
  const bool utf8Mark = StartsWith(mark, kBomUtf8);
  if (encoding == TextEncoding::Auto && !utf8Mark) {
    if (StartsWith(mark, kBomUtf16LE)) encoding = TextEncoding::Utf16LE;
    else if (StartsWith(mark, kBomUtf16BE)) encoding = TextEncoding::Utf16BE;
  }
  if (encoding == TextEncoding::Auto || encoding == TextEncoding::Utf8) {
    // The first reading checks the bytes and counts the lines; without a
    // mark or a name, one invalid sequence makes the script Windows-1251.
    const bool named = encoding == TextEncoding::Utf8 || utf8Mark;
    auto rewind = [&] {
      in_.clear(in_.rdstate() & ~std::ios::failbit & ~std::ios::eofbit);
      in_.seekg(start);
      if (utf8Mark) in_.seekg(static_cast<std::streamoff>(kBomUtf8.size()), std::ios::cur);
    };
    rewind();
    bool valid = true;
    {
      // Whole blocks of lines are checked and counted at once: line ends
      // are ASCII, so a block is valid exactly when each of its lines is.
      // Only a block that is not is gone through line by line, for the
      // number of the line to name.
      Pieces pieces(in_);
      std::size_t number = 0;
      for (std::string_view block; pieces.NextLines(block);) {
        if (!IsValidUtf8(block)) {
          if (!named) {
            valid = false;
            break;
          }
          TLineReader lines(block);
          std::size_t at = number;
          for (std::string_view line; lines.Next(line);) CheckUtf8(line, static_cast<int>(++at));
        }
        number += TLineReader::Count(block);
      }
      lineCount_ = number;
    }
    if (valid) {
      encoding_ = TextEncoding::Utf8;
      rewind();
      pieces_ = std::make_unique<Pieces>(in_);
      return;
    }
    encoding = TextEncoding::Windows1251;
  }
  // Any other encoding: the whole text, decoded.
  in_.clear(in_.rdstate() & ~std::ios::failbit & ~std::ios::eofbit);
  in_.seekg(start);
  std::string bytes((std::istreambuf_iterator<char>(in_)), std::istreambuf_iterator<char>());
  TDecodedScript script = DecodeScript(std::move(bytes), encoding);
  encoding_ = script.Encoding;
  decoded_ = std::move(script.Text);
  lineCount_ = TLineReader::Count(decoded_);
  whole_ = std::make_unique<TLineReader>(decoded_);
}

bool TScriptReader::Next(std::string_view& line) {
  if (!pieces_) return whole_->Next(line);
  if (!pieces_->Next(line)) return false;
  // The first reading found valid UTF-8; a file changed since then is an
  // error that names where, not text passed on broken.
  ++linesRead_;
  if (!IsValidUtf8(line)) CheckUtf8(line, static_cast<int>(linesRead_));
  return true;
}

TDecodedText DecodeText(std::string_view bytes, TextEncoding encoding) {
  TDecodedScript script = DecodeScript(std::string(bytes), encoding);
  TDecodedText result;
  result.Encoding = script.Encoding;
  result.Lines = SplitLines(script.Text);
  return result;
}

std::string EncodeText(std::string_view utf8, TextEncoding encoding, int firstLine) {
  switch (encoding) {
    case TextEncoding::Utf8:
    case TextEncoding::Auto:
      CheckUtf8(utf8, firstLine);
      return std::string(utf8);
    case TextEncoding::Windows1251: {
      std::string out;
      out.reserve(utf8.size());
      std::size_t i = 0;
      while (i < utf8.size()) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
          out.push_back(static_cast<char>(b));
          ++i;
          continue;
        }
        const std::size_t at = i;
        const char32_t cp = DecodeUtf8(utf8, i);
        const int mapped = (i == at + 1) ? -1 : UnicodeToCp1251(cp);
        if (mapped < 0) {
          auto [line, col] = PositionOf(utf8, at);
          line += firstLine - 1;
          if (i == at + 1) RaiseBadBytes("UTF-8", line, col);
          char code[16];
          std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(cp));
          throw Error("Символ " + std::string(utf8.substr(at, i - at)) + " (" + code +
                      ") не может быть записан в кодировке windows-1251: строка " + std::to_string(line) +
                      ", столбец " + std::to_string(col));
        }
        out.push_back(static_cast<char>(mapped));
      }
      return out;
    }
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
      break;
  }
  throw Error("Запись в кодировке " + std::string(EncodingName(encoding)) + " не поддерживается");
}

std::string EncodeLines(const std::vector<std::string>& lines, TextEncoding encoding, std::string_view lineEnd) {
  return EncodeText(JoinLines(lines, lineEnd), encoding);
}

}  // namespace ambrix
