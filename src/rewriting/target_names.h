#pragma once

#include <string>
#include <string_view>

namespace ambrix {

// Names as SQL Anywhere 9 reads them. Its reserved words are data
// (data/target_reserved_word.tsv, from the target's manual): a reserved word
// names a table, column or index only when it is delimited.

/// True when `Word` is a reserved word of the target, letter case ignored.
bool IsTargetReservedWord(std::string_view Word);

/// True for a regular identifier: letters (any non-ASCII character counts as
/// one), digits, _, @, # and $, not starting with a digit or $.
bool IsRegularIdentifier(std::string_view Name);

/// True when `Name` cannot stand undelimited in the target: it is a reserved
/// word, or not a regular identifier (letters, digits, _, @, #, $, not
/// starting with a digit or $).
bool TargetNameNeedsQuotes(std::string_view Name);

/// `Name` as the target must read it: as written when it is a regular
/// identifier that is not reserved, otherwise bracketed (a closing bracket
/// inside it doubled).
std::string TargetName(const std::string& Name);

}  // namespace ambrix
