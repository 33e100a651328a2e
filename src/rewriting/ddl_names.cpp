#include "rewriting/ddl_names.h"

#include "parser/parser_text_word_list.h"
#include "parser/parser_word_list.h"
#include "rewriting/column_types.h"
#include "rewriting/ddl_words.h"
#include "rewriting/rule_conventions.h"
#include "rewriting/target_names.h"
#include "text/string_helpers.h"

namespace ambrix {

namespace {

// The first word of a column definition: it opens its item of a bracket
// block and a type follows it.
bool NamesAColumn(const TConvertContext& Context, TParserWord& Word) {
  TParserWordList& list = *Word.Owner;
  if (list.ParentWord == nullptr || list.ParentWord->Term != Context.BlockTerm) return false;
  const int index = Word.IndexInOwner();
  const int before = PrevSignificant(Context, list, index);
  if (before >= 0 && list[before]->Term != Context.ListDivTerm) return false;
  const int after = NextSignificant(Context, list, index);
  return after >= 0 && list[after]->Term != Context.ListDivTerm && !IsWord(*list[after], "AS") &&
         list[after]->Term != Context.BlockTerm;
}

}  // namespace

void DelimitDdlNames(const TConvertContext& Context, TParserWordList& Words) {
  // One search by type: delimited names, plain words and keywords (names
  // the source reads as its keywords).
  TParserWordList candidates(false);
  Words.FindAllByType(candidates, {"OBJECT_NAME", "#KEYWORD#", "KEYWORD"});
  for (TParserWord* word : candidates) {
    if (word->StartTextWord == nullptr) continue;
    if (IsType(*word, "OBJECT_NAME")) {
      // "name" -> [name]; a doubled quote inside is one quote of the name,
      // a closing bracket is doubled.
      if (word->EndTextWord == nullptr || word->StartTextWord->Text != "\"") continue;
      if (word->Children != nullptr && !word->Children->Empty()) {
        TParserTextWord* inner = word->Children->Words(0)->StartTextWord;
        if (inner == nullptr) continue;
        const std::string name = Undoubled(inner->Text, "\"");
        const std::string bracketed = BracketedName(name);
        inner->Text = bracketed.substr(1, bracketed.size() - 2);
      }
      word->StartTextWord->Text = "[";
      word->EndTextWord->Text = "]";
      continue;
    }
    if (word->StartTextWord->Text.starts_with("[")) continue;
    // The raw text inside a delimited name, a string or a comment.
    const TParserWord* parent = word->Owner->ParentWord;
    if (parent != nullptr && (IsType(*parent, "OBJECT_NAME") || IsType(*parent, Context.TextTermName) ||
                              IsComment(Context, *parent)))
      continue;
    if (!IsTargetReservedWord(WordText(*word))) continue;
    // CONSTRAINT, CHECK, UNIQUE ... open a table constraint, not a column.
    if (word->Term->Kind != tkText && word->Term->TypeName != "KEYWORD") continue;
    if (IsAnyWord(*word, {"CONSTRAINT", "CHECK", "UNIQUE", "INDEX", "FOREIGN", "PRIMARY"})) continue;
    const bool column = NamesAColumn(Context, *word);
    if (!column && (word->Term->Kind != tkText || FindColumnType(WordText(*word)) != nullptr)) continue;
    word->StartTextWord->Text = "[" + word->StartTextWord->Text + "]";
  }
}

}  // namespace ambrix
