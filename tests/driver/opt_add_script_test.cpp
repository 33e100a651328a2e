#include <gtest/gtest.h>

#include "driver/opt_add_script.h"

namespace ambrix {
namespace {

TEST(OptAddScript, TablesAndIndexesSelectInDeclarationOrderAndListQuoted) {
  TOptAddScript options;
  options.WithIndex = true;
  options.WithTable = true;
  EXPECT_EQ(SelectedTypeNames(options), (std::vector<std::string>{"TABLE", "INDEX"}));
  EXPECT_EQ(TypeList(options), "'table', 'index'");
}

TEST(OptAddScript, EveryTypeListsCodeObjectsLast) {
  TOptAddScript options;
  options.SelectAllTypes();
  EXPECT_EQ(SelectedTypeNames(options),
            (std::vector<std::string>{"DEFAULT", "RULE", "DOMAIN", "TABLE", "VIEW", "PROCEDURE", "FUNCTION",
                                      "CONSTRAINT PRIMARY KEY", "CONSTRAINT DEFAULT", "CONSTRAINT RULE",
                                      "CONSTRAINT UNIQUE", "CONSTRAINT FOREIGN KEY", "INDEX", "TRIGGER"}));
  EXPECT_EQ(TypeList(options),
            "'default', 'rule', 'domain', 'table', 'constraint primary key', 'constraint default', "
            "'constraint rule', 'constraint unique', 'constraint foreign key', 'index', 'trigger', 'view', "
            "'procedure', 'function'");
}

TEST(OptAddScript, NoTypeSelectsNothing) {
  TOptAddScript options;
  EXPECT_FALSE(options.AnyType());
  EXPECT_TRUE(SelectedTypeNames(options).empty());
  EXPECT_EQ(TypeList(options), "");
  options.WithCheck = true;
  EXPECT_TRUE(options.AnyType());
  EXPECT_EQ(TypeList(options), "'constraint rule'");
}

}  // namespace
}  // namespace ambrix
