// The commands whose statement names one object.

#include "parser/parser_text_word_list.h"  // completes parser_word_list.h
#include "parser/parser_word_list.h"
#include "recognition/commands.h"
#include "recognition/object_name.h"

namespace ambrix {

namespace {

constexpr const char* kCommandMissing = "Не найдено определение команды";
constexpr const char* kProcedureMissing = "Не найдено определение команды создания процедуры";
constexpr const char* kIndexMissing = "Не найдено определение команды создания индекса";

// The table named after the first ON from `index` on: the parent of a trigger
// or an index.
std::string TableAfterOn(const TParserWordList& words, int index, const char* missingMessage) {
  const int on = words.IndexOfText(index, "ON");
  if (on < 0) throw Error(missingMessage);
  int lastIndex = -1;
  return ParseObjectName(words, on + 1, lastIndex);
}

}  // namespace

TTerm* TCommand_CreateTable::GetKeyTerm() { return FindKeyTerm("create table", kCommandMissing); }
std::string TCommand_CreateTable::GetTypeName() { return "TABLE"; }

TTerm* TCommand_CreateDefault::GetKeyTerm() { return FindKeyTerm("create default", kCommandMissing); }
std::string TCommand_CreateDefault::GetTypeName() { return "DEFAULT"; }

TTerm* TCommand_CreateRule::GetKeyTerm() {
  return FindKeyTerm("create rule", "Не найдено определение команды создания правила");
}
std::string TCommand_CreateRule::GetTypeName() { return "RULE"; }

TTerm* TCommand_CreateView::GetKeyTerm() {
  return FindKeyTerm("create view", "Не найдено определение команды создания представления");
}
std::string TCommand_CreateView::GetTypeName() { return "VIEW"; }

TTerm* TCommand_CreateProcedure::GetKeyTerm() {
  return FindKeyTerm("create procedure", kProcedureMissing);
}
std::string TCommand_CreateProcedure::GetTypeName() { return "PROCEDURE"; }

TTerm* TCommand_CreateProc::GetKeyTerm() { return FindKeyTerm("create proc", kProcedureMissing); }

TTerm* TCommand_CreateFunction::GetKeyTerm() {
  return FindKeyTerm("create function", "Не найдено определение команды создания функции");
}
std::string TCommand_CreateFunction::GetTypeName() { return "FUNCTION"; }

TTerm* TCommand_CreateTrigger::GetKeyTerm() {
  return FindKeyTerm("create trigger", "Не найдено определение команды создания триггера");
}
std::string TCommand_CreateTrigger::GetParentName(int index, const std::vector<std::string>&,
                                                  const TParserWordList& words) {
  return TableAfterOn(words, index, "Не найдено указание таблицы триггера");
}
std::string TCommand_CreateTrigger::GetTypeName() { return "TRIGGER"; }

std::string TCommand_CreateIndex::GetParentName(int index, const std::vector<std::string>&,
                                                const TParserWordList& words) {
  return TableAfterOn(words, index, "Не найдено указание таблицы индекса");
}
std::string TCommand_CreateIndex::GetTypeName() { return "INDEX"; }

TTerm* TCommand_CreateIndex_Standart::GetKeyTerm() { return FindKeyTerm("create index", kIndexMissing); }
TTerm* TCommand_CreateIndex_Unique::GetKeyTerm() {
  return FindKeyTerm("create unique index", kIndexMissing);
}
TTerm* TCommand_CreateIndex_Clustered::GetKeyTerm() {
  return FindKeyTerm("create clustered index", kIndexMissing);
}
TTerm* TCommand_CreateIndex_NonClustered::GetKeyTerm() {
  return FindKeyTerm("create nonclustered index", kIndexMissing);
}
TTerm* TCommand_CreateIndex_UniqueClustered::GetKeyTerm() {
  return FindKeyTerm("create unique clustered index", kIndexMissing);
}
TTerm* TCommand_CreateIndex_UniqueNonClustered::GetKeyTerm() {
  return FindKeyTerm("create unique nonclustered index", kIndexMissing);
}

}  // namespace ambrix
