#include "driver/dialect_seed.h"

#include "embedded_file.h"
#include "text/error.h"
#include "text/tsv_table.h"

namespace ambrix {

std::vector<DialectTable> DialectTables() {
  static const std::pair<const char*, const char*> files[] = {
      {"Dialect", "dialect.tsv"},
      {"TypeObject", "type_object.tsv"},
      {"TypeObjectDialect", "type_object_dialect.tsv"},
      {"Alarm", "alarm.tsv"},
      {"ReservedWord", "reserved_word.tsv"},
  };
  std::vector<DialectTable> tables;
  for (const auto& [table, file] : files) {
    const std::string_view text = data::EmbeddedFile(file);
    if (text.empty()) throw Error(std::string("The dialect file ") + file + " is missing from the program");
    const TTsvTable tsv = TTsvTable::Parse(text, file);
    DialectTable rows{table, tsv.Columns(), {}};
    rows.rows.reserve(tsv.RowCount());
    for (int row = 0; row < tsv.RowCount(); ++row) {
      std::vector<std::optional<std::string>> fields;
      fields.reserve(tsv.Columns().size());
      for (const std::string& column : tsv.Columns()) fields.push_back(tsv.Field(row, column));
      rows.rows.push_back(std::move(fields));
    }
    tables.push_back(std::move(rows));
  }
  return tables;
}

}  // namespace ambrix
