#include "text/utf8.h"

#include <gtest/gtest.h>

namespace ambrix {
namespace {

TEST(Utf8, CountsCharactersNotBytes) {
  EXPECT_EQ(Utf8Length(""), 0u);
  EXPECT_EQ(Utf8Length("abc"), 3u);
  EXPECT_EQ(Utf8Length("Таблица"), 7u);
  EXPECT_EQ(Utf8Length("a€b"), 3u);
  EXPECT_EQ(Utf8Length("😀"), 1u);
}

TEST(Utf8, ConvertsBetweenCharIndexAndByteOffset) {
  const std::string s = "аб-c€d";  // 2+2+1+1+3+1 bytes
  EXPECT_EQ(Utf8ByteOffset(s, 0), 0u);
  EXPECT_EQ(Utf8ByteOffset(s, 2), 4u);
  EXPECT_EQ(Utf8ByteOffset(s, 4), 6u);
  EXPECT_EQ(Utf8ByteOffset(s, 5), 9u);
  EXPECT_EQ(Utf8ByteOffset(s, 99), s.size());
  EXPECT_EQ(Utf8CharIndex(s, 4), 2u);
  EXPECT_EQ(Utf8CharIndex(s, 9), 5u);
  EXPECT_EQ(Utf8CharIndex(s, 999), 6u);
}

TEST(Utf8, MapsCaseOfTheCp1251Repertoire) {
  EXPECT_EQ(UpperCase("abc xyz"), "ABC XYZ");
  EXPECT_EQ(UpperCase("абвгдеёжзийклмнопрстуфхцчшщъыьэюя"), "АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ");
  EXPECT_EQ(LowerCase("АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"), "абвгдеёжзийклмнопрстуфхцчшщъыьэюя");
  EXPECT_EQ(UpperCase("ђѓєѕіїјљњћќўџґ"), "ЂЃЄЅІЇЈЉЊЋЌЎЏҐ");
  EXPECT_EQ(LowerCase("ЂЃЄЅІЇЈЉЊЋЌЎЏҐ"), "ђѓєѕіїјљњћќўџґ");
  // Letters outside the code page keep their case; so do digits and signs.
  EXPECT_EQ(UpperCase("ѝéß1_@"), "ѝéß1_@");
  EXPECT_EQ(LowerCase("ЍÉ"), "ЍÉ");
  EXPECT_EQ(UpperChar(U'ё'), U'Ё');
  EXPECT_EQ(LowerChar(U'Ґ'), U'ґ');
}

TEST(Utf8, ComparesIgnoringCase) {
  EXPECT_TRUE(SameText("Create Table", "CREATE TABLE"));
  EXPECT_TRUE(SameText("ёлка", "ЁЛКА"));
  EXPECT_FALSE(SameText("ёлка", "ЕЛКА"));
  EXPECT_FALSE(SameText("abc", "abd"));
  EXPECT_FALSE(SameText("abc", "ab"));
  EXPECT_TRUE(EqualsUpper("Таблица", "ТАБЛИЦА"));
  EXPECT_FALSE(EqualsUpper("Таблица", "таблица"));
  EXPECT_LT(CompareText("abc", "ABD"), 0);
  EXPECT_GT(CompareText("Б", "а"), 0);
  EXPECT_EQ(CompareText("Я", "я"), 0);
  EXPECT_LT(CompareText("ab", "AB c"), 0);
}

TEST(Utf8, ValidatesAndDecodes) {
  EXPECT_TRUE(IsValidUtf8("plain ascii and кириллица €"));
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(IsValidUtf8("abc\xD0"));           // truncated
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // past U+10FFFF
  std::string out;
  AppendUtf8(out, U'Ж');
  AppendUtf8(out, U'😀');
  std::size_t pos = 0;
  EXPECT_EQ(DecodeUtf8(out, pos), U'Ж');
  EXPECT_EQ(DecodeUtf8(out, pos), U'😀');
  EXPECT_EQ(pos, out.size());
}

}  // namespace
}  // namespace ambrix
