#pragma once

#include <string>
#include <vector>

namespace ambrix {

/// The rows of one reference table of the source dialect, as the program
/// carries them: the column names and the fields of each row (empty: null).
struct DialectTable {
  std::string table;
  std::vector<std::string> columns;
  std::vector<std::vector<std::string>> rows;
};

/// The dialect rows a new repository is loaded with, table by table in an
/// order that satisfies the foreign keys.
std::vector<DialectTable> DialectTables();

}  // namespace ambrix
