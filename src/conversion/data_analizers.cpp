#include "conversion/data_analizers.h"

#include <string>
#include <vector>

#include "parser/parser_text_word_list.h"
#include "parser/parser_word_list.h"
#include "conversion/stored_source.h"
#include "recognition/object_name.h"
#include "rewriting/column_rules.h"
#include "rewriting/ddl_clauses.h"
#include "rewriting/ddl_names.h"
#include "rewriting/default_values.h"
#include "rewriting/name_rules.h"
#include "rewriting/rule_conventions.h"
#include "rewriting/table_rules.h"
#include "rewriting/target_names.h"
#include "rewriting/word_span.h"
#include "text/error.h"
#include "text/string_helpers.h"
#include "text/utf8.h"

namespace ambrix {

namespace {

// Generated text puts names into string literals and bracketed names; both
// stay valid SQL for any name (quotes and closing brackets are doubled).

void AppendTableDropScript(const std::string& ObjectName, std::vector<std::string>& DropLines) {
  DropLines.push_back("if exists( select * from SysTable where Table_Name = " + QuotedString(ObjectName) + ")");
  DropLines.push_back("  drop table " + BracketedName(ObjectName));
}

void AppendIndexDropScript(const std::string& ParentName, const std::string& ObjectName,
                           std::vector<std::string>& DropLines) {
  DropLines.push_back("if exists( select * from SysTable t key join SysIndex i where t.Table_Name = " +
                      QuotedString(ParentName) + " and i.Index_Name = " + QuotedString(ObjectName) + ")");
  DropLines.push_back("  drop index " + BracketedName(ParentName) + "." + PlainOrBracketedName(ObjectName));
}

// "alter table [P]" on a line of its own before the object's text.
void InsertAlterTableHead(TParserWordList& Words, const std::string& ParentName, const std::string& Rest) {
  InsertTextBefore(Words, FirstTextWord(Words), "alter table " + BracketedName(ParentName) + Rest, 0, 0);
}

// The index of the last word of the referential actions (ON DELETE / ON
// UPDATE followed by CASCADE, NO ACTION, SET NULL or SET DEFAULT) that follow
// the word at `Index`; `Index` itself when none follow.
int EndOfReferentialActions(const TConvertContext& Context, TParserWordList& Words, int Index) {
  auto next = [&](int i, std::initializer_list<const char*> texts) {
    const int n = i < 0 ? -1 : NextSignificant(Context, Words, i);
    if (n < 0) return -1;
    for (const char* text : texts)
      if (WordTextEquals(*Words[n], text)) return n;
    return -1;
  };
  for (;;) {
    const int event = next(next(Index, {"ON"}), {"DELETE", "UPDATE"});
    const int action = next(event, {"CASCADE", "NO", "SET"});
    if (action < 0) return Index;
    if (WordTextEquals(*Words[action], "CASCADE")) {
      Index = action;
      continue;
    }
    const int end = WordTextEquals(*Words[action], "NO") ? next(action, {"ACTION"}) : next(action, {"NULL", "DEFAULT"});
    if (end < 0) return Index;
    Index = end;
  }
}

// The text of the name inside a string literal argument, as a bare name.
std::string NameInString(const TParserWord& Literal) {
  if (!Literal.Children || Literal.Children->Empty()) throw Error("Странное ограничение умолчания");
  return ClearObjectName(FirstChildText(Literal));
}

// The expression of a stored default: everything after its AS.
std::string StoredDefaultExpression(const TConvertContext& Context, const std::string& DefaultName) {
  std::string expression = StoredSourceBody(Context, DefaultName);
  if (expression.empty()) throw Error("Не найдено или неверное умолчание");
  return expression;
}

}  // namespace

// --- DEFAULT ---------------------------------------------------------------

void TAnalizer_Default::Convert(const std::string&, const std::string&, TParserWordList& Words) {
  CommentOutStatement(Words);
}

// --- DOMAIN ----------------------------------------------------------------

void TAnalizer_Domain::GetDropScript(const std::string&, const std::string& ObjectName,
                                     std::vector<std::string>& DropLines) {
  DropLines.push_back("if exists( select * from SysUserType where Type_Name = " + QuotedString(ObjectName) + ")");
  DropLines.push_back("  exec sp_droptype " + QuotedString(ObjectName));
}

// --- TABLE -----------------------------------------------------------------

void TAnalizer_Table::Convert(const std::string&, const std::string&, TParserWordList& Words) {
  Words.BuildText(0);
  ReplaceOwnerDbo(Context(), Words);
  ConvertCreateTables(Context(), Words);
  ConvertAlterTables(Context(), Words);
  ConvertNationalTypes(Context(), Words);
  DelimitDdlNames(Context(), Words);
}

void TAnalizer_Table::GetDropScript(const std::string&, const std::string& ObjectName,
                                    std::vector<std::string>& DropLines) {
  AppendTableDropScript(ObjectName, DropLines);
}

// --- INDEX -----------------------------------------------------------------

void TAnalizer_Index::Convert(const std::string&, const std::string& ObjectName, TParserWordList& Words) {
  if (ParentTypeName() == "VIEW") {
    // An indexed view: the target indexes no view.
    CommentOutStatement(Words);
    MarkAlarm(Words, FirstTextWord(Words)->NextWord(), "IndexOnView", ObjectName);
    return;
  }
  Words.BuildText(0);
  ReplaceOwnerDbo(Context(), Words);
  const int block = FindTerm(Words, Context().BlockTerm);
  if (block < 0) throw Error("Странный индекс");
  // CREATE [UNIQUE] NONCLUSTERED INDEX: the target's indexes are not
  // clustered unless they say so.
  const int create = FirstSignificant(Context(), Words, 0);
  if (create >= 0 && Words[create]->StartTextWord != nullptr) {
    std::string& head = Words[create]->StartTextWord->Text;
    const std::size_t at = UpperCase(head).find(" NONCLUSTERED");
    if (at != std::string::npos) head.erase(at, 13);
  }
  // Index options and the filegroup after the column list, up to the next
  // statement.
  const int next = FirstStatementKeyword(Words, block + 1);
  RemoveStorageClauses(Context(), Words, Words, block + 1, next < 0 ? -1 : next - 1);
  DelimitDdlNames(Context(), Words);
  // The target name the project gave the index when another index has its
  // name (index names are the owner's in the target, the table's in the
  // source).
  int nameLast = -1;
  const std::string name = ParseObjectName(Words, create + 1, nameLast);
  if (SameText(name, ObjectName)) return;
  TParserWord& nameWord = *Words[nameLast];
  TParserTextWord* at = nameWord.StartTextWord;
  if (at == nullptr) return;
  at = &InsertTextBefore(Words, at, TargetName(ObjectName), at->Spaces, at->LineBreaks);
  DeleteWhole(nameWord, false);
  MarkAlarm(Words, at, "IndexRenamed", name);
}

void TAnalizer_Index::GetDropScript(const std::string& ParentName, const std::string& ObjectName,
                                    std::vector<std::string>& DropLines) {
  if (ParentTypeName() == "VIEW") return;  // nothing was created
  AppendIndexDropScript(ParentName, ObjectName, DropLines);
}

// --- CONSTRAINT UNIQUE -----------------------------------------------------

void TAnalizer_ConstraintUnique::Convert(const std::string& ParentName, const std::string& ObjectName,
                                         TParserWordList& Words) {
  Words.BuildText(0);
  const int unique = FindInList(Words, "UNIQUE");
  if (unique < 0) throw Error("Странное уникальное ограничение");
  TParserTextWord* uniqueText = Words[unique]->StartTextWord;
  // The constraint name clause before UNIQUE goes; UNIQUE takes its layout.
  if (unique > 0 && uniqueText != nullptr && uniqueText->PrevWord() != nullptr)
    DeleteTextRange(*FirstTextWord(Words), *uniqueText->PrevWord(), true);
  InsertTextBefore(Words, FirstTextWord(Words), "create", 0, 0, true);

  // The name the constraint had, when another index of the project took it
  // first: the target names the index otherwise (see TAnalizer_Index).
  std::string sourceName;
  const int first = FirstSignificant(Context(), Words, 0);
  if (first >= 0 && WordTextIs(*Words[first], "CONSTRAINT")) {
    int nameLast = -1;
    sourceName = ParseObjectName(Words, first + 1, nameLast);
  }
  const int block = FindTerm(Words, Context().BlockTerm);
  if (block < 0) throw Error("Странное уникальное ограничение");
  TParserTextWord& head = InsertTextBefore(Words, Words[block]->StartTextWord,
                                           "index " + BracketedName(ObjectName) + " on " + BracketedName(ParentName), 1, 0);
  if (!sourceName.empty() && !SameText(sourceName, ObjectName)) MarkAlarm(Words, &head, "IndexRenamed", sourceName);
  RemoveStorageClauses(Context(), Words, Words);
  DelimitDdlNames(Context(), Words);
}

void TAnalizer_ConstraintUnique::GetDropScript(const std::string& ParentName, const std::string& ObjectName,
                                               std::vector<std::string>& DropLines) {
  AppendIndexDropScript(ParentName, ObjectName, DropLines);
}

// --- CONSTRAINT FOREIGN KEY ------------------------------------------------

void TAnalizer_ConstraintForeignKey::Convert(const std::string& ParentName, const std::string&,
                                             TParserWordList& Words) {
  Words.BuildText(2);
  ReplaceOwnerDbo(Context(), Words);
  ConvertTableConstraint(Context(), Words, Words);
  DelimitDdlNames(Context(), Words);
  InsertAlterTableHead(Words, ParentName, " add");

  const int references = FindInList(Words, "REFERENCES");
  if (references < 0) throw Error("Странная связь таблиц");
  const TObjectName referenced = SplitObjectName(Words, references + 1);
  if (!SameText(referenced.Parts[3], ParentName)) return;

  // A table that references itself: the key is checked when the transaction
  // commits. The clause follows the referenced column list and, as the
  // target's grammar requires, the referential actions after it. Without a
  // referenced column list there is nothing to attach it to, and the text
  // stays as it is.
  const int columns = FindTerm(Words, Context().BlockTerm, referenced.LastIndex + 1);
  if (columns < 0 || Words[columns]->EndTextWord == nullptr) return;
  // The last word still standing: NO ACTION is gone by now.
  TParserTextWord* last = LastTextWordIn(Words, columns, EndOfReferentialActions(Context(), Words, columns));
  if (last == nullptr) last = Words[columns]->EndTextWord;
  InsertTextAfter(Words, *last, "check on commit", 1, 0);
}

// --- CONSTRAINT PRIMARY KEY ------------------------------------------------

void TAnalizer_ConstraintPrimaryKey::Convert(const std::string& ParentName, const std::string&,
                                             TParserWordList& Words) {
  Words.BuildText(2);
  InsertAlterTableHead(Words, ParentName, " add");
  const int block = FindTerm(Words, Context().BlockTerm);
  if (block < 0) throw Error("Странное ключевое поле");
  ConvertTableConstraint(Context(), Words, Words);
  DelimitDdlNames(Context(), Words);
}

// --- CONSTRAINT DEFAULT ----------------------------------------------------

void TAnalizer_ConstraintDefault::Convert(const std::string& ParentName, const std::string&,
                                          TParserWordList& Words) {
  const TConvertContext& context = Context();

  // An item of ALTER TABLE starts with CONSTRAINT or DEFAULT; a binding
  // with the call of sp_bindefault.
  const int first = FirstSignificant(context, Words, 0);
  if (first >= 0 && !WordTextIs(*Words[first], "CONSTRAINT") && !WordTextIs(*Words[first], "DEFAULT")) {
    // exec sp_bindefault 'default', 'table.column': the editable text starts
    // empty and receives one statement built from the stored default.
    const int defaultName = FindTerm(Words, context.TextTerm);
    if (defaultName < 0) throw Error("Странное ограничение умолчания");
    if (ParentName.empty()) {
      // Bound to a user type: the target's domains take a default only when
      // they are created.
      CommentOutStatement(Words);
      MarkAlarm(Words, FirstTextWord(Words)->NextWord(), "DefaultOnType",
                "sp_bindefault " + NameInString(*Words[defaultName]));
      return;
    }
    const std::string expression = StoredDefaultExpression(context, NameInString(*Words[defaultName]));
    const int column = FindTerm(Words, context.TextTerm, defaultName + 1);
    if (column < 0) throw Error("Странное ограничение умолчания");
    AppendText(Words,
               "alter table " + BracketedName(ParentName) + " modify " +
                   BracketedName(NameInString(*Words[column])) + " default " + ConvertDefaultText(expression),
               0, 0);
    return;
  }

  // CONSTRAINT name DEFAULT (value) FOR column: the name clause goes, and
  // FOR column moves to the front as modify column.
  Words.BuildText(2);
  const int dflt = FindInList(Words, "DEFAULT");
  if (dflt < 0 || Words[dflt]->StartTextWord == nullptr) throw Error("Странное ограничение умолчания");
  // A name clause before DEFAULT goes (an unnamed default has none).
  if (TParserTextWord* before = Words[dflt]->StartTextWord->PrevWord()) {
    DeleteTextRange(*FirstTextWord(Words), *before, false);
  } else {
    // DEFAULT starts the text: it follows the column on its line.
    Words[dflt]->StartTextWord->LineBreaks = 0;
    Words[dflt]->StartTextWord->Spaces = 1;
  }

  const int forWord = FindInList(Words, "FOR");
  if (forWord < 0 || forWord + 1 >= Words.Count() || Words[forWord]->StartTextWord == nullptr ||
      Words[forWord + 1]->LastTextWord() == nullptr)
    throw Error("Странное ограничение умолчания");
  ConvertDefaultValue(context, Words, dflt + 1, forWord - 1);
  // WITH VALUES fills the rows of a column added by the same ALTER TABLE;
  // the target's MODIFY ... DEFAULT takes no such clause.
  const int with = FindInList(Words, "WITH", forWord + 1);
  const int values = with >= 0 ? NextSignificant(context, Words, with) : -1;
  if (values >= 0 && WordTextEquals(*Words[values], "VALUES")) {
    TParserTextWord* first = FirstTextWordIn(Words, with, values);
    TParserTextWord* last = LastTextWordIn(Words, with, values);
    if (first && last) DeleteTextRange(*first, *last, false);
  }
  DelimitDdlNames(context, Words);
  SetWordText(*Words[forWord], "modify");
  TParserTextWordList& text = *Words.RootTextList();
  text.MoveRangeBefore(text.First(), Words[forWord]->StartTextWord, Words[forWord + 1]->LastTextWord());
  InsertAlterTableHead(Words, ParentName, "");
}

}  // namespace ambrix
