#pragma once

#include <span>
#include <string>
#include <vector>

#include "recognition/convert_context.h"

namespace ambrix {

class TParserWordList;
class TAlarmList;

/// Maps Transact-SQL built-in functions to their Watcom-SQL counterparts:
/// aggregates with ALL, COUNT_BIG, the identity functions (IDENTITY of SELECT
/// ... INTO becomes Number (*), alarm IdentityNumbering when it starts or
/// steps other than by 1), CHARINDEX with a start position (the target's
/// Locate, its first two arguments swapped), ROUND with a truncation
/// argument, the date parts of DATEPART, DATEADD, DATEDIFF and DATENAME
/// (always the full name), LEN, RAISERROR (see raiserror_rules.h) and the
/// user-name functions. Raises "Странная функция CHARINDEX" / "Странная
/// функция ROUND" for a call with fewer than 2 or more than 3 arguments.
void ConvertBuiltinFunctions(const TConvertContext& Context, TParserWordList& Words);

/// Appends one alarm of kind `VarName` for every word at any depth of `Words`,
/// in document order, whose type is one of `TypeNames` (case ignored). The
/// position is where the last printing put the word's start text word, or
/// line 0, column 0 when a rule deleted it.
void RaiseTypeAlarms(const std::string& VarName, TParserWordList& Words,
                     const std::vector<std::string>& TypeNames, TAlarmList& Alarms);

/// A kind of alarm raised for every word of one type.
struct TAlarmKind {
  const char* TypeName;
  const char* VarName;
};

/// `RaiseTypeAlarms` for each of `Kinds` in turn (the alarms of the first
/// kind, in document order, then those of the second, ...), with one search
/// of `Words` for them all.
void RaiseKindAlarms(TParserWordList& Words, std::span<const TAlarmKind> Kinds, TAlarmList& Alarms);

/// The seven system-object alarm kinds, by kind in this order: SysTable,
/// SysView, SysProc, SysDB, SysGlobVar, DBCC, DynamicSQL.
void CheckSystemObjectAlarms(TParserWordList& Words, TAlarmList& Alarms);

}  // namespace ambrix
