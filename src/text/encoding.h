#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ambrix {

/// Encodings of script files. `Auto` (reading only): a byte-order mark decides
/// (UTF-8, UTF-16LE, UTF-16BE); without one, text that is valid UTF-8 is UTF-8
/// and anything else is Windows-1251.
enum class TextEncoding { Auto, Utf8, Windows1251, Utf16LE, Utf16BE };

/// The encoding a user names: "utf-8"/"utf8", "windows-1251"/"cp1251",
/// "utf-16le", "utf-16be" (letter case ignored), "auto" or "". Raises
/// ambrix::Error for any other name.
TextEncoding EncodingFromName(std::string_view name);

/// The canonical name of an encoding ("utf-8", "windows-1251", ...).
const char* EncodingName(TextEncoding encoding);

/// Result of decoding a script file.
struct TDecodedText {
  std::vector<std::string> Lines;  ///< UTF-8 lines, without line ends
  TextEncoding Encoding = TextEncoding::Utf8;  ///< the encoding that was used
};

/// Decodes a script file's bytes to UTF-8 lines. Lines end at CR LF, LF or CR;
/// a missing final line end is fine, a final line end adds no empty line, and
/// the content of every line is kept exactly (NUL bytes included). A byte-order
/// mark is dropped. Raises ambrix::Error, naming the line and column, for bytes
/// that are not valid in an explicitly named UTF-8 or UTF-16 encoding.
TDecodedText DecodeText(std::string_view bytes, TextEncoding encoding = TextEncoding::Auto);

/// A script file decoded to one UTF-8 text, line ends kept as they were.
struct TDecodedScript {
  std::string Text;
  TextEncoding Encoding = TextEncoding::Utf8;  ///< the encoding that was used
};

/// Decodes a script file's bytes as `DecodeText` does, into one text: a large
/// script then costs its size once, not a string per line. The bytes are
/// taken so that UTF-8 input becomes the text without a copy.
TDecodedScript DecodeScript(std::string bytes, TextEncoding encoding = TextEncoding::Auto);

/// Steps through the lines of a text as `SplitLines` splits it, without
/// copying: each line is a view into the text, which must outlive the reader.
class TLineReader {
 public:
  explicit TLineReader(std::string_view text) : text_(text) {}
  /// The next line, without its line end; false after the last one.
  bool Next(std::string_view& line);
  /// The number of lines of `text`.
  static std::size_t Count(std::string_view text);

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

/// The lines of a script read from a stream one at a time, as `DecodeText`
/// decodes and splits it. A script in UTF-8 (by its byte-order mark, by name,
/// or by being valid UTF-8 without a mark) is read in pieces as its lines are
/// taken, so that a large script is never held whole; one in another encoding
/// is decoded whole first. The constructor reads the stream once to choose
/// the encoding, check the bytes and count the lines, then goes back to its
/// start: the stream must be seekable. Raises ambrix::Error as `DecodeText`
/// does; a stream that fails to read raises what its exception mask asks for.
class TScriptReader {
 public:
  explicit TScriptReader(std::istream& in, TextEncoding encoding = TextEncoding::Auto);
  TScriptReader(const TScriptReader&) = delete;
  TScriptReader& operator=(const TScriptReader&) = delete;

  /// The encoding that is used.
  TextEncoding Encoding() const { return encoding_; }
  /// The number of lines the script has.
  std::size_t LineCount() const { return lineCount_; }
  /// The next line, without its line end; false after the last one. The view
  /// is valid until the next call. A UTF-8 script changed since the first
  /// reading so that a line is no longer valid raises ambrix::Error naming
  /// its line and column.
  bool Next(std::string_view& line);

 private:
  // Lines of the stream's bytes from where it stands, read a piece at a time.
  class Pieces {
   public:
    explicit Pieces(std::istream& in) : in_(in) {}
    bool Next(std::string_view& line);
    /// The complete lines in hand, with their line ends, as one block (at
    /// the end of the stream the last line, with or without a line end);
    /// false when nothing is left. Never mixed with Next on one reader.
    bool NextLines(std::string_view& block);

   private:
    void Fill();
    std::istream& in_;
    std::string buffer_;
    std::size_t pos_ = 0;
    bool end_ = false;
  };

  std::istream& in_;
  TextEncoding encoding_ = TextEncoding::Utf8;
  std::size_t lineCount_ = 0;
  std::unique_ptr<Pieces> pieces_;  ///< UTF-8: the lines as they are read
  std::size_t linesRead_ = 0;       ///< UTF-8: lines taken so far
  std::string decoded_;             ///< other encodings: the whole text
  std::unique_ptr<TLineReader> whole_;
};

/// Splits UTF-8 text into lines at CR LF, LF and CR (see `DecodeText`).
std::vector<std::string> SplitLines(std::string_view text);

/// Encodes UTF-8 text for output: `Utf8` copies it (no byte-order mark),
/// `Windows1251` converts it. A character that the encoding cannot hold raises
/// ambrix::Error naming its 1-based line and column (in characters; lines
/// counted at CR LF, LF and CR). UTF-16 output is not offered. `firstLine`
/// is the number the text's first line has in the error message (a piece of
/// a larger text written piece by piece).
std::string EncodeText(std::string_view utf8, TextEncoding encoding, int firstLine = 1);

/// Joins lines with `lineEnd` after every line (an empty list gives an empty
/// text) and encodes the result as `EncodeText` does; line numbers of errors
/// count the lines of the list (and line breaks inside an item).
std::string EncodeLines(const std::vector<std::string>& lines, TextEncoding encoding,
                        std::string_view lineEnd = "\r\n");

/// Windows-1251 byte <-> code point. Byte 0x98, unassigned in the code page,
/// maps to U+0098 and back so that no byte is ever lost.
char32_t Cp1251ToUnicode(unsigned char byte);
/// The Windows-1251 byte of `c`, or -1 when the code page has no such character.
int UnicodeToCp1251(char32_t c);

}  // namespace ambrix
