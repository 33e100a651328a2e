#include "conversion/rule_analizers.h"

#include <string>
#include <string_view>

#include "conversion/stored_source.h"
#include "parser/parser_text_word_list.h"
#include "parser/parser_word_list.h"
#include "recognition/object_name.h"
#include "rewriting/builtin_rules.h"
#include "rewriting/column_rules.h"
#include "rewriting/ddl_names.h"
#include "rewriting/name_rules.h"
#include "rewriting/rule_conventions.h"
#include "text/error.h"
#include "text/utf8.h"

namespace ambrix {

namespace {

bool IsNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '@' ||
         c == '#' || c == '$' || static_cast<unsigned char>(c) >= 0x80;
}

// The rule's condition with its variable (the first @name) replaced by the
// column everywhere outside strings and comments; N before a string goes.
std::string ConditionForColumn(std::string_view Condition, const std::string& Column) {
  std::string out;
  std::string variable;
  for (std::size_t i = 0; i < Condition.size();) {
    const char c = Condition[i];
    std::size_t end = i + 1;
    if (c == '\'') {
      end = Condition.find('\'', i + 1);
      end = end == std::string_view::npos ? Condition.size() : end + 1;
    } else if (c == '-' && i + 1 < Condition.size() && Condition[i + 1] == '-') {
      end = Condition.find('\n', i);
      if (end == std::string_view::npos) end = Condition.size();
    } else if (c == '/' && i + 1 < Condition.size() && Condition[i + 1] == '*') {
      end = Condition.find("*/", i + 2);
      end = end == std::string_view::npos ? Condition.size() : end + 2;
    } else if (IsNameChar(c)) {
      while (end < Condition.size() && IsNameChar(Condition[end])) ++end;
      const std::string_view name = Condition.substr(i, end - i);
      if ((name == "N" || name == "n") && end < Condition.size() && Condition[end] == '\'') {
        i = end;
        continue;
      }
      if (name.front() == '@' && (variable.empty() || SameText(name, variable))) {
        if (variable.empty()) variable = std::string(name);
        out += Column;
        i = end;
        continue;
      }
    }
    out.append(Condition.substr(i, end - i));
    i = end;
  }
  return out;
}

// The name inside a string literal argument of a binding, as a bare name.
std::string NameInString(const TParserWord& Literal) {
  if (!Literal.Children || Literal.Children->Empty()) throw Error("Странная привязка правила");
  return ClearObjectName(FirstChildText(Literal));
}

}  // namespace

// --- RULE ------------------------------------------------------------------

void TAnalizer_Rule::Convert(const std::string&, const std::string&, TParserWordList& Words) { CommentOutStatement(Words); }

// --- CONSTRAINT RULE -------------------------------------------------------

void TAnalizer_ConstraintRule::Convert(const std::string& ParentName, const std::string& ObjectName,
                                       TParserWordList& Words) {
  if (FindInList(Words, "CHECK") >= 0 || FindInList(Words, "CHECK (") >= 0)
    ConvertCheck(ParentName, ObjectName, Words);
  else
    ConvertBinding(ParentName, ObjectName, Words);
}

void TAnalizer_ConstraintRule::ConvertCheck(const std::string& ParentName, const std::string& ObjectName,
                                            TParserWordList& Words) {
  const TConvertContext& context = Context();
  Words.BuildText(2);
  ConvertTableConstraint(context, Words, Words);
  ReplaceOwnerDbo(context, Words);
  ConvertNationalTypes(context, Words);
  ConvertReservedWords(context, Words);
  ConvertBuiltinFunctions(context, Words);
  DelimitDdlNames(context, Words);
  // An unnamed check gets the object's name, so that it can be dropped.
  const int first = FirstSignificant(context, Words, 0);
  TParserTextWord* start = FirstTextWord(Words);
  if (first >= 0 && !WordTextEquals(*Words[first], "CONSTRAINT") && start != nullptr)
  {
    InsertTextBefore(Words, start, "constraint " + BracketedName(ObjectName), start->Spaces, start->LineBreaks);
    start->LineBreaks = 0;
    start->Spaces = 1;
  }
  InsertTextBefore(Words, FirstTextWord(Words), "alter table " + BracketedName(ParentName) + " add", 0, 0);
}

void TAnalizer_ConstraintRule::ConvertBinding(const std::string& ParentName, const std::string& ObjectName,
                                              TParserWordList& Words) {
  const TConvertContext& context = Context();
  const int rule = FindTerm(Words, context.TextTerm);
  if (rule < 0) throw Error("Странная привязка правила");
  if (ParentName.empty()) {
    // Bound to a user type: the target's domains take a CHECK only when they
    // are created.
    CommentOutStatement(Words);
    TParserTextWord* at = FirstTextWord(Words) ? FirstTextWord(Words)->NextWord() : nullptr;
    MarkAlarm(Words, at, "RuleOnType", "sp_bindrule " + NameInString(*Words[rule]));
    return;
  }
  const int target = FindTerm(Words, context.TextTerm, rule + 1);
  if (target < 0) throw Error("Странная привязка правила");
  const std::string column = BracketedName(NameInString(*Words[target]));
  const std::string condition = StoredSourceBody(context, NameInString(*Words[rule]));
  if (condition.empty()) throw Error("Не найдено или неверное правило");
  const std::string check = ConditionForColumn(condition, column);
  const std::string close = check.find("--") == std::string::npos ? ")" : "\r\n)";
  AppendText(Words,
             "alter table " + BracketedName(ParentName) + " add constraint " + BracketedName(ObjectName) +
                 " check (" + check + close,
             0, 0);
}

void TAnalizer_ConstraintRule::GetDropScript(const std::string& ParentName, const std::string& ObjectName,
                                             std::vector<std::string>& DropLines) {
  if (ParentName.empty()) return;
  DropLines.push_back(
      "if exists( select * from SysConstraint c join SysTable t on t.Table_Id = c.Table_Id where t.Table_Name = " +
      QuotedString(ParentName) + " and c.Constraint_Name = " + QuotedString(ObjectName) + ")");
  DropLines.push_back("  alter table " + BracketedName(ParentName) + " drop constraint " + BracketedName(ObjectName));
}

}  // namespace ambrix
