#pragma once

#include <string_view>

namespace ambrix {

// SQL Server's built-in column types as SQL Anywhere 9 must read them. A type
// that is not in the table is a user type (a domain): its nullability and
// default come from the type.

struct TColumnType {
  std::string_view Name;         ///< SQL Server's name, upper case
  std::string_view Target;       ///< the target's name for it; empty: as written
  std::string_view MissingArgs;  ///< written when the type has no arguments (the target's default differs)
  std::string_view MissingScale; ///< appended to one argument: the scale SQL Server implies
  std::string_view Default;      ///< a default the column gets unless it has one
  std::string_view Alarm;        ///< the warning the column gets: the target's type behaves otherwise
  std::string_view Nullness;     ///< what a column that says nothing is in SQL Server; empty: null
  int Precedence;                ///< rank of a numeric type in arithmetic (higher wins); 0: not used
};

/// The built-in type named `Name` (letter case ignored), or null.
const TColumnType* FindColumnType(std::string_view Name);

}  // namespace ambrix
