#include "rewriting/name_rules.h"

#include "parser/parser_text_word_list.h"
#include "parser/parser_word_list.h"
#include "rewriting/rule_conventions.h"
#include "rewriting/word_span.h"
#include "text/string_helpers.h"
#include "text/utf8.h"

namespace ambrix {

namespace {

bool IsDelimitedName(const TParserWord* Word) {
  return Word != nullptr && IsType(*Word, "OBJECT_NAME");
}

bool IsBlock(const TConvertContext& Context, const TParserWord* Word) {
  return Word != nullptr && Word->Term == Context.BlockTerm;
}

/// The word before the bracket block `Block` in its own list, or null.
const TParserWord* WordBefore(const TConvertContext& Context, const TParserWord& Block) {
  TParserWordList& owner = *Block.Owner;
  const int before = PrevSignificant(Context, owner, Block.IndexInOwner());
  return before < 0 ? nullptr : owner[before];
}

/// True when the word DEC at `Index` of `List` names the data type: with its
/// precision (dec(10, 2)), after a variable (DECLARE @x dec), after AS in
/// CAST, first in CONVERT, or after the column name of a column definition.
bool IsDecType(const TConvertContext& Context, TParserWordList& List, int Index) {
  const int next = NextSignificant(Context, List, Index);
  if (next >= 0 && IsBlock(Context, List[next])) return true;
  const TParserWord* block = List.ParentWord;
  const TParserWord* call = IsBlock(Context, block) ? WordBefore(Context, *block) : nullptr;
  const int prev = PrevSignificant(Context, List, Index);
  if (prev < 0) return call != nullptr && WordTextEquals(*call, "CONVERT");
  const TParserWord& before = *List[prev];
  if (WordText(before).starts_with('@')) return true;
  if (WordTextIs(before, "AS")) return call != nullptr && WordTextEquals(*call, "CAST");
  // (name dec, ...) inside a table definition's bracket block, not a query.
  if (!IsBlock(Context, block) || (before.Term->Kind != tkText && !IsDelimitedName(&before))) return false;
  const int first = FirstSignificant(Context, List, 0);
  if (first < 0 || IsStatementKeyword(*List[first])) return false;
  const int name = PrevSignificant(Context, List, prev);
  return name < 0 || List[name]->Term == Context.ListDivTerm;
}

/// True when the reserved word at `Index` of `List` stands where it is no
/// name, so that brackets would break the statement. (No date part is one of
/// the words the rule brackets.)
bool StandsForNoName(const TConvertContext& Context, TParserWordList& List, int Index) {
  const int prev = PrevSignificant(Context, List, Index);
  if (prev >= 0 && WordTextEquals(*List[prev], "WAITFOR")) return true;  // WAITFOR TIME '22:00'
  return SameText(WordText(*List[Index]), "DEC") && IsDecType(Context, List, Index);
}

}  // namespace

bool IsNationalPrefix(const TConvertContext& Context, const TParserWordList& List, int Index) {
  const TParserWord& word = *List[Index];
  if (word.Term->Kind != tkText || !SameText(WordText(word), "N") || Index + 1 >= List.Count()) return false;
  const TParserWord& next = *List[Index + 1];
  return next.Term == Context.TextTerm && next.StartPos.Line == word.EndPos.Line &&
         next.StartPos.Col == word.EndPos.Col + 1;
}

void RemoveNationalPrefixes(const TConvertContext& Context, int FirstIndex, int LastIndex,
                            TParserWordList& Words) {
  for (int i = FirstSignificant(Context, Words, FirstIndex); i >= 0 && i <= LastIndex;
       i = NextSignificant(Context, Words, i)) {
    TParserWord& word = *Words[i];
    if (word.Term->Kind != tkText) continue;
    const std::string& text = WordText(word);
    if (UpperCase(text) == "N") {
      if (IsNationalPrefix(Context, Words, i)) DeleteStartWord(word, true);
    } else if (text.size() >= 2 && (text[0] == 'N' || text[0] == 'n') &&
               ((text[1] >= '0' && text[1] <= '9') || text[1] == '@')) {
      SetWordText(word, text.substr(1));
    }
  }
}

void ReplaceOwnerDbo(const TConvertContext& Context, TParserWordList& Words) {
  for (TParserWord* word : SearchStatement(Context, Words, {"dbo"})) SetWordText(*word, "dba");
}

void ReplaceWordText(const TConvertContext& Context, const std::string& OldText, const std::string& NewText,
                     TParserWordList& Words) {
  for (TParserWord* word : SearchStatement(Context, Words, {OldText})) SetWordText(*word, NewText);
}

void ConvertNationalTypes(const TConvertContext& Context, TParserWordList& Words) {
  // Every match starts with the letter N, one byte in UTF-8.
  for (TParserWord* word : SearchStatementByFirstWord(Context, Words, {"NCHAR", "NVARCHAR", "NTEXT"}))
    SetWordText(*word, WordText(*word).substr(1));
}

int SkipObjectName(const TConvertContext& Context, int Index, TParserWordList& Words) {
  const int last = Words.Count() - 1;
  int w = FirstSignificant(Context, Words, Index);
  if (w < 0) return last;
  int result = w;
  bool open = !IsDelimitedName(Words[w]);
  for (; w >= 0; w = NextSignificant(Context, Words, w)) {
    const bool delimited = IsDelimitedName(Words[w]);
    if (!delimited) {
      if (!open) return result;
      result = w;
    }
    open = delimited;
  }
  return last;
}

void ConvertReservedWords(const TConvertContext& Context, TParserWordList& Words) {
  for (TParserWord* match :
       SearchStatement(Context, Words, {"DATE", "TIME", "DEC", "LOCK", "COMMENT", "DO", "N", ";"})) {
    const std::string& text = WordText(*match);
    TParserWordList& list = *match->Owner;
    const int index = match->IndexInOwner();
    if (text == ";") {
      DeleteStartWord(*match, false);
    } else if (IsNationalPrefix(Context, list, index)) {
      DeleteStartWord(*match, true);
    } else if (SameText(text, "N")) {
      continue;  // a name n, or an argument of EXEC: no word of the target
    } else if (!IsDelimitedName(list.ParentWord) && match->StartTextWord != nullptr &&
               !StandsForNoName(Context, list, index)) {
      SetWordText(*match, "[" + match->StartTextWord->Text + "]");
    }
  }
}

void ConvertDistributedTransactions(const TConvertContext& Context, TParserWordList& Words) {
  for (TParserWord* word :
       SearchStatement(Context, Words, {"BEGIN DISTRIBUTED TRANSACTION", "BEGIN DISTRIBUTED TRAN"}))
    SetWordText(*word, "BEGIN TRANSACTION");
}

}  // namespace ambrix
