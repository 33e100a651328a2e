// The commands whose statements are parsed by hand: user types, constraints
// added to a table, defaults bound to a column.

#include <memory>

#include "parser/parser.h"
#include "parser/parser_text_word_list.h"  // completes parser_word_list.h
#include "parser/parser_word_list.h"
#include "recognition/commands.h"
#include "recognition/object_name.h"
#include "recognition/procedure_call.h"
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
  const std::vector<TProcedureArgument> arguments = ReadProcedureArguments(Context(), words, index);
  const TProcedureArgument* name = FindArgument(arguments, "@typename", 0);
  if (name == nullptr) throw Error(kDomainParams);
  std::string text = ArgumentText(words, *name);
  if (Trim(text).empty()) throw Error(kDomainParams);
  objects.AddObject("DOMAIN", std::string(Trim(text)), std::string(), StatementLines(lines));
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

  // CHECK NOT FOR REPLICATION (...) has its CHECK apart from the bracket.
  enum Keyword { kPrimaryKey, kUnique, kForeignKey, kDefault, kCheck, kCheckWord };
  static const std::vector<std::string> keywords{"PRIMARY KEY", "UNIQUE", "FOREIGN KEY", "DEFAULT",
                                                 "CHECK (", "CHECK"};
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
        if (name.empty()) {
          // DEFAULT (value) FOR column without a name: named as a bound
          // default of that column is.
          const int forWord = parts.IndexOfText(word + 1, "FOR");
          int columnLast = -1;
          if (forWord < 0) throw Error("Отсутствует имя у ограничения умолчания");
          name = table + "_default_" + ParseObjectName(parts, forWord + 1, columnLast);
        }
        break;
      case kCheck:
      case kCheckWord:
        typeName = "CONSTRAINT RULE";
        if (name.empty()) name = table + "_Check_" + std::to_string(++checkCount);
        break;
      default:
        continue;  // a column or anything else: no object
    }

    std::vector<std::string> script;
    CopyTextRange(lines, item->StartPos, item->EndPos, script);
    objects.AddObject(std::move(typeName), std::move(name), table, std::move(script));
    objects.Items(objects.Count() - 1).Line = item->StartPos.Line;
  }
}

// exec sp_bindefault, exec sp_bindrule

namespace {

// The object a default or rule is bound to: the second argument ('table.column'
// or 'user type'), a literal holding a qualified name of its own, parsed with
// the dialect. Raises `message` for anything else, and for a third argument
// unless `futureOnly` allows it (sp_bindrule's @futureonly of a user type).
TObjectName BoundObject(const TConvertContext& context, const TParserWordList& words, int index,
                        const char* message, bool futureOnly) {
  const std::vector<TProcedureArgument> arguments = ReadProcedureArguments(context, words, index);
  if (arguments.size() < 2 || arguments.size() > (futureOnly ? 3u : 2u)) throw Error(message);
  const TProcedureArgument* bound = FindArgument(arguments, "@objname", 1);
  if (bound == nullptr || bound->Literal == nullptr) throw Error(message);
  std::string text;
  if (!LiteralContent(*bound->Literal, text)) throw Error(message);
  std::vector<std::string> nameLines{std::move(text)};
  TParserWordList nameWords;
  TParser parser;
  parser.Parse(nameLines, *context.Terms, nameWords);
  if (nameWords.Empty()) throw Error(message);
  return SplitObjectName(nameWords, 0);
}

// The object a binding yields: `typeName` named table + `suffix` + "_" +
// column on the table, or, bound to a user type (a name of one part),
// type + `suffix` without a parent.
void AddBinding(const TConvertContext& context, const TParserWordList& words, int index, const char* message,
                const char* typeName, const std::string& suffix, const std::vector<std::string>& script,
                TSQLObjectList& objects) {
  const TObjectName name = BoundObject(context, words, index, message, true);
  const std::string& column = name.Parts[3];
  const std::string& table = name.Parts[2];
  if (column.empty()) throw Error(message);
  if (table.empty())
    objects.AddObject(typeName, column + suffix, std::string(), script);
  else
    objects.AddObject(typeName, table + suffix + "_" + column, table, script);
}

}  // namespace

TTerm* TCommand_CreateDefaultField::GetKeyTerm() {
  return FindKeyTerm("exec sp_bindefault",
                     "Не найдено определение команды привязки пользовательского умолчания");
}

void TCommand_CreateDefaultField::ParseCommand(int index, const std::vector<std::string>& lines,
                                               const TParserWordList& words, TSQLObjectList& objects) {
  AddBinding(Context(), words, index, kBindParams, "CONSTRAINT DEFAULT", "_default", StatementLines(lines), objects);
}

TTerm* TCommand_BindRule::GetKeyTerm() {
  return FindKeyTerm("exec sp_bindrule", "Не найдено определение команды привязки правила");
}

void TCommand_BindRule::ParseCommand(int index, const std::vector<std::string>& lines,
                                     const TParserWordList& words, TSQLObjectList& objects) {
  AddBinding(Context(), words, index, "Неправильные параметры команды привязки правила", "CONSTRAINT RULE", "_rule",
             StatementLines(lines), objects);
}

}  // namespace ambrix
