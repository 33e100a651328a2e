#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "driver/opt_add_script.h"

namespace ambrix::cli {

/// The type object name (lower case, as the repository stores it) of a type
/// the user names: the command line's own name ("primary-key", "check"), or
/// the repository's, with blanks or hyphens ("constraint primary key",
/// "constraint-primary-key"); letter case is ignored. Nullopt when unknown.
std::optional<std::string> RepositoryTypeName(std::string_view userName);

/// The command line's name of a type object ("constraint primary key" gives
/// "primary-key"); an unknown name comes back lower-cased with hyphens.
std::string CliTypeName(std::string_view repositoryName);

/// The place of a type object (repository name) in the list of types above:
/// the order reports list them in; an unknown type comes last.
int TypeOrder(std::string_view repositoryName);

/// Sets the type flags of `options` from `--types` values (each a list
/// separated by commas); with no value every type is chosen. Returns the
/// message of a usage error, or an empty string.
std::string ChooseTypes(const std::vector<std::string>& values, TOptAddScript& options);

}  // namespace ambrix::cli
