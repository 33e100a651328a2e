#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ambrix {

/// The rows of one reference table of the source dialect, as the program
/// carries them: the column names and the fields of each row (nullopt: null).
struct DialectTable {
  std::string table;
  std::vector<std::string> columns;
  std::vector<std::vector<std::optional<std::string>>> rows;
};

/// The dialect rows a new repository is loaded with (the TSV files of data/
/// compiled into the program), table by table in an order that satisfies the
/// foreign keys. Throws ambrix::Error when a file is missing or malformed.
std::vector<DialectTable> DialectTables();

}  // namespace ambrix
