#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "conversion/convert_core.h"
#include "embedded_file.h"
#include "parser/parser_text_word_list.h"
#include "text/tsv_table.h"

namespace ambrix {

/// The converter core with the dialect of data/ loaded and the commands
/// registered, as a project of that dialect opens.
inline void LoadDialect(TConvertCore& core) {
  std::string_view text = data::EmbeddedFile("reserved_word.tsv");
  if (text.empty()) throw std::runtime_error("reserved_word.tsv is not embedded");
  core.LoadTerms(ReservedWordRows(TTsvTable::Parse(text, "reserved_word.tsv"), 1));
  core.RegisterCommands();
}

}  // namespace ambrix
