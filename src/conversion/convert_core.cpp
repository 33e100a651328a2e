#include "conversion/convert_core.h"

#include "conversion/register_analizers.h"
#include "parser/parser_text_word_list.h"  // completes parser_word_list.h
#include "recognition/commands.h"
#include "text/error.h"
#include "text/string_helpers.h"
#include "text/tsv_table.h"

namespace ambrix {

namespace {

const std::vector<std::string> kMainTags{"main"};
const std::vector<std::string> kChildTags{"child"};

TCaseStyle CaseStyleOfType(const std::string& upperType) {
  if (upperType == "SYSCOMMAND" || upperType == "SYSGLOBALVAR" || upperType == "SYSOPTION") return csUpper;
  if (upperType == "SYSFUNC") return csCapitalized;
  return csLower;
}

// The first registered term of a required type, or the error that names it.
TTerm* RequiredTerm(const TTermList& terms, std::string_view typeName, const char* message) {
  const int index = terms.IndexOfType(typeName, 0);
  if (index < 0) throw Error(message);
  return terms.Items(index);
}

}  // namespace

std::vector<TReservedWordRow> ReservedWordRows(const TTsvTable& table, int dialectId) {
  std::vector<TReservedWordRow> rows;
  rows.reserve(static_cast<std::size_t>(table.RowCount()));
  for (int i = 0; i < table.RowCount(); ++i) {
    if (table.Int(i, "Dialect_id") != dialectId) continue;
    TReservedWordRow row;
    row.StartWord = table.Text(i, "StartWord");
    row.TypeReservedWord = table.Text(i, "TypeReservedWord");
    row.EndWord = table.Field(i, "EndWord");
    row.IsWord = table.Int(i, "IsWord");
    row.IsMain = table.Int(i, "IsMain");
    rows.push_back(std::move(row));
  }
  return rows;
}

TConvertCore::TConvertCore() : Commands(Context), Analizers(Context) { Context.Terms = &Terms; }

TConvertCore::~TConvertCore() {
  // Everything that points at terms goes before the terms.
  Analizers.Clear();
  Commands.Clear();
  Words.Clear();
}

void TConvertCore::ForgetTerms() {
  Analizers.Clear();
  Commands.Clear();
  Words.Clear();
  Context.ObjectDivTerm = nullptr;
  Context.ListDivTerm = nullptr;
  Context.BlockTerm = nullptr;
  Context.TextTerm = nullptr;
  Terms.Clear();
}

void TConvertCore::LoadTerms(const std::vector<TReservedWordRow>& rows) {
  ForgetTerms();
  for (const TReservedWordRow& row : rows) {
    // A blank end word is no end word: a pair whose end is blanks could
    // never close.
    const std::string endWord(row.EndWord ? Trim(*row.EndWord) : std::string_view());
    const bool isWord = row.IsWord == 1;
    const std::vector<std::string>& tags = row.IsMain == 1 ? kMainTags : kChildTags;
    const std::string type = UpperTrim(row.TypeReservedWord);

    if (type == "COMMENT") {
      if (endWord.empty())
        Terms.AddLineComment(row.StartWord, isWord, tags);
      else
        Terms.AddBlockComment(row.StartWord, endWord, isWord, tags);
      continue;
    }
    const TCaseStyle style = CaseStyleOfType(type);
    if (endWord.empty()) {
      const TCharClasses ignoreNear = type == "OBJECT_DIV" ? ccDigit : 0;
      Terms.AddWord(row.TypeReservedWord, row.StartWord, isWord, ignoreNear, style, tags);
    } else {
      const bool nested = type != "TEXT" && type != "OBJECT_NAME";
      Terms.AddDelimiter(row.TypeReservedWord, row.StartWord, endWord, isWord, nested, style, tags);
    }
  }

  // Terms are still in registration order here, so the first of each type is
  // the first row read.
  Context.ObjectDivTerm = RequiredTerm(Terms, "OBJECT_DIV", "Разделитель обьектов имени не найден");
  Context.ListDivTerm = RequiredTerm(Terms, "LIST_DIV", "Разделитель параметров не найден");
  Context.BlockTerm = RequiredTerm(Terms, "BLOCK", "Разделитель блока не найден");
  Context.TextTerm = RequiredTerm(Terms, "TEXT", "Разделитель текста не найден");
  Context.CommentTermName = "#COMMENT#";
  Context.TextTermName = "TEXT";
  Terms.Prepare();
}

void TConvertCore::RegisterCommands() { ambrix::RegisterCommands(Commands); }

void TConvertCore::RegisterAnalizers() { ambrix::RegisterAnalizers(Analizers); }

void TConvertCore::Close() { ForgetTerms(); }

std::string TConvertCore::ClearObjectName(std::string_view name) { return ambrix::ClearObjectName(name); }

TObjectName TConvertCore::SplitObjectName(const TParserWordList& words, int index) const {
  return ambrix::SplitObjectName(words, index);
}

std::string TConvertCore::ParseObjectName(const TParserWordList& words, int index, int& lastIndex) const {
  return ambrix::ParseObjectName(words, index, lastIndex);
}

}  // namespace ambrix
