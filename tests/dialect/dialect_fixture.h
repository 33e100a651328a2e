#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "conversion/convert_core.h"
#include "embedded_file.h"
#include "parser/parser_text_word_list.h"
#include "text/tsv_table.h"
#include "text/utf8.h"

namespace ambrix {

/// A data file of data/ compiled into the program.
inline TTsvTable DataTable(const char* name) {
  std::string_view text = data::EmbeddedFile(name);
  if (text.empty()) throw std::runtime_error(std::string(name) + " is not embedded");
  return TTsvTable::Parse(text, name);
}

/// The converter core with the dialect of data/ loaded and the commands and
/// analyzers registered, as a project of that dialect opens.
inline void LoadDialect(TConvertCore& core) {
  core.LoadTerms(ReservedWordRows(DataTable("reserved_word.tsv"), 1));
  core.RegisterCommands();
  core.RegisterAnalizers();
}

/// The type object names of data/, upper case (as the code compares them).
inline std::vector<std::string> TypeObjectNames() {
  const TTsvTable table = DataTable("type_object.tsv");
  std::vector<std::string> names;
  for (int i = 0; i < table.RowCount(); ++i) names.push_back(UpperCase(table.Text(i, "Name")));
  return names;
}

}  // namespace ambrix
