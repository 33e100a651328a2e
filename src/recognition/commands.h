#pragma once

#include <string>
#include <vector>

#include "recognition/command.h"

namespace ambrix {

// The catalogue of commands: one class per kind of statement that
// reverse-engineering turns into objects. Each binds the "DML" term of its
// start words and raises its own message when the dialect lacks it.

/// "create table": a TABLE.
class TCommand_CreateTable : public TCommandDMLName {
 public:
  using TCommandDMLName::TCommandDMLName;
  TTerm* GetKeyTerm() override;
  std::string GetTypeName() override;
};

/// "create default": a DEFAULT.
class TCommand_CreateDefault : public TCommandDMLName {
 public:
  using TCommandDMLName::TCommandDMLName;
  TTerm* GetKeyTerm() override;
  std::string GetTypeName() override;
};

/// "create rule": a RULE (a condition on @variable, bound to columns or user
/// types with sp_bindrule).
class TCommand_CreateRule : public TCommandDMLName {
 public:
  using TCommandDMLName::TCommandDMLName;
  TTerm* GetKeyTerm() override;
  std::string GetTypeName() override;
};

/// "create view": a VIEW.
class TCommand_CreateView : public TCommandDMLName {
 public:
  using TCommandDMLName::TCommandDMLName;
  TTerm* GetKeyTerm() override;
  bool TakesRestOfBatch() const override { return true; }
  std::string GetTypeName() override;
};

/// "create procedure": a PROCEDURE.
class TCommand_CreateProcedure : public TCommandDMLName {
 public:
  using TCommandDMLName::TCommandDMLName;
  TTerm* GetKeyTerm() override;
  bool TakesRestOfBatch() const override { return true; }
  std::string GetTypeName() override;
};

/// "create proc": the short form; register it after `TCommand_CreateProcedure`.
class TCommand_CreateProc : public TCommand_CreateProcedure {
 public:
  using TCommand_CreateProcedure::TCommand_CreateProcedure;
  TTerm* GetKeyTerm() override;
};

/// "create function": a FUNCTION.
class TCommand_CreateFunction : public TCommandDMLName {
 public:
  using TCommandDMLName::TCommandDMLName;
  TTerm* GetKeyTerm() override;
  bool TakesRestOfBatch() const override { return true; }
  std::string GetTypeName() override;
};

/// "create trigger": a TRIGGER whose parent is the table after ON.
class TCommand_CreateTrigger : public TCommandDMLName {
 public:
  using TCommandDMLName::TCommandDMLName;
  TTerm* GetKeyTerm() override;
  bool TakesRestOfBatch() const override { return true; }
  std::string GetParentName(int index, const std::vector<std::string>& lines,
                            const TParserWordList& words) override;
  std::string GetTypeName() override;
};

/// The six create index forms: an INDEX whose parent is the table after ON.
/// The uniqueness and clustering words stay in the script. Abstract: each form
/// binds its own key term.
class TCommand_CreateIndex : public TCommandDMLName {
 public:
  using TCommandDMLName::TCommandDMLName;
  std::string GetParentName(int index, const std::vector<std::string>& lines,
                            const TParserWordList& words) override;
  std::string GetTypeName() override;
};

/// "create index".
class TCommand_CreateIndex_Standart : public TCommand_CreateIndex {
 public:
  using TCommand_CreateIndex::TCommand_CreateIndex;
  TTerm* GetKeyTerm() override;
};

/// "create unique index".
class TCommand_CreateIndex_Unique : public TCommand_CreateIndex {
 public:
  using TCommand_CreateIndex::TCommand_CreateIndex;
  TTerm* GetKeyTerm() override;
};

/// "create clustered index".
class TCommand_CreateIndex_Clustered : public TCommand_CreateIndex {
 public:
  using TCommand_CreateIndex::TCommand_CreateIndex;
  TTerm* GetKeyTerm() override;
};

/// "create nonclustered index".
class TCommand_CreateIndex_NonClustered : public TCommand_CreateIndex {
 public:
  using TCommand_CreateIndex::TCommand_CreateIndex;
  TTerm* GetKeyTerm() override;
};

/// "create unique clustered index".
class TCommand_CreateIndex_UniqueClustered : public TCommand_CreateIndex {
 public:
  using TCommand_CreateIndex::TCommand_CreateIndex;
  TTerm* GetKeyTerm() override;
};

/// "create unique nonclustered index".
class TCommand_CreateIndex_UniqueNonClustered : public TCommand_CreateIndex {
 public:
  using TCommand_CreateIndex::TCommand_CreateIndex;
  TTerm* GetKeyTerm() override;
};

/// "exec sp_addtype name, type [, null type]": a DOMAIN. The call may be
/// written EXECUTE, with an owner (dbo.sp_addtype), with its parameters by
/// name (@typename, @phystype, @nulltype, @owner); the name quoted, N-quoted
/// or bare.
class TCommand_CreateDomain : public TCommandDML {
 public:
  using TCommandDML::TCommandDML;
  TTerm* GetKeyTerm() override;
  std::string_view ProcedureName() const override { return "sp_addtype"; }
  void ParseCommand(int index, const std::vector<std::string>& lines, const TParserWordList& words,
                    TSQLObjectList& objects) override;
};

/// "alter table T ... ADD item, item, ...": one constraint record per primary
/// key, unique, foreign key, default and check item, with T as parent and the
/// item's own text as script. Items of other kinds (columns) are skipped.
class TCommand_AlterTable : public TCommandDML {
 public:
  using TCommandDML::TCommandDML;
  TTerm* GetKeyTerm() override;
  void ParseCommand(int index, const std::vector<std::string>& lines, const TParserWordList& words,
                    TSQLObjectList& objects) override;
};

/// "exec sp_bindefault 'default', 'table.column'": a CONSTRAINT DEFAULT named
/// table_default_column on the table.
class TCommand_CreateDefaultField : public TCommandDML {
 public:
  using TCommandDML::TCommandDML;
  TTerm* GetKeyTerm() override;
  std::string_view ProcedureName() const override { return "sp_bindefault"; }
  void ParseCommand(int index, const std::vector<std::string>& lines, const TParserWordList& words,
                    TSQLObjectList& objects) override;
};

/// "exec sp_bindrule 'rule', 'table.column'": a CONSTRAINT RULE named
/// table_rule_column on the table; bound to a user type ('rule', 'type'), a
/// CONSTRAINT RULE named type_rule without a parent.
class TCommand_BindRule : public TCommandDML {
 public:
  using TCommandDML::TCommandDML;
  TTerm* GetKeyTerm() override;
  std::string_view ProcedureName() const override { return "sp_bindrule"; }
  void ParseCommand(int index, const std::vector<std::string>& lines, const TParserWordList& words,
                    TSQLObjectList& objects) override;
};

/// Registers the eighteen commands in their fixed order (the procedure command
/// before its short form). A key term missing from the dialect raises that
/// command's message; the commands before it stay registered.
void RegisterCommands(TCommandList& commands);

}  // namespace ambrix
