#include "recognition/batch_statements.h"

#include <string_view>

#include "parser/parser_text_word_list.h"  // completes parser_word_list.h
#include "parser/parser_word_list.h"
#include "recognition/command.h"
#include "recognition/procedure_call.h"
#include "text/string_helpers.h"
#include "text/utf8.h"
#include "text/string_helpers.h"

namespace ambrix {

namespace {

bool IsStatementStart(const TParserWord& Word) {
  return Word.Term->Kind == tkDefined && Word.Term->HasTag("main");
}

bool TextIs(const TParserWord& Word, std::string_view Text) { return Word.Text() == Text; }

class TSplitter {
 public:
  TSplitter(const TConvertContext& Context, const TCommandList& Commands, const TParserWordList& Words)
      : context_(Context), commands_(Commands), words_(Words) {}

  std::vector<TBatchStatement> Split() {
    std::vector<TBatchStatement> statements;
    const int count = words_.Count();
    if (count == 0) return statements;
    int key = IsComment(0) ? NextSignificant(0) : 0;
    if (key < 0) return statements;
    while (key >= 0) {
      TBatchStatement statement;
      statement.Key = key;
      statement.Command = CommandAt(key, statement.Arguments);
      int next = -1;
      if (statement.Command == nullptr || !statement.Command->TakesRestOfBatch()) {
        const bool settings = TextIs(*words_.Words(key), "SET");
        for (int i = NextSignificant(key); i >= 0; i = NextSignificant(i)) {
          if (!IsStatementStart(*words_.Words(i)) || BelongsToStatementBefore(i)) continue;
          if (statement.Command == nullptr) {
            // Other statements run on together up to the next recognised
            // one; option settings make a stretch of their own.
            int arguments = -1;
            if (CommandAt(i, arguments) == nullptr && TextIs(*words_.Words(i), "SET") == settings) continue;
          }
          next = i;
          break;
        }
      }
      statement.First = statements.empty() ? 0 : key;
      statements.push_back(statement);
      key = next;
    }
    // Each statement ends where the next one's comments begin.
    for (std::size_t s = 0; s < statements.size(); ++s) {
      TBatchStatement& statement = statements[s];
      if (s + 1 == statements.size()) {
        statement.Last = count - 1;
        break;
      }
      TBatchStatement& following = statements[s + 1];
      const int last = PrevSignificant(following.Key);
      const int line = words_.Words(last)->EndPos.Line;
      int first = last + 1;
      // A comment that starts on the line where the statement ends is its own.
      while (first < following.Key && words_.Words(first)->StartPos.Line == line) ++first;
      statement.Last = first - 1;
      following.First = first;
    }
    return statements;
  }

 private:
  // Comments are passed over by their type name; a walk over the top level
  // reads every word once.
  bool IsComment(int index) const { return words_.Words(index)->TypeName() == context_.CommentTermName; }
  int NextSignificant(int index) const {
    for (++index; index < words_.Count(); ++index)
      if (!IsComment(index)) return index;
    return -1;
  }
  int PrevSignificant(int index) const {
    for (--index; index >= 0; --index)
      if (!IsComment(index)) return index;
    return -1;
  }

  // ON DELETE, ON UPDATE and ON DELETE SET NULL of a foreign key name
  // statements but belong to the statement they stand in.
  bool BelongsToStatementBefore(int index) const {
    const int before = PrevSignificant(index);
    if (before < 0) return false;
    const TParserWord& word = *words_.Words(index);
    if (TextIs(word, "DELETE") || TextIs(word, "UPDATE")) return TextIs(*words_.Words(before), "ON");
    if (!TextIs(word, "SET")) return false;
    if (!TextIs(*words_.Words(before), "DELETE") && !TextIs(*words_.Words(before), "UPDATE")) return false;
    const int on = PrevSignificant(before);
    return on >= 0 && TextIs(*words_.Words(on), "ON");
  }

  // The command that recognises the statement starting at `key`: the one
  // bound to its key word, or for a procedure call (EXEC [owner.]procedure)
  // the one bound to the procedure. `arguments` receives the first
  // significant word after the key word or the procedure name.
  TCommandDML* CommandAt(int key, int& arguments) const {
    const TParserWord& word = *words_.Words(key);
    if (!IsStatementStart(word)) return nullptr;
    // Commands are bound to statements of type DML; the others are calls.
    const int bound = word.TypeName() == "DML" ? commands_.IndexOfKeyTerm(word.Term) : -1;
    if (bound >= 0) {
      arguments = NextSignificant(key);
      return &commands_.Items(bound);
    }
    if (!TextIs(word, "EXEC") && !TextIs(word, "EXECUTE")) return nullptr;
    std::string procedure;
    const int name = ProcedureName(context_, words_, key + 1, procedure);
    if (name < 0) return nullptr;  // EXEC @status = ..., EXEC ('...'): no procedure name here
    const int called = commands_.IndexOfProcedure(procedure);
    if (called < 0) return nullptr;
    arguments = NextSignificant(name);
    return &commands_.Items(called);
  }

  const TConvertContext& context_;
  const TCommandList& commands_;
  const TParserWordList& words_;
};

}  // namespace

bool IsBatchEnd(std::string_view line) {
  // Most lines are none: the first character that is no blank tells.
  std::size_t first = 0;
  while (first < line.size() && static_cast<unsigned char>(line[first]) <= ' ') ++first;
  if (first == line.size() || (line[first] != 'G' && line[first] != 'g')) return false;
  line = Trim(line);
  if (line.size() < 2 || !EqualsUpper(line.substr(0, 2), "GO")) return false;
  std::string_view rest = line.substr(2);
  if (rest.empty()) return true;
  // GOTO, GOVERNOR: a longer word is no batch end.
  if (rest.front() != ';' && rest.front() != '-' && rest.front() != '/' && static_cast<unsigned char>(rest.front()) > ' ')
    return false;
  rest = TrimLeft(rest);
  std::size_t digits = 0;
  while (digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9') ++digits;
  rest = TrimLeft(rest.substr(digits));
  if (!rest.empty() && rest.front() == ';') rest = TrimLeft(rest.substr(1));
  return rest.empty() || rest.substr(0, 2) == "--" ||
         (rest.substr(0, 2) == "/*" && rest.size() >= 4 && rest.substr(rest.size() - 2) == "*/" &&
          rest.find("*/") == rest.size() - 2);
}

std::vector<TBatchStatement> SplitBatchStatements(const TConvertContext& Context, const TCommandList& Commands,
                                                  const TParserWordList& Words) {
  return TSplitter(Context, Commands, Words).Split();
}

void RecogniseStatements(const TConvertContext& Context, const TCommandList& Commands,
                         const std::vector<std::string>& Lines, const TParserWordList& Words,
                         TSQLObjectList& Objects, const std::function<void(const TBatchStatement&)>& Other) {
  const std::vector<TBatchStatement> statements = SplitBatchStatements(Context, Commands, Words);
  const bool wholeBatch = statements.size() == 1;
  for (const TBatchStatement& statement : statements) {
    if (statement.Command != nullptr)
      statement.Command->ExecuteStatement(Lines, Words, statement, wholeBatch, Objects);
    else if (Other)
      Other(statement);
  }
}

}  // namespace ambrix
