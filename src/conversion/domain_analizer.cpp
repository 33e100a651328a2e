// User types: every form of the sp_addtype call becomes the one the target
// runs, exec sp_addtype 'name', 'type' [, 'null type'].

#include <string>
#include <vector>

#include "conversion/data_analizers.h"
#include "parser/parser_text_word_list.h"
#include "parser/parser_word_list.h"
#include "recognition/procedure_call.h"
#include "rewriting/rule_conventions.h"
#include "rewriting/word_span.h"
#include "text/error.h"
#include "text/string_helpers.h"
#include "text/utf8.h"

namespace ambrix {

namespace {

constexpr const char* kDomainParams = "Неправильные параметры команды создания пользовательского типа";

// National character types have no counterpart in the target: their plain
// forms hold the same text.
std::string TargetPhysicalType(std::string type) {
  const std::string upper = UpperCase(type);
  for (const char* national : {"NCHAR", "NVARCHAR", "NTEXT"})
    if (upper.rfind(national, 0) == 0) return type.substr(1);
  return type;
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

  std::string call = "exec sp_addtype " + QuotedString(std::string(Trim(ArgumentText(Words, *name)))) + ", " +
                     QuotedString(TargetPhysicalType(std::string(Trim(ArgumentText(Words, *type)))));
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
  (void)placed;
  DeleteTextRange(*start, *end, false);
}

}  // namespace ambrix
