#pragma once

#include "conversion/analizer_object.h"

namespace ambrix {

// The analyzers of the code objects: functions, procedures, views and
// triggers. Each builds the editable text, adapts the head of the object (the
// head options the target lacks go, see head_rules.h) and runs the statement
// rules in a fixed order.

/// "FUNCTION": a scalar function keeps its head, less its parameters'
/// defaults, and gets a begin ... end frame where it has none; a table
/// function (inline or multi-statement) becomes a procedure that returns its
/// rows with a SELECT.
class TAnalizer_Function : public TAnalizerObject {
 public:
  std::string GetTypeName() const override { return "FUNCTION"; }
  /// Raises "Странная функция" when the text has no RETURNS.
  void Convert(const std::string& ParentName, const std::string& ObjectName,
               TParserWordList& Words) override;
  void GetDropScript(const std::string& ParentName, const std::string& ObjectName,
                     std::vector<std::string>& DropLines) override;
  void CheckAlarms(const std::string& ParentName, const std::string& ObjectName,
                   TParserWordList& Words, TAlarmList& Alarms) override;

  /// RETURNS a scalar type. Raises "Странная функция" when the text has
  /// neither AS nor BEGIN.
  void ConvertScalarFunction(const std::string& ParentName, const std::string& ObjectName,
                             TParserWordList& Words);
  /// RETURNS TABLE AS RETURN query: a procedure whose body is the query.
  /// Raises "Странная функция - нет RETURNS" / "Странная функция - нет RETURN".
  void ConvertInlineTableFunction(const std::string& ParentName, const std::string& ObjectName,
                                  TParserWordList& Words);
  /// RETURNS @t TABLE (columns): a procedure that fills the temporary table
  /// #t and selects from it wherever it returns. Raises "Странная функция",
  /// "Странная функция - нет RETURNS" and "Странное описание таблицы в
  /// функции" (no column block after TABLE).
  void ConvertTableFunction(const std::string& ParentName, const std::string& ObjectName,
                            TParserWordList& Words);
};

/// "PROCEDURE": CREATE PROC reads create procedure. Raises "Странная
/// процедура" for a text of comments only.
class TAnalizer_Procedure : public TAnalizerObject {
 public:
  std::string GetTypeName() const override { return "PROCEDURE"; }
  void Convert(const std::string& ParentName, const std::string& ObjectName,
               TParserWordList& Words) override;
  void GetDropScript(const std::string& ParentName, const std::string& ObjectName,
                     std::vector<std::string>& DropLines) override;
  void CheckAlarms(const std::string& ParentName, const std::string& ObjectName,
                   TParserWordList& Words, TAlarmList& Alarms) override;
};

/// "VIEW": names, operators, types, hints, reserved words and functions.
class TAnalizer_View : public TAnalizerObject {
 public:
  std::string GetTypeName() const override { return "VIEW"; }
  void Convert(const std::string& ParentName, const std::string& ObjectName,
               TParserWordList& Words) override;
  void GetDropScript(const std::string& ParentName, const std::string& ObjectName,
                     std::vector<std::string>& DropLines) override;
  void CheckAlarms(const std::string& ParentName, const std::string& ObjectName,
                   TParserWordList& Words, TAlarmList& Alarms) override;
};

/// "TRIGGER": a Transact-SQL trigger is written FOR its events (AFTER
/// becomes FOR); an INSTEAD OF trigger becomes a BEFORE trigger on all its
/// events whose body is commented out for the user to rewrite (alarm
/// TriggerInsteadOf; the marks /* and */ inside it are broken up, alarm
/// CommentedEndMark). Raises "Странный триггер" when its head cannot be read.
class TAnalizer_Trigger : public TAnalizerObject {
 public:
  std::string GetTypeName() const override { return "TRIGGER"; }
  void Convert(const std::string& ParentName, const std::string& ObjectName,
               TParserWordList& Words) override;
  void GetDropScript(const std::string& ParentName, const std::string& ObjectName,
                     std::vector<std::string>& DropLines) override;
  void CheckAlarms(const std::string& ParentName, const std::string& ObjectName,
                   TParserWordList& Words, TAlarmList& Alarms) override;
};

}  // namespace ambrix
