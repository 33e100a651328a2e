#include "conversion/code_analizers.h"

#include <string>

#include "conversion/alarm_object.h"
#include "parser/parser_text_word_list.h"
#include "parser/parser_word_list.h"
#include "rewriting/builtin_rules.h"
#include "rewriting/head_rules.h"
#include "rewriting/name_rules.h"
#include "rewriting/operator_rules.h"
#include "rewriting/rule_conventions.h"
#include "rewriting/statement_rules.h"
#include "rewriting/table_rules.h"
#include "rewriting/word_span.h"
#include "text/error.h"

namespace ambrix {

namespace {

const char* const kStrangeFunction = "Странная функция";
const char* const kNoReturns = "Странная функция - нет RETURNS";
const char* const kStrangeTrigger = "Странный триггер";

/// The rules every procedure, function and trigger body goes through, in
/// their fixed order. Procedures and triggers rename the owner dbo after the
/// index hints; functions did it before their head was adapted.
void RunCodeRules(const TConvertContext& Context, TParserWordList& Words, bool ReplaceOwner) {
  ConvertCreateTables(Context, Words);
  ConvertAlterTables(Context, Words);
  RemoveIndexHints(Context, Words);
  if (ReplaceOwner) ReplaceOwnerDbo(Context, Words);
  JoinComparisonOperators(Context, Words);
  ConvertReturnExpressions(Context, Words);
  ConvertFetchFrom(Context, Words);
  ConvertStatementBlocks(Context, Words);
  ConvertTableVariables(Context, Words);
  ConvertNationalTypes(Context, Words);
  SplitDropStatements(Context, Words);
  ConvertExecStatements(Context, Words);
  ConvertInsertExec(Context, Words);
  ConvertReservedWords(Context, Words);
  ConvertUpdateDeleteFrom(Context, Words);
  ConvertBuiltinFunctions(Context, Words);
  ConvertModuloOperators(Context, Words);
  ConvertDistributedTransactions(Context, Words);
}

/// A body that starts at AS (index `As`) needs a begin ... end frame unless a
/// BEGIN (index `Begin`, -1: none) follows with nothing but comments between.
bool NeedsFrame(const TConvertContext& Context, TParserWordList& Words, int As, int Begin) {
  if (Begin < 0) return true;
  const int next = NextSignificant(Context, Words, As);
  return next >= 0 && next < Begin;
}

/// The start text word of a word that a conversion edits around; an earlier
/// rule cannot have deleted it, but the check costs nothing.
TParserTextWord& StartOf(TParserWord& Word) {
  if (!Word.StartTextWord) throw Error("Ключевое слово не найдено для вставки");
  return *Word.StartTextWord;
}

/// The head of a function becomes that of a procedure.
void RenameHeadToProcedure(const TConvertContext& Context, TParserWordList& Words) {
  const int first = FirstSignificant(Context, Words, 0);
  if (first < 0) throw Error(kStrangeFunction);
  SetWordText(*Words[first], "create procedure");
}


/// The two lines that drop a procedure or function if it exists.
void DropProcedureLines(const std::string& Kind, const std::string& ObjectName,
                        std::vector<std::string>& DropLines) {
  DropLines.push_back("if exists( select * from SysProcedure where Proc_Name = " + QuotedString(ObjectName) +
                      ")");
  DropLines.push_back("  drop " + Kind + " " + DoubleQuotedName(ObjectName));
}

}  // namespace

// --- Functions ---------------------------------------------------------------

void TAnalizer_Function::Convert(const std::string& ParentName, const std::string& ObjectName,
                                 TParserWordList& Words) {
  Words.BuildText(0);
  const int returns = FindInList(Words, "RETURNS");
  if (returns < 0) throw Error(kStrangeFunction);
  // RETURNS TABLE: inline; RETURNS @t TABLE: multi-statement. Comments
  // between the words do not change the kind.
  const TConvertContext& context = Context();
  auto isTable = [&Words](int index) { return index >= 0 && WordTextEquals(*Words[index], "TABLE"); };
  const int first = NextSignificant(context, Words, returns);
  if (isTable(first)) {
    ConvertInlineTableFunction(ParentName, ObjectName, Words);
  } else if (first >= 0 && isTable(NextSignificant(context, Words, first))) {
    ConvertTableFunction(ParentName, ObjectName, Words);
  } else {
    ConvertScalarFunction(ParentName, ObjectName, Words);
  }
}

void TAnalizer_Function::ConvertScalarFunction(const std::string&, const std::string&,
                                               TParserWordList& Words) {
  const TConvertContext& context = Context();
  ReplaceOwnerDbo(context, Words);
  RemoveObjectOptions(context, Words);
  RemoveFunctionParameterDefaults(context, Words);
  const int as = FindInList(Words, "AS");
  const int begin = FindInList(Words, "BEGIN");
  if (as < 0 && begin < 0) throw Error(kStrangeFunction);
  if (as < 0 || (begin >= 0 && begin < as)) {
    InsertTextBefore(Words, &StartOf(*Words[begin]), "as", 0, 1);
  } else if (NeedsFrame(context, Words, as, begin)) {
    InsertTextAfter(Words, StartOf(*Words[as]), "begin", 0, 1);
    AppendText(Words, "end", 0, 1);
  }
  RunCodeRules(context, Words, false);
}

void TAnalizer_Function::ConvertInlineTableFunction(const std::string&, const std::string&,
                                                    TParserWordList& Words) {
  const TConvertContext& context = Context();
  ReplaceOwnerDbo(context, Words);
  RemoveObjectOptions(context, Words);
  RenameHeadToProcedure(context, Words);
  const int returns = FindInList(Words, "RETURNS", FirstSignificant(context, Words, 0) + 1);
  if (returns < 0) throw Error(kNoReturns);
  const int ret = FindInList(Words, "RETURN", returns + 1);
  if (ret < 0) throw Error("Странная функция - нет RETURN");
  // The procedure's body is the query itself: RETURN (SELECT ...) loses its
  // brackets.
  if (const int query = NextSignificant(context, Words, ret);
      query >= 0 && Words[query]->Term == context.BlockTerm && Words[query]->Children) {
    const int first = FirstSignificant(context, *Words[query]->Children, 0);
    if (first >= 0 && WordTextIs(*Words[query]->Children->Words(first), "SELECT"))
      DeleteDelimiters(*Words[query], true);
  }

  // Only an AS of the head counts: one after RETURN belongs to the query.
  const int as = FindInList(Words, "AS", returns + 1, ret - 1);
  TParserTextWord& bodyStart = StartOf(*Words[as >= 0 ? as : ret]);
  DeleteTextRange(StartOf(*Words[returns]), *bodyStart.PrevWord(), true);
  if (as < 0) InsertTextBefore(Words, &StartOf(*Words[ret]), "as", 0, 1);
  DeleteStartWord(*Words[ret], true);

  RemoveIndexHints(context, Words);
  JoinComparisonOperators(context, Words);
  ConvertReservedWords(context, Words);
  ConvertBuiltinFunctions(context, Words);
  ConvertModuloOperators(context, Words);
  ConvertNationalTypes(context, Words);
}

void TAnalizer_Function::ConvertTableFunction(const std::string&, const std::string&,
                                              TParserWordList& Words) {
  const TConvertContext& context = Context();
  ReplaceOwnerDbo(context, Words);
  RemoveObjectOptions(context, Words);
  RenameHeadToProcedure(context, Words);
  const int returns = FindInList(Words, "RETURNS", FirstSignificant(context, Words, 0) + 1);
  if (returns < 0) throw Error(kNoReturns);
  const int as = FindInList(Words, "AS");
  const int begin = FindInList(Words, "BEGIN");
  if (as < 0 && begin < 0) throw Error(kStrangeFunction);
  const bool asBeforeBegin = as < 0 || (begin >= 0 && begin < as);

  // The table definition RETURNS @t TABLE (...) must stand before the body.
  const int table = FindInList(Words, "TABLE", returns + 1);
  const int block = table < 0 ? -1 : FindTerm(Words, context.BlockTerm, table + 1);
  if ((asBeforeBegin ? begin : as) < returns) throw Error(kStrangeFunction);

  // Body: the word after which the table definition goes; HeaderEnd: the last
  // word of the head, which ends with the table definition.
  TParserTextWord* body = nullptr;
  TParserTextWord* headerEnd = nullptr;
  if (asBeforeBegin) {
    body = &InsertTextBefore(Words, &StartOf(*Words[begin]), "as", 0, 1);
    headerEnd = body->PrevWord();
  } else {
    if (NeedsFrame(context, Words, as, begin)) {
      body = &InsertTextAfter(Words, StartOf(*Words[as]), "begin", 0, 1);
      AppendText(Words, "end", 0, 1);
    } else {
      body = &StartOf(*Words[begin]);
    }
    headerEnd = StartOf(*Words[as]).PrevWord();
  }

  TParserTextWord& create = StartOf(*Words[returns]);
  create.Text = "create table";
  create.LineBreaks = 1;
  create.Spaces = 2;
  const int variable = NextSignificant(context, Words, returns);
  const std::string oldName = StartOf(*Words[variable]).Text;

  if (block < 0 || block > (asBeforeBegin ? begin : as)) throw Error("Странное описание таблицы в функции");
  ConvertColumnDefinitions(context, *Words[block]->Children);
  DeleteStartWord(*Words[table], false);

  TParserTextWord* firstStatement = body->NextWord();
  if (!firstStatement) throw Error(kStrangeFunction);
  firstStatement->LineBreaks = 2;
  Words.RootTextList()->MoveRangeBefore(firstStatement, &create, headerEnd);

  const std::string newName = "#" + oldName.substr(1);
  ReplaceWordText(context, oldName, newName, Words);
  RunCodeRules(context, Words, false);

  // Every RETURN hands the rows of the table back first. String literals are
  // left alone: a 'RETURN' inside one is data.
  const std::string selectRows = "select * from " + newName;
  for (TParserWord* ret : SearchStatement(context, Words, {"RETURN"})) {
    if (!ret->StartTextWord) continue;
    TParserTextWord& word = *ret->StartTextWord;
    const int spaces = word.Spaces;
    InsertTextBefore(Words, &word, "begin", spaces, 1);
    InsertTextBefore(Words, &word, selectRows, spaces + 2, 1);
    InsertTextAfter(Words, word, "end", spaces, 1);
    word.Spaces += 2;
  }
  AppendText(Words, selectRows, 0, 1);
}

void TAnalizer_Function::GetDropScript(const std::string&, const std::string& ObjectName,
                                       std::vector<std::string>& DropLines) {
  DropProcedureLines("function", ObjectName, DropLines);
}

void TAnalizer_Function::CheckAlarms(const std::string&, const std::string&, TParserWordList& Words,
                                     TAlarmList& Alarms) {
  CheckSystemObjectAlarms(Words, Alarms);
}

// --- Procedures --------------------------------------------------------------

void TAnalizer_Procedure::Convert(const std::string&, const std::string&, TParserWordList& Words) {
  const TConvertContext& context = Context();
  Words.BuildText(0);
  const int first = FirstSignificant(context, Words, 0);
  if (first < 0) throw Error("Странная процедура");
  // CREATE PROC also stands for CREATE PROCEDURE written out, which the
  // dialect's "create proc" term covers as one word.
  if (WordTextIs(*Words[first], "CREATE PROC")) {
    TParserTextWord& head = StartOf(*Words[first]);
    head.Text = "create procedure";
    if (TParserTextWord* name = head.NextWord()) name->Spaces = 1;
  }
  RemoveObjectOptions(context, Words);
  RunCodeRules(context, Words, true);
}

void TAnalizer_Procedure::GetDropScript(const std::string&, const std::string& ObjectName,
                                        std::vector<std::string>& DropLines) {
  DropProcedureLines("procedure", ObjectName, DropLines);
}

void TAnalizer_Procedure::CheckAlarms(const std::string&, const std::string&, TParserWordList& Words,
                                      TAlarmList& Alarms) {
  CheckSystemObjectAlarms(Words, Alarms);
}

// --- Views -------------------------------------------------------------------

void TAnalizer_View::Convert(const std::string&, const std::string&, TParserWordList& Words) {
  const TConvertContext& context = Context();
  Words.BuildText(0);
  ReplaceOwnerDbo(context, Words);
  RemoveObjectOptions(context, Words);
  JoinComparisonOperators(context, Words);
  ConvertNationalTypes(context, Words);
  RemoveIndexHints(context, Words);
  ConvertReservedWords(context, Words);
  ConvertBuiltinFunctions(context, Words);
  ConvertModuloOperators(context, Words);
}

void TAnalizer_View::GetDropScript(const std::string&, const std::string& ObjectName,
                                   std::vector<std::string>& DropLines) {
  DropLines.push_back("if exists( select * from SysViews where ViewName = " + QuotedString(ObjectName) + ")");
  DropLines.push_back("  drop view " + BracketedName(ObjectName));
}

void TAnalizer_View::CheckAlarms(const std::string&, const std::string&, TParserWordList& Words,
                                 TAlarmList& Alarms) {
  // Views call no procedures and run no dynamic SQL or DBCC.
  static constexpr TAlarmKind kKinds[] = {
      {"systable", "SysTable"}, {"sysview", "SysView"}, {"sysdb", "SysDB"}, {"sysglobvar", "SysGlobVar"}};
  RaiseKindAlarms(Words, kKinds, Alarms);
}

// --- Triggers ----------------------------------------------------------------

void TAnalizer_Trigger::Convert(const std::string&, const std::string& ObjectName, TParserWordList& Words) {
  const TConvertContext& context = Context();
  if (ParentTypeName() == "VIEW") {
    // The target has no triggers on views (SQL Server's are INSTEAD OF).
    CommentOutStatement(Words);
    MarkAlarm(Words, FirstTextWord(Words)->NextWord(), "TriggerOnView", ObjectName);
    return;
  }
  Words.BuildText(0);
  RemoveObjectOptions(context, Words);
  RunCodeRules(context, Words, true);

  const int on = FindInList(Words, "ON", 1);
  const int insteadOf = FindInList(Words, "INSTEAD OF");
  if (insteadOf < 0) {
    // The target's Transact-SQL trigger runs after the statement and is
    // written FOR: AFTER INSERT becomes FOR INSERT.
    const int as = on < 0 ? -1 : FindInList(Words, "AS", on + 1);
    const int after = as < 0 ? -1 : FindInList(Words, "AFTER", on + 1, as - 1);
    if (after >= 0) SetWordText(*Words[after], "for");
    return;
  }
  TParserTextWord& before = StartOf(*Words[insteadOf]);
  before.Text = "BEFORE";
  int event = NextSignificant(context, Words, insteadOf);
  if (event < 0) throw Error(kStrangeTrigger);
  if (on < 0 || on > insteadOf) throw Error(kStrangeTrigger);
  // INSTEAD OF INSERT, UPDATE: every event goes along.
  for (int separator = NextSignificant(context, Words, event);
       separator >= 0 && Words[separator]->Term == context.ListDivTerm;
       separator = NextSignificant(context, Words, event)) {
    const int next = NextSignificant(context, Words, separator);
    if (next < 0 || WordTextIs(*Words[next], "AS")) break;
    event = next;
  }
  TParserTextWord* eventEnd = LastTextWordOf(*Words[event]);
  if (!eventEnd) throw Error(kStrangeTrigger);
  // ON T INSTEAD OF INSERT becomes BEFORE INSERT ON T.
  Words.RootTextList()->MoveRangeBefore(&StartOf(*Words[on]), &before, eventEnd);
  KeepLineCommentsClosed(before, *eventEnd);

  const int as = FindInList(Words, "AS", event + 1);
  if (as < 0) throw Error(kStrangeTrigger);
  // The body cannot be carried over: it is kept inside a comment for the
  // user to rewrite, and nothing in it may end that comment early.
  TParserTextWord& body = StartOf(*Words[as]);
  if (TParserTextWord* changed = BreakCommentMarks(body)) MarkAlarm(Words, changed, "CommentedEndMark", "*/");
  InsertTextBefore(Words, &body, "for each row\r\nbegin /* Самостоятельно исправьте логику этого триггера !!!", 0, 1);
  AppendText(Words, "*/ end", 0, 1);
}

void TAnalizer_Trigger::GetDropScript(const std::string& ParentName, const std::string& ObjectName,
                                      std::vector<std::string>& DropLines) {
  if (ParentTypeName() == "VIEW") return;  // nothing was created
  DropLines.push_back(
      "if exists( select * from SysTrigger tr key join SysTable t where tr.Trigger_Name  = " +
      QuotedString(ObjectName) + " and t.Table_Name = " + QuotedString(ParentName) + " )");
  DropLines.push_back("  drop trigger " + BracketedName(ParentName) + "." + ObjectName);
}

void TAnalizer_Trigger::CheckAlarms(const std::string&, const std::string&, TParserWordList& Words,
                                    TAlarmList& Alarms) {
  CheckSystemObjectAlarms(Words, Alarms);
  // The head word keeps the text it was parsed with, though it prints BEFORE.
  // A trigger on a view is kept whole in a comment (TriggerOnView).
  if (ParentTypeName() != "VIEW" && FindInList(Words, "INSTEAD OF") >= 0)
    Alarms.AddAlarm("TriggerInsteadOf", "INSTEAD OF", {1, 1});
}

}  // namespace ambrix
