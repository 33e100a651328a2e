#include "recognition/command.h"

#include "parser/parser_text_word_list.h"  // completes parser_word_list.h
#include "parser/parser_word_list.h"
#include "parser/term_list.h"
#include "recognition/batch_statements.h"
#include "recognition/object_name.h"
#include "text/string_helpers.h"
#include "text/utf8.h"

namespace ambrix {

const TConvertContext& TCommandDML::Context() const { return owner_->Context(); }

TTerm* TCommandDML::FindKeyTerm(std::string_view startWords, std::string_view message) const {
  const TTermList* terms = Context().Terms;
  const int index = terms == nullptr ? -1 : terms->IndexOfStart(startWords);
  if (index < 0) throw Error(std::string(message));
  return terms->Items(index);
}

bool TCommandDML::Execute(const std::vector<std::string>& lines, const TParserWordList& words,
                          TSQLObjectList& objects) {
  const int keyIndex = words.IndexOfType(0, "DML");
  if (keyIndex < 0 || words.Words(keyIndex)->Term != keyTerm_) return false;
  const int index = words.IndexOfNotType(keyIndex + 1, {Context().CommentTermName});
  ParseCommand(index, lines, words, objects);
  return true;
}

void TCommandDML::ExecuteStatement(const std::vector<std::string>& lines, const TParserWordList& words,
                                   const TBatchStatement& statement, bool wholeBatch, TSQLObjectList& objects) {
  std::vector<std::string> script;
  if (!wholeBatch) {
    const TParserWord& first = *words.Words(statement.First);
    const TParserWord& last = *words.Words(statement.Last);
    // A statement that starts its line takes the line's indentation too.
    TTextPoint from = first.StartPos;
    const std::string& line = lines[static_cast<std::size_t>(from.Line)];
    if (Trim(std::string_view(line).substr(0, ColumnByteOffset(line, from.Col))).empty()) from.Col = 1;
    CopyTextRange(lines, from, last.EndPos, script);
  }
  // The command reads its statement's words only; one that runs to the end
  // of the batch (every procedure, view, trigger) reads the batch itself.
  std::unique_ptr<TParserWordList> part;
  int index = statement.Arguments;
  if (statement.Last + 1 < words.Count()) {
    part = words.SubList(false, statement.Key, statement.Last);
    if (index >= 0) index -= statement.Key;
  }
  const int before = objects.Count();
  struct Restore {
    const std::vector<std::string>*& lines;
    ~Restore() { lines = nullptr; }
  } restore{statementLines_};
  statementLines_ = wholeBatch ? &lines : &script;
  ParseCommand(index, lines, part ? *part : words, objects);
  const int line = wholeBatch ? 0 : words.Words(statement.First)->StartPos.Line;
  for (int i = before; i < objects.Count(); ++i)
    if (objects.Items(i).Line < 0) objects.Items(i).Line = line;
}

void TCommandDMLName::ParseCommand(int index, const std::vector<std::string>& lines,
                                   const TParserWordList& words, TSQLObjectList& objects) {
  int lastIndex = -1;
  std::string name = ParseObjectName(words, index, lastIndex);
  std::string parent = GetParentName(lastIndex + 1, lines, words);
  std::vector<std::string> script;
  if (!GetObjectScript(lastIndex + 1, lines, words, script)) script = StatementLines(lines);
  objects.AddObject(GetTypeName(), std::move(name), std::move(parent), std::move(script));
}

std::string TCommandDMLName::GetParentName(int, const std::vector<std::string>&,
                                           const TParserWordList&) {
  return std::string();
}

bool TCommandDMLName::GetObjectScript(int, const std::vector<std::string>&, const TParserWordList&,
                                      std::vector<std::string>&) {
  return false;
}

int TCommandList::IndexOfProcedure(std::string_view name) const {
  if (name.empty()) return -1;
  for (int i = 0; i < Count(); ++i) {
    const std::string_view procedure = commands_[static_cast<size_t>(i)]->ProcedureName();
    if (!procedure.empty() && SameText(procedure, name)) return i;
  }
  return -1;
}

int TCommandList::IndexOfKeyTerm(const TTerm* term) const {
  if (term == nullptr) return -1;
  for (int i = 0; i < Count(); ++i)
    if (commands_[static_cast<size_t>(i)]->KeyTerm() == term) return i;
  return -1;
}

}  // namespace ambrix
