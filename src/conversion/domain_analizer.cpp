// User types: every form of the sp_addtype call becomes the one the target
// runs, exec sp_addtype 'name', 'type' [, 'null type'].

#include <string>
#include <vector>

#include "conversion/data_analizers.h"
#include "parser/parser_text_word_list.h"
#include "parser/parser_word_list.h"
#include "recognition/procedure_call.h"
#include "rewriting/column_types.h"
#include "rewriting/rule_conventions.h"
#include "rewriting/word_span.h"
#include "text/error.h"
#include "text/string_helpers.h"
#include "text/utf8.h"

namespace ambrix {

namespace {

constexpr const char* kDomainParams = "Неправильные параметры команды создания пользовательского типа";

// The physical type as the target must read it: national character types
// have no counterpart there (their plain forms hold the same text), and the
// built-in types map as a column's do (DECIMAL without precision is
// SQL Server's (18,0)). `alarm` receives the warning a type brings.
std::string TargetPhysicalType(std::string type, std::string_view& alarm) {
  const std::string upper = UpperCase(type);
  for (const char* national : {"NCHAR", "NVARCHAR", "NTEXT"})
    if (upper.rfind(national, 0) == 0) return type.substr(1);
  const std::size_t open = type.find('(');
  std::string name(Trim(std::string_view(type).substr(0, open)));
  const TColumnType* known = FindColumnType(name);
  if (known == nullptr) return type;
  alarm = known->Alarm;
  std::string arguments = open == std::string::npos ? std::string() : type.substr(open);
  if (!known->Target.empty()) name = std::string(known->Target);
  if (arguments.empty()) {
    arguments = std::string(known->MissingArgs);
  } else if (!known->MissingScale.empty() && arguments.find(',') == std::string::npos) {
    const std::size_t close = arguments.rfind(')');
    if (close != std::string::npos) arguments.insert(close, known->MissingScale);
  }
  return name + arguments;
}

}  // namespace

void TAnalizer_Domain::Convert(const std::string&, const std::string&, TParserWordList& Words) {
  const TConvertContext& context = Context();
  Words.BuildText(0);
  const int first = FirstSignificant(context, Words, 0);
  const int from = ProcedureArguments(context, Words);
  if (first < 0 || from < 0) throw Error(kDomainParams);
  const std::vector<TProcedureArgument> arguments = ReadProcedureArguments(context, Words, from);
  const TProcedureArgument* name = FindArgument(arguments, "@typename", 0);
  const TProcedureArgument* type = FindArgument(arguments, "@phystype", 1);
  const TProcedureArgument* nulls = FindArgument(arguments, "@nulltype", 2);
  if (name == nullptr || type == nullptr) throw Error(kDomainParams);

  std::string_view alarm;
  const std::string physical = TargetPhysicalType(std::string(Trim(ArgumentText(Words, *type))), alarm);
  std::string call = "exec sp_addtype " + QuotedString(std::string(Trim(ArgumentText(Words, *name)))) + ", " +
                     QuotedString(physical);
  if (nulls != nullptr) {
    std::string nullType = UpperCase(Trim(ArgumentText(Words, *nulls)));
    if (nullType == "NONULL") nullType = "NOT NULL";
    call += ", " + QuotedString(nullType);
  }
  // The call takes the place of the statement; comments around it stay.
  const int last = Words.LastIndexOfNotType(Words.Count() - 1, {context.CommentTermName});
  TParserTextWord* start = FirstTextWordIn(Words, first, last);
  TParserTextWord* end = LastTextWordIn(Words, first, last);
  if (start == nullptr || end == nullptr) throw Error(kDomainParams);
  TParserTextWord& placed = InsertTextBefore(Words, start, call, start->Spaces, start->LineBreaks);
  DeleteTextRange(*start, *end, false);
  if (!alarm.empty()) MarkAlarm(Words, &placed, std::string(alarm), physical);
}

}  // namespace ambrix
