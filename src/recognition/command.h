#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "recognition/convert_context.h"
#include "recognition/sql_object.h"
#include "text/error.h"

namespace ambrix {

class TTerm;
class TParserWordList;
class TCommandList;
struct TBatchStatement;

/// The base of all commands. A command recognises one kind of statement in a
/// parsed batch, bound to the statement's key term (a "DML" term of the
/// dialect), and turns it into object records.
///
/// Commands are made by `TCommandList::Register<T>()`, which binds the key
/// term once the command is fully built (the key term look-up is virtual).
class TCommandDML {
 public:
  explicit TCommandDML(TCommandList& owner) : owner_(&owner) {}
  TCommandDML(const TCommandDML&) = delete;
  TCommandDML& operator=(const TCommandDML&) = delete;
  virtual ~TCommandDML() = default;

  /// The registry that created the command.
  TCommandList& Owner() const { return *owner_; }
  /// The term of the dialect that starts this kind of statement; not owned.
  TTerm* KeyTerm() const { return keyTerm_; }

  /// Finds the key term in the dialect's term list; raises the command's own
  /// message when the term list has none.
  virtual TTerm* GetKeyTerm() = 0;
  /// Appends the records of the statement to `objects`. `index` is the index
  /// in `words` of the first non-comment word after the key word, -1 when
  /// there is none; `lines` are the batch's lines.
  virtual void ParseCommand(int index, const std::vector<std::string>& lines,
                            const TParserWordList& words, TSQLObjectList& objects) = 0;

  /// Runs the command on one parsed batch: false (and nothing appended) when
  /// the batch's first "DML" word is not this command's key term; otherwise
  /// the statement is parsed and true returned. Failures propagate; records
  /// appended before them stay in `objects`.
  bool Execute(const std::vector<std::string>& lines, const TParserWordList& words,
               TSQLObjectList& objects);
  /// Runs the command on one statement of a parsed batch (see
  /// SplitBatchStatements): the command reads only the statement's words,
  /// and an object whose text is the statement gets the statement's own text
  /// (the whole batch when `wholeBatch`: a batch of this one statement).
  /// Every object appended gets the statement's first line unless it set its
  /// own. Failures propagate as with Execute.
  void ExecuteStatement(const std::vector<std::string>& lines, const TParserWordList& words,
                        const TBatchStatement& statement, bool wholeBatch, TSQLObjectList& objects);

  /// True for a statement that runs to the end of its batch (a procedure,
  /// view, function or trigger, whose body holds statements of its own).
  virtual bool TakesRestOfBatch() const { return false; }
  /// For a command that recognises a call of a system procedure (exec
  /// sp_addtype ...): the procedure's name, also called as EXECUTE, with an
  /// owner or delimited; empty for the others.
  virtual std::string_view ProcedureName() const { return {}; }

 protected:
  /// The text of the statement being parsed: `lines` (the batch) outside
  /// ExecuteStatement.
  const std::vector<std::string>& StatementLines(const std::vector<std::string>& lines) const {
    return statementLines_ != nullptr ? *statementLines_ : lines;
  }

  /// What the command reads of the open dialect.
  const TConvertContext& Context() const;
  /// The term whose start words equal `startWords` (compared trimmed,
  /// upper-cased, word by word); raises `message` when there is none.
  TTerm* FindKeyTerm(std::string_view startWords, std::string_view message) const;

 private:
  friend class TCommandList;
  TCommandList* owner_;
  TTerm* keyTerm_ = nullptr;
  const std::vector<std::string>* statementLines_ = nullptr;
};

/// The base of the commands whose statement names one object: the name is the
/// last part of the qualified name after the key word, the script is the
/// statement's text.
class TCommandDMLName : public TCommandDML {
 public:
  using TCommandDML::TCommandDML;

  void ParseCommand(int index, const std::vector<std::string>& lines, const TParserWordList& words,
                    TSQLObjectList& objects) override;
  /// The parent's name; `index` is just after the object name. No parent here.
  virtual std::string GetParentName(int index, const std::vector<std::string>& lines,
                                    const TParserWordList& words);
  /// May fill `script` with the object's own text and return true; false
  /// keeps the statement's text as the script.
  virtual bool GetObjectScript(int index, const std::vector<std::string>& lines,
                               const TParserWordList& words, std::vector<std::string>& script);
  /// The type name of the object the command yields.
  virtual std::string GetTypeName() = 0;
};

/// The command registry: owns its commands, in registration order. A class
/// registers once, and never after one of its descendants.
class TCommandList {
 public:
  /// The registry reads the dialect through `context`, which must outlive it.
  explicit TCommandList(const TConvertContext& context) : context_(&context) {}
  TCommandList(const TCommandList&) = delete;
  TCommandList& operator=(const TCommandList&) = delete;

  const TConvertContext& Context() const { return *context_; }

  /// Creates a command of class `T` owned by the registry, binds its key term
  /// and appends it; returns its index. Raises "Команда уже зарегестрирована"
  /// when a command of `T` or of a class derived from `T` is registered, and
  /// the command's own message when its key term is missing; the registry is
  /// then unchanged.
  template <class T>
  int Register() {
    static_assert(std::is_base_of_v<TCommandDML, T> && !std::is_abstract_v<T>,
                  "only concrete commands can be registered");
    if (IndexOfClass<T>() != -1) throw Error("Команда уже зарегестрирована");
    std::unique_ptr<TCommandDML> command = std::make_unique<T>(*this);
    command->keyTerm_ = command->GetKeyTerm();
    commands_.push_back(std::move(command));
    return Count() - 1;
  }

  /// Index of the first command that is of class `T` or of a class derived
  /// from it; -1 if none.
  template <class T>
  int IndexOfClass() const {
    static_assert(std::is_base_of_v<TCommandDML, T>);
    for (int i = 0; i < Count(); ++i)
      if (dynamic_cast<const T*>(commands_[static_cast<size_t>(i)].get()) != nullptr) return i;
    return -1;
  }

  /// Index of the first command whose key term is `term` itself (identity,
  /// not text); -1 if none.
  int IndexOfKeyTerm(const TTerm* term) const;
  /// Index of the first command whose ProcedureName equals `name` (letter
  /// case ignored); -1 if none.
  int IndexOfProcedure(std::string_view name) const;

  int Count() const { return static_cast<int>(commands_.size()); }
  TCommandDML& Items(int index) const { return *commands_.at(static_cast<size_t>(index)); }
  /// Frees every command. Must happen before the term list is emptied.
  void Clear() { commands_.clear(); }

 private:
  const TConvertContext* context_;
  std::vector<std::unique_ptr<TCommandDML>> commands_;
};

}  // namespace ambrix
