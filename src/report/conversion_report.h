#pragma once

#include <string>
#include <vector>

namespace ambrix::report {

/// One warning of an object, at its place in the object's converted script.
struct TReportWarning {
  std::string Kind;  ///< the alarm kind's text
  std::string Word;  ///< the word it is about; may be empty
  int Line = 0;      ///< in the converted script, from 1; 0: the word was removed, no place
  int Column = 0;    ///< in characters, from 1
};

/// What became of an object.
enum class TObjectState { Converted, Failed, NotConverted };

/// One object of a conversion, with both its scripts.
struct TReportObject {
  int TypeOrder = 0;     ///< the place of its type in the report's sections
  std::string Type;      ///< the type's name as the user reads it ("table", "primary-key")
  std::string Name;
  std::string Parent;    ///< the table it belongs to; empty when none
  TObjectState State = TObjectState::NotConverted;
  std::string Failure;   ///< why it failed (State == Failed)
  std::string Source;    ///< lines ended by CR LF or LF
  std::string Dest;      ///< the converted creation script; empty unless converted
  std::vector<TReportWarning> Warnings;
};

/// A batch of a script that failed before any object was read from it.
struct TReportBatchFailure {
  std::string File;
  int Line = 0;
  std::string Message;
};

/// The objects per type, as the totals table counts them.
struct TTypeTotals {
  std::string Type;
  int Found = 0, Converted = 0, Failed = 0, WithWarnings = 0, Warnings = 0;
};

/// Everything a conversion report shows. Both ways of converting (in memory
/// and through a repository) fill one of these; the page is made from it
/// alone, so the same input gives the same page.
struct TConversionReport {
  std::string Project;
  std::vector<TReportObject> Objects;
  std::vector<TReportBatchFailure> Batches;

  /// Puts objects in the order the page lists them (by type, parent, name)
  /// and each object's warnings by place: the order does not depend on the
  /// order the objects were converted in.
  void Sort();
  /// Per type in the order of the objects (after Sort), then the sum with
  /// an empty Type.
  std::vector<TTypeTotals> Totals() const;
};

}  // namespace ambrix::report
