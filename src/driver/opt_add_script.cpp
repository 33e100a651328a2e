#include "driver/opt_add_script.h"

#include "text/utf8.h"

namespace ambrix {

namespace {

struct TypeFlag {
  bool TOptAddScript::*flag;
  const char* name;  // lower case, as the repository stores type names
};

// Declaration order: the order of the selected type names.
constexpr TypeFlag kDeclarationOrder[] = {
    {&TOptAddScript::WithDefault, "default"},
    {&TOptAddScript::WithRule, "rule"},
    {&TOptAddScript::WithDomain, "domain"},
    {&TOptAddScript::WithTable, "table"},
    {&TOptAddScript::WithView, "view"},
    {&TOptAddScript::WithProcedure, "procedure"},
    {&TOptAddScript::WithFunction, "function"},
    {&TOptAddScript::WithPrimaryKey, "constraint primary key"},
    {&TOptAddScript::WithConstraintDefault, "constraint default"},
    {&TOptAddScript::WithCheck, "constraint rule"},
    {&TOptAddScript::WithUnique, "constraint unique"},
    {&TOptAddScript::WithForeignKey, "constraint foreign key"},
    {&TOptAddScript::WithIndex, "index"},
    {&TOptAddScript::WithTrigger, "trigger"},
};

// The order of the type list: views, procedures and functions come last.
constexpr TypeFlag kTypeListOrder[] = {
    {&TOptAddScript::WithDefault, "default"},
    {&TOptAddScript::WithRule, "rule"},
    {&TOptAddScript::WithDomain, "domain"},
    {&TOptAddScript::WithTable, "table"},
    {&TOptAddScript::WithPrimaryKey, "constraint primary key"},
    {&TOptAddScript::WithConstraintDefault, "constraint default"},
    {&TOptAddScript::WithCheck, "constraint rule"},
    {&TOptAddScript::WithUnique, "constraint unique"},
    {&TOptAddScript::WithForeignKey, "constraint foreign key"},
    {&TOptAddScript::WithIndex, "index"},
    {&TOptAddScript::WithTrigger, "trigger"},
    {&TOptAddScript::WithView, "view"},
    {&TOptAddScript::WithProcedure, "procedure"},
    {&TOptAddScript::WithFunction, "function"},
};

}  // namespace

void TOptAddScript::SelectAllTypes() {
  for (const TypeFlag& type : kDeclarationOrder) this->*type.flag = true;
}

bool TOptAddScript::AnyType() const {
  for (const TypeFlag& type : kDeclarationOrder)
    if (this->*type.flag) return true;
  return false;
}

std::vector<std::string> SelectedTypeNames(const TOptAddScript& options) {
  std::vector<std::string> names;
  for (const TypeFlag& type : kDeclarationOrder) {
    if (!(options.*type.flag)) continue;
    names.push_back(UpperCase(type.name));
  }
  return names;
}

std::string TypeList(const TOptAddScript& options) {
  std::string list;
  for (const TypeFlag& type : kTypeListOrder) {
    if (!(options.*type.flag)) continue;
    if (!list.empty()) list += ", ";
    list += '\'';
    list += type.name;
    list += '\'';
  }
  return list;
}

bool* FlagOfType(TOptAddScript& options, std::string_view typeName) {
  for (const TypeFlag& type : kDeclarationOrder)
    if (SameText(type.name, typeName)) return &(options.*type.flag);
  return nullptr;
}

}  // namespace ambrix
