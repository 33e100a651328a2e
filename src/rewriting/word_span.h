#pragma once

namespace ambrix {

class TParserWord;
class TParserWordList;
class TParserTextWord;

// Where a parser word stands in the editable text when earlier rules may have
// deleted some of its text words.

/// True for a reserved word that starts a statement (tagged "main").
bool IsStatementKeyword(const TParserWord& Word);

/// The first text word still standing of `Word`: its start text word, else the
/// first one of its children (depth first); null when none is left.
TParserTextWord* FirstTextWordOf(const TParserWord& Word);
/// The last text word still standing of `Word`: its end text word, else the
/// last one of its children, else its start text word; null when none is left.
TParserTextWord* LastTextWordOf(const TParserWord& Word);

/// The first / last text word still standing of the words From..To of `List`;
/// null when none is left.
TParserTextWord* FirstTextWordIn(const TParserWordList& List, int From, int To);
TParserTextWord* LastTextWordIn(const TParserWordList& List, int From, int To);

/// True when `Word` is the last text word of a line comment (-- ...): the
/// text word printed after it must start a new line.
bool EndsLineComment(const TParserTextWord& Word);
/// Gives every text word from First through the one after Last that follows
/// the end of a line comment a line break, so that text a rule moved or
/// inserted after a comment is not read as part of it.
void KeepLineCommentsClosed(TParserTextWord& First, TParserTextWord& Last);

}  // namespace ambrix
