#pragma once
// A term list shaped like the Transact-SQL dialect rows, for tests that parse
// text without a repository. Rows are registered the way the converter loads
// reserved-word rows: COMMENT rows become line or block comments, OBJECT_DIV
// gets the digit exception, TEXT and OBJECT_NAME are not nested, the case
// style follows the type, and every row is tagged "main" or "child".
//
//   #include "../support/test_terms.h"
//   auto dialect = ambrix::testing::MakeTestTerms();
//   ambrix::testing::AddDialectRow(*dialect.Terms, "DML", "create view", "", true, true);

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "parser/parser.h"
#include "parser/term_list.h"
#include "recognition/convert_context.h"
#include "text/string_helpers.h"
#include "text/utf8.h"

namespace ambrix::testing {

/// Registers one reserved-word row (type, start word, end word or "", IsWord,
/// IsMain) as the converter does; returns the new term.
inline TTerm* AddDialectRow(TTermList& terms, std::string_view type, std::string_view start, std::string_view end,
                            bool isWord, bool isMain) {
  const std::vector<std::string> tags{isMain ? "main" : "child"};
  const std::string t = UpperTrim(type);
  int index;
  if (t == "COMMENT") {
    index = Trim(end).empty() ? terms.AddLineComment(start, isWord, tags)
                              : terms.AddBlockComment(start, end, isWord, tags);
  } else {
    const std::string lower = LowerCase(Trim(type));
    TCaseStyle style = csLower;
    if (lower == "syscommand" || lower == "sysglobalvar" || lower == "sysoption") style = csUpper;
    if (lower == "sysfunc") style = csCapitalized;
    if (Trim(end).empty()) {
      index = terms.AddWord(type, start, isWord, t == "OBJECT_DIV" ? ccDigit : 0, style, tags);
    } else {
      index = terms.AddDelimiter(type, start, end, isWord, t != "TEXT" && t != "OBJECT_NAME", style, tags);
    }
  }
  return terms.Items(index);
}

/// The structural rows of the dialect and a handful of words.
struct TestTerms {
  std::unique_ptr<TTermList> Terms = std::make_unique<TTermList>();
  TTerm* ObjectDiv = nullptr;     ///< "."  OBJECT_DIV, digit exception
  TTerm* ListDiv = nullptr;       ///< ","  LIST_DIV
  TTerm* Block = nullptr;         ///< "(" ... ")"  BLOCK, nested
  TTerm* Text = nullptr;          ///< "'" ... "'"  TEXT, raw
  TTerm* BracketName = nullptr;   ///< "[" ... "]"  OBJECT_NAME, raw
  TTerm* QuotedName = nullptr;    ///< "\"" ... "\""  OBJECT_NAME, raw
  TTerm* LineComment = nullptr;   ///< "--" to the end of the line
  TTerm* BlockComment = nullptr;  ///< "/*" ... "*/"

  /// A context over these terms, as commands, analyzers and rules receive it.
  TConvertContext Context() const {
    TConvertContext c;
    c.Terms = Terms.get();
    c.ObjectDivTerm = ObjectDiv;
    c.ListDivTerm = ListDiv;
    c.BlockTerm = Block;
    c.TextTerm = Text;
    return c;
  }

  /// Parses `lines` (their tabs become two spaces) into `result`.
  void Parse(std::vector<std::string>& lines, TParserWordList& result) const {
    TParser parser;
    parser.Parse(lines, *Terms, result);
  }
};

/// The structural rows (comma, full stop with its digit exception, brackets,
/// quotes, bracketed and double-quoted names, both comment forms), the
/// statement "CREATE TABLE" (DML, main) and the words in `words` (type
/// "KEYWORD", IsWord 1, child).
inline TestTerms MakeTestTerms(const std::vector<std::string>& words = {}) {
  TestTerms d;
  TTermList& t = *d.Terms;
  d.ObjectDiv = AddDialectRow(t, "OBJECT_DIV", ".", "", false, false);
  d.ListDiv = AddDialectRow(t, "LIST_DIV", ",", "", false, false);
  d.Block = AddDialectRow(t, "BLOCK", "(", ")", false, false);
  d.Text = AddDialectRow(t, "TEXT", "'", "'", false, false);
  d.BracketName = AddDialectRow(t, "OBJECT_NAME", "[", "]", false, false);
  d.QuotedName = AddDialectRow(t, "OBJECT_NAME", "\"", "\"", false, false);
  d.LineComment = AddDialectRow(t, "COMMENT", "--", "", false, false);
  d.BlockComment = AddDialectRow(t, "COMMENT", "/*", "*/", false, false);
  AddDialectRow(t, "DML", "CREATE TABLE", "", true, true);
  for (const auto& w : words) AddDialectRow(t, "KEYWORD", w, "", true, false);
  return d;
}

/// The start words of the eighteen statements that the recognition commands
/// bind, in the order the commands are registered.
inline const std::vector<std::string>& CommandStartWords() {
  static const std::vector<std::string> words{
      "create table",
      "create default",
      "create view",
      "create procedure",
      "create proc",
      "create function",
      "create trigger",
      "create index",
      "create unique index",
      "create clustered index",
      "create nonclustered index",
      "create unique clustered index",
      "create unique nonclustered index",
      "exec sp_addtype",
      "alter table",
      "exec sp_bindefault",
      "create rule",
      "exec sp_bindrule",
  };
  return words;
}

/// The rows statement recognition reads, added as the dialect has them: the
/// eighteen command statements as DML rows (IsWord 1, main), except `omit` and
/// those already registered, and the words of table constraints: "PRIMARY
/// KEY", "FOREIGN KEY" and "CONSTRAINT" (KEYWORD), and "CHECK (" closed by ")".
inline void AddRecognitionRows(TTermList& terms, std::string_view omit = {}) {
  for (const auto& w : CommandStartWords()) {
    if (terms.IndexOfStart(w) >= 0 || UpperTrim(w) == UpperTrim(omit)) continue;
    AddDialectRow(terms, "DML", w, "", true, true);
  }
  AddDialectRow(terms, "KEYWORD", "PRIMARY KEY", "", true, false);
  AddDialectRow(terms, "KEYWORD", "FOREIGN KEY", "", true, false);
  AddDialectRow(terms, "KEYWORD", "CONSTRAINT", "", true, false);
  AddDialectRow(terms, "KEYWORD", "CHECK (", ")", true, false);
}

}  // namespace ambrix::testing
