#include "cli/object_types.h"

#include "text/string_helpers.h"
#include "text/utf8.h"

namespace ambrix::cli {

namespace {

struct TypeNames {
  const char* cli;
  const char* repository;
};

constexpr TypeNames kTypeNames[] = {
    {"table", "table"},
    {"view", "view"},
    {"procedure", "procedure"},
    {"function", "function"},
    {"trigger", "trigger"},
    {"index", "index"},
    {"default", "default"},
    {"rule", "rule"},
    {"domain", "domain"},
    {"primary-key", "constraint primary key"},
    {"unique", "constraint unique"},
    {"foreign-key", "constraint foreign key"},
    {"check", "constraint rule"},
    {"default-constraint", "constraint default"},
};

std::string Hyphenated(std::string_view name) {
  std::string text = LowerCase(Trim(name));
  for (char& c : text)
    if (c == ' ') c = '-';
  return text;
}

}  // namespace

std::optional<std::string> RepositoryTypeName(std::string_view userName) {
  const std::string name = Hyphenated(userName);
  for (const TypeNames& type : kTypeNames)
    if (name == type.cli || name == Hyphenated(type.repository)) return std::string(type.repository);
  return std::nullopt;
}

std::string CliTypeName(std::string_view repositoryName) {
  const std::string name = Hyphenated(repositoryName);
  for (const TypeNames& type : kTypeNames)
    if (name == Hyphenated(type.repository)) return type.cli;
  return name;
}

int TypeOrder(std::string_view repositoryName) {
  const std::string name = Hyphenated(repositoryName);
  int order = 0;
  for (const TypeNames& type : kTypeNames) {
    if (name == Hyphenated(type.repository)) return order;
    ++order;
  }
  return order;
}

std::string ChooseTypes(const std::vector<std::string>& values, TOptAddScript& options) {
  if (values.empty()) {
    options.SelectAllTypes();
    return {};
  }
  for (const std::string& value : values) {
    std::size_t start = 0;
    while (start <= value.size()) {
      std::size_t end = value.find(',', start);
      if (end == std::string::npos) end = value.size();
      const std::string_view item = Trim(std::string_view(value).substr(start, end - start));
      start = end + 1;
      if (item.empty()) continue;
      const std::optional<std::string> type = RepositoryTypeName(item);
      bool* flag = type ? FlagOfType(options, *type) : nullptr;
      if (!flag) return "unknown object type '" + std::string(item) + "'";
      *flag = true;
    }
  }
  if (!options.AnyType()) return "--types names no object type";
  return {};
}

}  // namespace ambrix::cli
