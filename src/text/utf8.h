#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ambrix {

// UTF-8 helpers. Every string inside the program is UTF-8; positions that
// leave a function count code points. Case mapping follows the letter
// repertoire of Windows-1251: ASCII letters, the Russian alphabet with Ё/ё and
// the other Cyrillic letters of that code page (Ђ Ѓ Є Ѕ І Ї Ј Љ Њ Ћ Ќ Ў Џ Ґ and
// their small forms). Every other character is left as it is. Upper and lower
// case forms of those letters have the same UTF-8 length, so case mapping
// never changes a string's byte length or the byte offsets inside it.

/// True when every byte is below 0x80.
bool IsAscii(std::string_view s);

/// True when `s` is well-formed UTF-8 (no overlong forms, no surrogates, no
/// code point above U+10FFFF).
bool IsValidUtf8(std::string_view s);

/// Number of code points of well-formed UTF-8 (counts the bytes that are not
/// continuation bytes).
std::size_t Utf8Length(std::string_view s);

/// Byte offset of the code point with 0-based index `charIndex`; `s.size()`
/// when the index is at or past the end.
std::size_t Utf8ByteOffset(std::string_view s, std::size_t charIndex);

/// 0-based code point index of the character that holds byte `byteOffset`
/// (the number of code points that start before it); offsets past the end
/// give the string's length in code points.
std::size_t Utf8CharIndex(std::string_view s, std::size_t byteOffset);

/// Byte length of the UTF-8 sequence that starts with `lead` (1 for a stray
/// continuation byte or an invalid lead byte).
std::size_t Utf8SequenceLength(unsigned char lead);

/// Decodes the code point at byte `pos` and advances `pos` past it. A malformed
/// sequence yields its first byte's value and advances by one byte.
char32_t DecodeUtf8(std::string_view s, std::size_t& pos);

/// Appends the UTF-8 form of `c`.
void AppendUtf8(std::string& out, char32_t c);

/// Upper/lower case of one code point (Windows-1251 letter repertoire).
char32_t UpperChar(char32_t c);
char32_t LowerChar(char32_t c);

/// Upper/lower-cased copy; same byte length as `s`.
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
void UpperCaseInPlace(std::string& s);
void LowerCaseInPlace(std::string& s);

/// Upper/lower-cases the code point starting at byte `pos` of `s` in place and
/// returns the byte length of that code point.
std::size_t UpperCaseCharAt(std::string& s, std::size_t pos);
std::size_t LowerCaseCharAt(std::string& s, std::size_t pos);

/// Case-insensitive equality (Windows-1251 letter repertoire).
bool SameText(std::string_view a, std::string_view b);

/// True when `s` upper-cased equals `upper` (which the caller has already
/// upper-cased); cheaper than `SameText` in a loop over one search key.
bool EqualsUpper(std::string_view s, std::string_view upper);

/// Case-insensitive three-way comparison by upper-cased bytes: negative, 0 or
/// positive.
int CompareText(std::string_view a, std::string_view b);

}  // namespace ambrix
