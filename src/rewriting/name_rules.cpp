#include "rewriting/name_rules.h"

#include "parser/parser_text_word_list.h"
#include "parser/parser_word_list.h"
#include "rewriting/rule_conventions.h"
#include "text/utf8.h"

namespace ambrix {

namespace {

bool IsDelimitedName(const TParserWord* Word) {
  return Word != nullptr && IsType(*Word, "OBJECT_NAME");
}

}  // namespace

void RemoveNationalPrefixes(const TConvertContext& Context, int FirstIndex, int LastIndex,
                            TParserWordList& Words) {
  for (int i = FirstSignificant(Context, Words, FirstIndex); i >= 0 && i <= LastIndex;
       i = NextSignificant(Context, Words, i)) {
    TParserWord& word = *Words[i];
    if (word.Term->Kind != tkText) continue;
    const std::string& text = WordText(word);
    if (UpperCase(text) == "N") {
      DeleteStartWord(word, true);
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
    if (text == ";") {
      DeleteStartWord(*match, false);
    } else if (text == "N") {
      TParserWordList& list = *match->Owner;
      const int next = NextSignificant(Context, list, match->IndexInOwner());
      if (next >= 0 && list[next]->Term == Context.TextTerm) DeleteStartWord(*match, true);
    } else if (!IsDelimitedName(match->Owner->ParentWord) && match->StartTextWord != nullptr) {
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
