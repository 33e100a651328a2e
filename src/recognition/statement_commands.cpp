// The commands whose statements are parsed by hand: user types, constraints
// added to a table, defaults bound to a column.

#include <memory>

#include "parser/parser.h"
#include "parser/parser_text_word_list.h"  // completes parser_word_list.h
#include "parser/parser_word_list.h"
#include "recognition/commands.h"
#include "recognition/object_name.h"
#include "text/string_helpers.h"

namespace ambrix {

namespace {

constexpr const char* kDomainParams = "Неправильные параметры команды создания пользовательского типа";
constexpr const char* kBindParams = "Неправильные параметры команды привязки пользовательского умолчания";

// Splits words[from..] at the list separator into items; the words after the
// last separator form an item, the whole range is one item when there is no
// separator, and empty items are dropped.
void SplitArguments(const TConvertContext& context, const TParserWordList& words, int from,
                    TParserWordList& items) {
  items.Clear();
  if (from < 0 || from >= words.Count()) return;
  words.SplitByTerm(context.ListDivTerm, from, items, false, true, words.Count() - 1);
}

// The content of a string literal node (its text without the quotes); false
// for an empty literal.
bool LiteralContent(const TParserWord& literal, std::string& content) {
  if (literal.Children == nullptr || literal.Children->Empty()) return false;
  content = literal.Children->Words(0)->Text();
  return true;
}

}  // namespace

// exec sp_addtype

TTerm* TCommand_CreateDomain::GetKeyTerm() {
  return FindKeyTerm("exec sp_addtype", "Не найдено определение команды создания пользовательского типа");
}

void TCommand_CreateDomain::ParseCommand(int index, const std::vector<std::string>& lines,
                                         const TParserWordList& words, TSQLObjectList& objects) {
  TParserWordList items(false);
  SplitArguments(Context(), words, index, items);
  if (items.Empty()) throw Error(kDomainParams);
  const TParserWordList& first = *items.Words(0)->Children;
  const int literal = first.IndexOfType(0, Context().TextTermName);
  std::string name;
  if (literal < 0 || !LiteralContent(*first.Words(literal), name)) throw Error(kDomainParams);
  objects.AddObject("DOMAIN", std::move(name), std::string(), lines);
}

// alter table ... add ...

TTerm* TCommand_AlterTable::GetKeyTerm() {
  return FindKeyTerm("alter table", "Не найдено определение команды изменения таблицы");
}

void TCommand_AlterTable::ParseCommand(int index, const std::vector<std::string>& lines,
                                       const TParserWordList& words, TSQLObjectList& objects) {
  int lastIndex = -1;
  const std::string table = ParseObjectName(words, index, lastIndex);
  const int add = words.IndexOfText(lastIndex + 1, "ADD");
  if (add < 0) return;  // an alteration that adds nothing

  TParserWordList items(false);
  SplitArguments(Context(), words, add + 1, items);

  enum Keyword { kPrimaryKey, kUnique, kForeignKey, kDefault, kCheck };
  static const std::vector<std::string> keywords{"PRIMARY KEY", "UNIQUE", "FOREIGN KEY", "DEFAULT",
                                                 "CHECK ("};
  const std::vector<std::string> comments{Context().CommentTermName};
  int uniqueCount = 0;
  int foreignKeyCount = 0;
  int checkCount = 0;

  for (const TParserWord* item : items) {
    const TParserWordList& parts = *item->Children;
    int word = parts.IndexOfNotType(0, comments);
    if (word < 0) continue;

    std::string name;
    if (parts.Words(word)->Text() == "CONSTRAINT") {
      int nameLast = -1;
      name = ParseObjectName(parts, word + 1, nameLast);
      word = parts.IndexOfNotType(nameLast + 1, comments);
      if (word < 0) throw Error("Не опознанное ограничение таблицы");
    }

    std::string typeName;
    switch (IndexOfText(parts.Words(word)->Text(), keywords)) {
      case kPrimaryKey:
        typeName = "CONSTRAINT PRIMARY KEY";
        if (name.empty()) name = table + "_PrimaryKey";
        break;
      case kUnique:
        typeName = "CONSTRAINT UNIQUE";
        if (name.empty()) name = table + "_Unique_" + std::to_string(++uniqueCount);
        break;
      case kForeignKey:
        typeName = "CONSTRAINT FOREIGN KEY";
        if (name.empty()) name = table + "_ForeignKey_" + std::to_string(++foreignKeyCount);
        break;
      case kDefault:
        typeName = "CONSTRAINT DEFAULT";
        if (name.empty()) throw Error("Отсутствует имя у ограничения умолчания");
        break;
      case kCheck:
        typeName = "CONSTRAINT RULE";
        if (name.empty()) name = table + "_Check_" + std::to_string(++checkCount);
        break;
      default:
        continue;  // a column or anything else: no object
    }

    std::vector<std::string> script;
    CopyTextRange(lines, item->StartPos, item->EndPos, script);
    objects.AddObject(std::move(typeName), std::move(name), table, std::move(script));
  }
}

// exec sp_bindefault

TTerm* TCommand_CreateDefaultField::GetKeyTerm() {
  return FindKeyTerm("exec sp_bindefault",
                     "Не найдено определение команды привязки пользовательского умолчания");
}

void TCommand_CreateDefaultField::ParseCommand(int index, const std::vector<std::string>& lines,
                                               const TParserWordList& words, TSQLObjectList& objects) {
  TParserWordList items(false);
  SplitArguments(Context(), words, index, items);
  if (items.Count() != 2) throw Error(kBindParams);
  const TParserWordList& second = *items.Words(1)->Children;
  const int literal = second.LastIndexOfType(0, second.Count() - 1, Context().TextTermName);
  std::string column;
  if (literal < 0 || !LiteralContent(*second.Words(literal), column)) throw Error(kBindParams);

  // The literal holds a qualified name of its own: parse it with the dialect.
  std::vector<std::string> nameLines{std::move(column)};
  TParserWordList nameWords;
  TParser parser;
  parser.Parse(nameLines, *Context().Terms, nameWords);
  const TObjectName name = SplitObjectName(nameWords, 0);
  const std::string& table = name.Parts[2];
  if (table.empty() || name.Parts[3].empty()) throw Error(kBindParams);
  objects.AddObject("CONSTRAINT DEFAULT", table + "_default_" + name.Parts[3], table, lines);
}

}  // namespace ambrix
