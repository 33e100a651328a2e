#include "text/encoding.h"

#include <sstream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "text/error.h"

namespace ambrix {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::string Cp1251(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s.push_back(static_cast<char>(b));
  return s;
}

TEST(DecodeText, SplitsAtEveryLineEndAndKeepsContent) {
  const auto text = DecodeText("a\r\nb\nc\rd  \r\n\r\ne");
  EXPECT_THAT(text.Lines, ElementsAre("a", "b", "c", "d  ", "", "e"));
  EXPECT_THAT(DecodeText("x\n").Lines, ElementsAre("x"));
  EXPECT_THAT(DecodeText("x\n\n").Lines, ElementsAre("x", ""));
  EXPECT_TRUE(DecodeText("").Lines.empty());
  EXPECT_THAT(DecodeText(std::string("a\0b", 3)).Lines, ElementsAre(std::string("a\0b", 3)));
}

TEST(DecodeText, ByteOrderMarkDecides) {
  auto utf8 = DecodeText("\xEF\xBB\xBFтаблица\r\n");
  EXPECT_EQ(utf8.Encoding, TextEncoding::Utf8);
  EXPECT_THAT(utf8.Lines, ElementsAre("таблица"));

  // "Ж\nz" in UTF-16LE and UTF-16BE, with a surrogate pair in the first.
  auto le = DecodeText(std::string("\xFF\xFE\x16\x04\x0A\x00z\x00\x3D\xD8\x00\xDE", 12));
  EXPECT_EQ(le.Encoding, TextEncoding::Utf16LE);
  EXPECT_THAT(le.Lines, ElementsAre("Ж", "z😀"));
  auto be = DecodeText(std::string("\xFE\xFF\x04\x16\x00\x0A\x00z", 8));
  EXPECT_EQ(be.Encoding, TextEncoding::Utf16BE);
  EXPECT_THAT(be.Lines, ElementsAre("Ж", "z"));
}

TEST(DecodeText, FallsBackToCp1251WhenNotUtf8) {
  // "Привет" in Windows-1251, then Ё, № and the unassigned byte 0x98.
  auto text = DecodeText(Cp1251({0xCF, 0xF0, 0xE8, 0xE2, 0xE5, 0xF2, ' ', 0xA8, 0xB9, 0x98}));
  EXPECT_EQ(text.Encoding, TextEncoding::Windows1251);
  EXPECT_THAT(text.Lines, ElementsAre("Привет Ё№\u0098"));
  auto plain = DecodeText("select 1");
  EXPECT_EQ(plain.Encoding, TextEncoding::Utf8);
}

TEST(DecodeText, HonoursANamedEncoding) {
  // Valid UTF-8 bytes read as Windows-1251 when the user says so.
  auto text = DecodeText("\xD0\x96", EncodingFromName("CP1251"));
  EXPECT_THAT(text.Lines, ElementsAre("Р–"));
  auto le = DecodeText(std::string("a\x00", 2), EncodingFromName("utf-16le"));
  EXPECT_THAT(le.Lines, ElementsAre("a"));
}

TEST(DecodeText, RejectsMalformedBytesOfANamedEncoding) {
  try {
    DecodeText("ok\nab\xFF", TextEncoding::Utf8);
    FAIL();
  } catch (const Error& e) {
    EXPECT_THAT(e.what(), HasSubstr("строка 2, столбец 3"));
  }
  EXPECT_THROW(DecodeText(std::string("\xFF\xFE\x00\xD8", 4)), Error);  // lone surrogate
  EXPECT_THROW(DecodeText(std::string("\xFF\xFE" "a", 3)), Error);      // odd length
  EXPECT_THROW(EncodingFromName("koi8-r"), Error);
}

TEST(EncodeText, WritesCp1251AndRoundTrips) {
  const std::string source = "Привет, Ёж № 5 — «x»\r\n";
  const std::string bytes = EncodeText(source, TextEncoding::Windows1251);
  EXPECT_EQ(bytes.size(), 22u);  // one byte per character
  EXPECT_EQ(DecodeText(bytes, TextEncoding::Windows1251).Lines.front(), "Привет, Ёж № 5 — «x»");
  for (int b = 0x80; b <= 0xFF; ++b) {
    const char32_t cp = Cp1251ToUnicode(static_cast<unsigned char>(b));
    EXPECT_EQ(UnicodeToCp1251(cp), b);
  }
}

TEST(EncodeText, NamesLineAndColumnOfAnUnmappableCharacter) {
  try {
    EncodeLines({"create table t (", "  имя int, 😀x int)"}, TextEncoding::Windows1251);
    FAIL();
  } catch (const Error& e) {
    EXPECT_THAT(e.what(), HasSubstr("строка 2, столбец 12"));
    EXPECT_THAT(e.what(), HasSubstr("U+1F600"));
  }
  EXPECT_EQ(EncodeLines({"a", "б"}, TextEncoding::Utf8, "\n"), "a\nб\n");
}

TEST(EncodeText, CountsLinesFromTheGivenFirstLine) {
  // A piece of a larger text: its first line is line 40 of the whole.
  try {
    EncodeText("go\r\n  x = '😀'", TextEncoding::Windows1251, 40);
    FAIL();
  } catch (const Error& e) {
    EXPECT_THAT(e.what(), HasSubstr("строка 41, столбец 8"));
  }
}

// --- Reading a script line by line -------------------------------------------

struct ReadScript {
  std::vector<std::string> lines;
  TextEncoding encoding;
  std::size_t counted;
};

ReadScript ReadWhole(const std::string& bytes, TextEncoding encoding = TextEncoding::Auto) {
  std::istringstream in(bytes);
  TScriptReader reader(in, encoding);
  ReadScript read{{}, reader.Encoding(), reader.LineCount()};
  for (std::string_view line; reader.Next(line);) read.lines.emplace_back(line);
  return read;
}

// The reader gives the lines, the encoding and the errors of DecodeText,
// whatever the encoding and wherever the pieces it reads end.
TEST(ScriptReader, ReadsWhatDecodeTextDecodes) {
  const std::string mb(1 << 20, 'x');
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"empty", ""},
      {"line ends of every kind", "a\r\nb\nc\rd  \r\n\r\ne"},
      {"final line end", "x\n"},
      {"final empty line", "x\n\n"},
      {"lone CRs, the last at the end", "a\rb\r\rc\r"},
      {"NUL kept", std::string("a\0b", 3)},
      {"UTF-8 mark", "\xEF\xBB\xBFтаблица\r\n"},
      {"UTF-16LE mark", std::string("\xFF\xFE\x16\x04\x0A\x00z\x00", 8)},
      {"UTF-16BE mark", std::string("\xFE\xFF\x04\x16\x00\x0A\x00z", 8)},
      {"Windows-1251", Cp1251({0xCF, 0xF0, 0xE8, 0xE2, 0xE5, 0xF2, '\n', 0xA8})},
      {"invalid UTF-8 after a piece", mb + "\nok\n" + Cp1251({0xCF, 0xF0})},
      // The CR of a CR LF is the last byte of the first piece.
      {"CR LF across pieces", std::string((1 << 20) - 1, 'y') + "\r\nnext\r\nlast"},
      {"CR alone at a piece's end", std::string((1 << 20) - 1, 'y') + "\rnext"},
      {"a line longer than a piece", "first\n" + mb + mb + "z\nlast"},
      {"Cyrillic across pieces", std::string((1 << 20) - 1, 'y') + "Жж\nЁ"},
  };
  for (const auto& [name, bytes] : cases) {
    const TDecodedText expected = DecodeText(bytes);
    const ReadScript read = ReadWhole(bytes);
    EXPECT_EQ(read.lines, expected.Lines) << name;
    EXPECT_EQ(read.encoding, expected.Encoding) << name;
    EXPECT_EQ(read.counted, expected.Lines.size()) << name;
  }
}

TEST(ScriptReader, HonoursANamedEncodingAndRejectsItsMalformedBytesBeforeAnyLine) {
  EXPECT_EQ(ReadWhole("\xD0\x96", TextEncoding::Windows1251).lines, std::vector<std::string>{"Р–"});
  EXPECT_EQ(ReadWhole(std::string("a\x00", 2), TextEncoding::Utf16LE).lines, std::vector<std::string>{"a"});
  // The bad byte stands far from the start: the constructor finds it, with
  // the line and column DecodeText names.
  const std::string bytes = "ok\n" + std::string(3 << 20, 'q') + "\nab\xFF";
  std::istringstream in(bytes);
  try {
    TScriptReader reader(in, TextEncoding::Utf8);
    FAIL();
  } catch (const Error& e) {
    EXPECT_THAT(e.what(), HasSubstr("строка 3, столбец 3"));
  }
  try {
    DecodeText(bytes, TextEncoding::Utf8);
    FAIL();
  } catch (const Error& e) {
    EXPECT_THAT(e.what(), HasSubstr("строка 3, столбец 3"));
  }
  // The bad line among others read together: still named by its own number.
  std::istringstream among("ok\r\nfine\rab\xFF\nmore\n");
  try {
    TScriptReader reader(among, TextEncoding::Utf8);
    FAIL();
  } catch (const Error& e) {
    EXPECT_THAT(e.what(), HasSubstr("строка 3, столбец 3"));
  }
}

TEST(ScriptReader, AScriptChangedAfterItsFirstReadingIsAnErrorNotBrokenText) {
  std::stringstream in("ok\nfine\nlast\n");
  TScriptReader reader(in);
  ASSERT_EQ(reader.Encoding(), TextEncoding::Utf8);
  in.seekp(4);  // the second line's second byte becomes a byte UTF-8 never has
  in.write("\xFF", 1);
  std::string_view line;
  ASSERT_TRUE(reader.Next(line));
  EXPECT_EQ(line, "ok");
  try {
    reader.Next(line);
    FAIL();
  } catch (const Error& e) {
    EXPECT_THAT(e.what(), HasSubstr("строка 2, столбец 2"));
  }
}

// Every line is checked again on the second reading: a change anywhere in a
// large script, on a piece boundary too, stops at its own line.
TEST(ScriptReader, AChangeAnywhereInALargeScriptStopsAtItsOwnLine) {
  std::string text;
  std::vector<std::size_t> lineStarts;
  for (int i = 0; text.size() < (std::size_t{5} << 19); ++i) {  // 2.5 MB: three pieces
    lineStarts.push_back(text.size());
    text += "line " + std::to_string(i) + " строка" + (i % 3 == 0 ? "\r\n" : "\n");
  }
  const std::size_t piece = std::size_t{1} << 20;
  std::size_t atBoundary = 0;
  while (lineStarts[atBoundary + 1] <= piece) ++atBoundary;  // the line the first piece ends in
  for (const std::size_t bad : {std::size_t{0}, atBoundary, lineStarts.size() / 2, lineStarts.size() - 1}) {
    SCOPED_TRACE(bad);
    std::stringstream in(text);
    TScriptReader reader(in);
    ASSERT_EQ(reader.Encoding(), TextEncoding::Utf8);
    in.seekp(static_cast<std::streamoff>(lineStarts[bad] + 2));
    in.write("\xFF", 1);
    std::string_view line;
    std::size_t read = 0;
    try {
      while (reader.Next(line)) ++read;
      FAIL() << "no error";
    } catch (const Error& e) {
      EXPECT_EQ(read, bad);
      EXPECT_THAT(e.what(), HasSubstr("строка " + std::to_string(bad + 1) + ", столбец 3"));
    }
  }
}

}  // namespace
}  // namespace ambrix
