// Names as the target reads them: its reserved words come from the data file.

#include "rewriting/target_names.h"

#include <gtest/gtest.h>

#include <string>

namespace ambrix {
namespace {

TEST(TargetNames, KnowsTheTargetsReservedWordsInAnyLetterCase) {
  for (const char* word : {"message", "KEY", "Date", "login", "comment", "timestamp", "user", "window"})
    EXPECT_TRUE(IsTargetReservedWord(word)) << word;
  // Words SQL Server reserves but the target does not, and common names.
  for (const char* word : {"Orders", "dba", "nvarchar", "merge", "", "identity_insert"})
    EXPECT_FALSE(IsTargetReservedWord(word)) << word;
}

TEST(TargetNames, DelimitsReservedAndIrregularNamesOnly) {
  struct Case {
    const char* name;
    const char* target;
  };
  for (const Case& c : {Case{"Orders", "Orders"}, Case{"_x1$", "_x1$"}, Case{"@t", "@t"}, Case{"#tmp", "#tmp"},
                        Case{"Клиенты", "Клиенты"}, Case{"message", "[message]"}, Case{"Key", "[Key]"},
                        Case{"Order Details", "[Order Details]"}, Case{"1st", "[1st]"}, Case{"$x", "[$x]"},
                        Case{"a]b", "[a]]b]"}, Case{"", "[]"}})
    EXPECT_EQ(TargetName(c.name), c.target) << c.name;
}

}  // namespace
}  // namespace ambrix
