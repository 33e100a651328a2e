#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "recognition/convert_context.h"

namespace ambrix {

class TParserWord;
class TParserWordList;
class TParserTextWord;

// The conventions every rewrite rule follows. A rule is a free function
// `void Rule(const TConvertContext& Context, TParserWordList& Words, ...)`:
// the context (the dialect's special terms and type names) travels with the
// call. Rules read the parse result and edit only its editable text.

// --- Searching ------------------------------------------------------------

/// Searching the statement: every word at any depth of `Words`, in document
/// order (a word before its children), whose word text equals one of `Texts`
/// (blanks and letter case ignored). Comments and string literals are neither
/// collected nor entered. Collected before the caller changes anything.
std::vector<TParserWord*> SearchStatement(const TConvertContext& Context, TParserWordList& Words,
                                          std::initializer_list<std::string_view> Texts);
/// The same, comparing each word's first start word instead of its whole text.
std::vector<TParserWord*> SearchStatementByFirstWord(const TConvertContext& Context,
                                                     TParserWordList& Words,
                                                     std::initializer_list<std::string_view> Texts);
/// The same, skipping comments only: string literals are entered too.
std::vector<TParserWord*> SearchStatementWithStrings(const TConvertContext& Context,
                                                     TParserWordList& Words,
                                                     std::initializer_list<std::string_view> Texts);

/// Finding in one list: the first index in From..To (To = -1: the last index)
/// whose word text equals `Text` ignoring case; -1 if none. Children are not
/// entered, comments never match.
int FindInList(TParserWordList& List, const std::string& Text, int From = 0, int To = -1);

/// The first significant (non-comment) word at or after `From`; -1 if none.
int FirstSignificant(const TConvertContext& Context, TParserWordList& List, int From);
/// The next / previous significant word after / before `Index` in the same
/// list; -1 if none.
int NextSignificant(const TConvertContext& Context, TParserWordList& List, int Index);
int PrevSignificant(const TConvertContext& Context, TParserWordList& List, int Index);
/// The index of the first statement keyword (a term tagged "main") at or
/// after `From`; -1 if none.
int FirstStatementKeyword(TParserWordList& List, int From);
/// The first word at or after `From` whose term is `Term` (identity); -1 if none.
int FindTerm(TParserWordList& List, const TTerm* Term, int From = 0);

// --- Word texts and comparisons --------------------------------------------

/// A word's word text: its term's start text (reserved words upper case,
/// start words joined by single blanks; plain words as written).
const std::string& WordText(const TParserWord& Word);
/// Exact comparison of a word's word text.
bool WordTextIs(const TParserWord& Word, std::string_view Text);
/// Comparison ignoring blanks around and letter case.
bool WordTextEquals(const TParserWord& Word, std::string_view Text);
bool IsType(const TParserWord& Word, std::string_view TypeName);
bool IsComment(const TConvertContext& Context, const TParserWord& Word);
/// The text of the first child of a delimited word (the name inside [...],
/// the content of a string literal); empty when it has no children.
std::string FirstChildText(const TParserWord& Word);
/// The text words First..Last printed as they stand now, their lines joined
/// by line feeds and the blanks around the whole removed.
std::string PrintedText(TParserWordList& Words, TParserTextWord& First, TParserTextWord& Last);

// --- Editing (a word whose start text word is gone is left alone) ----------

/// Sets the text of the word's start text word; keeps its layout. Returns
/// false (and does nothing) when an earlier rule deleted that text word.
bool SetWordText(TParserWord& Word, const std::string& Text);
/// Deletes the word's start text word, carrying its spacing over to the next
/// text word when `KeepLayout`. False when it is gone already.
bool DeleteStartWord(TParserWord& Word, bool KeepLayout);
/// Deletes the start and end text words of a delimited word, keeping what is
/// between them; the start carries its spacing over when `KeepStartLayout`.
/// A word without end text word loses only its start text word.
bool DeleteDelimiters(TParserWord& Word, bool KeepStartLayout);
/// Deletes the whole construct: start text word through last text word.
bool DeleteWhole(TParserWord& Word, bool KeepLayout);
/// Deletes the end text word of a delimited word. False when it has none.
bool DeleteEndWord(TParserWord& Word, bool KeepLayout);
/// Deletes the text words First..Last (Last must follow First in the chain).
void DeleteTextRange(TParserTextWord& First, TParserTextWord& Last, bool KeepLayout);

/// Inserts a new text word (tied to no parser word) into the editable text
/// of `Words` before / after `At` (before null: at the end), with `Spaces`
/// blanks and `LineBreaks` line breaks before it. A glued insertion pulls the
/// text word after the new one onto its line (no line breaks, at least one
/// blank).
TParserTextWord& InsertTextBefore(TParserWordList& Words, TParserTextWord* At,
                                  const std::string& Text, int Spaces, int LineBreaks,
                                  bool Glued = false);
TParserTextWord& InsertTextAfter(TParserWordList& Words, TParserTextWord& At,
                                 const std::string& Text, int Spaces, int LineBreaks,
                                 bool Glued = false);
/// Adds a new text word at the end of the editable text of `Words`.
TParserTextWord& AppendText(TParserWordList& Words, const std::string& Text, int Spaces,
                            int LineBreaks);
/// The first text word of the editable text of `Words`, or null when it is empty.
TParserTextWord* FirstTextWord(TParserWordList& Words);

// --- Warnings ----------------------------------------------------------------

/// Ties a warning of kind `VarName` (an alarm row of the dialect) about the
/// source text `Word` to the text word `At` of the editable text of `Words`
/// (null: after the last word): the compilation reports it where `At` is
/// printed. `Word` is made one line (line breaks and runs of blanks become one
/// blank) and cut to the 128 characters an alarm keeps.
void MarkAlarm(TParserWordList& Words, TParserTextWord* At, const std::string& VarName, std::string_view Word);
/// The same at the first text word still standing of the parser word `At`
/// (after the last word when none is left), about the word's own text.
void MarkAlarm(TParserWordList& Words, TParserWord& At, const std::string& VarName);

// --- Names in generated SQL -------------------------------------------------

/// `Name` as a string literal of the target (AppendTargetStringLiteral).
std::string QuotedString(const std::string& Name);
/// `Name` as a bracketed name: [...] with every closing bracket inside doubled.
std::string BracketedName(const std::string& Name);
/// `Name` as a double-quoted name: "..." with every double quote inside doubled.
std::string DoubleQuotedName(const std::string& Name);
/// `Name` as written when it is a regular identifier (letters, digits, _, @,
/// #, $, not starting with a digit or $); otherwise bracketed.
std::string PlainOrBracketedName(const std::string& Name);

}  // namespace ambrix
