#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text/text_point.h"

namespace ambrix {

/// Character classes that occur in a text, as a bit set (0..3).
using TCharClasses = std::uint8_t;
constexpr TCharClasses ccDigit = 1;   ///< a digit 0-9
constexpr TCharClasses ccLetter = 2;  ///< a letter A-Z or a Cyrillic capital А-Я after upper-casing

// String helpers shared by the splitter, the term list, the parser and the
// driver. Positions are 1-based and count characters (code points); 0 means
// none. Letter case is ignored by the Windows-1251 letter repertoire (utf8.h).
// A blank is one of tab, line feed, carriage return and space.

/// True for tab, line feed, carriage return and space.
constexpr bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

/// `s` without the characters of code 32 or less at both ends (or at one end).
std::string_view Trim(std::string_view s);
std::string_view TrimLeft(std::string_view s);
std::string_view TrimRight(std::string_view s);

/// `s` trimmed and upper-cased: the normal form of type names, keys and
/// separators.
std::string UpperTrim(std::string_view s);

/// A hash of `s` trimmed that is the same for texts equal ignoring letter
/// case: a quick test before a comparison. Case mapping keeps the length of
/// every letter's UTF-8 sequence, so ASCII letters are folded and every other
/// byte of 0x80 and above counts as one value.
std::uint32_t CaseFoldKey(std::string_view s);

/// The first position >= `from` whose character is not one of the characters
/// of `chars`; 0 if none (also when `from` is past the end).
int SkipChars(int from, std::string_view s, std::string_view chars);

/// `SkipChars` with the blanks.
int SkipBlanks(int from, std::string_view s);

/// The words of s[from..to] separated by spaces, carriage returns and line
/// feeds (a tab inside a word does not split it; leading blanks are skipped);
/// `out` is emptied first. Raises "Параметр конца строки больше ее длины" when
/// `to` is past the end of `s`.
void SplitWords(int from, int to, std::string_view s, std::vector<std::string>& out);

/// Byte order, except that a string sorts before every proper prefix of
/// itself ("--" before "-"): walking a list sorted so, the first entry that
/// matches at a position is the longest one.
bool LongestFirstLess(std::string_view a, std::string_view b);

/// The items joined by single spaces; empty for an empty list.
std::string JoinWithSpaces(const std::vector<std::string>& list);
/// The lines with `lineEnd` after every one (an empty list gives an empty text).
std::string JoinLines(const std::vector<std::string>& lines, std::string_view lineEnd = "\r\n");
/// How many times `c` occurs in `text`.
std::size_t CountChar(std::string_view text, char c);
/// How many line ends `text` holds: CR LF, LF and a CR without an LF after it
/// each count once.
std::size_t CountLineEnds(std::string_view text);

/// `s` repeated `count` times; empty for count <= 0.
std::string RepeatString(int count, std::string_view s);

/// Position of the `n`-th occurrence of `sub` that starts within from..to,
/// ignoring letter case; 0 if none. With `wholeWord` the occurrence must have
/// a blank (or the range bound) on both sides. After a hit the count resumes
/// behind it. Raises "Нельзя искать пустую строку" for an empty `sub`.
int PosText(int from, int to, std::string_view sub, bool wholeWord, int n, std::string_view s);

/// `PosText` for any of several substrings: at the leftmost position, the
/// first of `subs` in list order wins. Raises "Нельзя искать пустую строку"
/// when any of `subs` is empty.
int PosAnyText(int from, int to, std::string_view s, const std::vector<std::string>& subs,
               bool wholeWord, int n);

/// Replaces every occurrence of `oldText` in `s`, ignoring case, by `newText`
/// of the same length in characters. Raises "Длина у исходной и заменяемой
/// строки должна быть одинаковой" for different lengths and "Нельзя искать
/// пустую строку" for empty texts; `s` is unchanged on failure.
void ReplaceSameLength(std::string& s, std::string_view oldText, std::string_view newText);

/// Index of the first value equal to `s` when both are trimmed and
/// upper-cased; -1 if none.
int IndexOfText(std::string_view s, const std::vector<std::string>& values);

/// Index of the first value exactly equal to `s`; -1 if none.
int IndexOfStr(std::string_view s, const std::vector<std::string>& values);

/// Replaces each value by its trimmed, upper-cased form.
void NormalizeStrings(std::vector<std::string>& values);

/// Which classes occur in `s`: `ccLetter` for A-Z or А-Я (after upper-casing;
/// Ё is not a letter here), `ccDigit` for 0-9.
TCharClasses CharClasses(std::string_view s);

/// Appends `text` as a string literal of the target: '...' with every quote
/// and backslash doubled (the target reads a backslash as an escape) and
/// every control character written as a \xHH escape, so that the literal
/// stays on its line: a line break could start a statement (a GO line).
void AppendTargetStringLiteral(std::string& out, std::string_view text);

/// `text` made safe inside a /* ... */ comment on one line: a comment
/// opener or closer is split by a blank and control characters (line breaks
/// included) become blanks, so the text can neither end the comment nor
/// start a line of its own.
std::string CommentSafeText(std::string_view text);

/// `text` with every `closer` written twice taken as one: the interior of a
/// delimited name or string as it was written ([a]]b], "a""b", 'it''s') read
/// back to its value.
std::string Undoubled(std::string_view text, std::string_view closer);

/// The byte offset in `line` where column `col` (from 1; a tab takes
/// `kTabSize` columns) starts; a column inside a tab is the tab's; past the
/// end: the line's size.
std::size_t ColumnByteOffset(std::string_view line, int col);
/// The columns `text` takes (characters, a tab `kTabSize`).
int ColumnCount(std::string_view text);

/// The text of `lines` from `fromPos` to `toPos`, both inclusive (line from 0,
/// column from 1, as ColumnByteOffset counts), one item per line; `out` is emptied first.
/// Parts of a position outside its line give what lies inside it.
void CopyTextRange(const std::vector<std::string>& lines, TTextPoint fromPos, TTextPoint toPos,
                   std::vector<std::string>& out);

}  // namespace ambrix
