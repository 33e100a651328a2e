#include "text/tsv_table.h"

#include <charconv>

#include "text/error.h"

namespace ambrix {

namespace {

constexpr std::string_view kNull = "\\N";
constexpr std::string_view kBom = "\xEF\xBB\xBF";

std::string Where(std::string_view source, int line) {
  return "Файл данных " + std::string(source) + ", строка " + std::to_string(line) + ": ";
}

std::vector<std::string_view> SplitTabs(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (;;) {
    std::size_t tab = line.find('\t', start);
    if (tab == std::string_view::npos) {
      fields.push_back(line.substr(start));
      return fields;
    }
    fields.push_back(line.substr(start, tab - start));
    start = tab + 1;
  }
}

}  // namespace

TTsvTable TTsvTable::Parse(std::string_view text, std::string_view sourceName) {
  TTsvTable table;
  table.sourceName_ = sourceName;
  if (text.substr(0, kBom.size()) == kBom) text.remove_prefix(kBom.size());
  if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  if (text.empty()) throw Error(Where(sourceName, 1) + "нет строки заголовка");

  int lineNo = 0;
  std::size_t pos = 0;
  while (pos <= text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos = end + 1;
    ++lineNo;
    if (line.find('\r') != std::string_view::npos)
      throw Error(Where(sourceName, lineNo) + "символ возврата каретки внутри строки");
    if (line.empty()) throw Error(Where(sourceName, lineNo) + "пустая строка");
    std::vector<std::string_view> fields = SplitTabs(line);
    if (lineNo == 1) {
      for (std::string_view name : fields) {
        if (name.empty()) throw Error(Where(sourceName, lineNo) + "пустое имя столбца");
        if (table.ColumnIndex(name) != -1)
          throw Error(Where(sourceName, lineNo) + "столбец " + std::string(name) + " повторяется");
        table.columns_.emplace_back(name);
      }
      continue;
    }
    if (fields.size() != table.columns_.size())
      throw Error(Where(sourceName, lineNo) + "полей " + std::to_string(fields.size()) + ", а в заголовке " +
                  std::to_string(table.columns_.size()));
    std::vector<std::optional<std::string>> row;
    row.reserve(fields.size());
    for (std::string_view field : fields) {
      if (field == kNull)
        row.emplace_back(std::nullopt);
      else
        row.emplace_back(std::string(field));
    }
    table.rows_.push_back(std::move(row));
    table.lines_.push_back(lineNo);
  }
  return table;
}

int TTsvTable::ColumnIndex(std::string_view name) const {
  for (std::size_t i = 0; i < columns_.size(); ++i)
    if (columns_[i] == name) return static_cast<int>(i);
  return -1;
}

int TTsvTable::RequireColumn(std::string_view name) const {
  int index = ColumnIndex(name);
  if (index == -1)
    throw Error("Файл данных " + sourceName_ + ": нет столбца " + std::string(name));
  return index;
}

const std::optional<std::string>& TTsvTable::Field(int row, std::string_view column) const {
  int index = RequireColumn(column);
  if (row < 0 || row >= RowCount())
    throw Error("Файл данных " + sourceName_ + ": нет строки данных " + std::to_string(row));
  return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(index)];
}

const std::string& TTsvTable::Text(int row, std::string_view column) const {
  static const std::string kEmpty;
  const std::optional<std::string>& field = Field(row, column);
  return field ? *field : kEmpty;
}

int TTsvTable::Int(int row, std::string_view column) const {
  const std::optional<std::string>& field = Field(row, column);
  int value = 0;
  if (field && !field->empty()) {
    const char* first = field->data();
    const char* last = first + field->size();
    auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec == std::errc() && ptr == last) return value;
  }
  throw Error(Where(sourceName_, LineOf(row)) + "в столбце " + std::string(column) + " ожидалось целое число");
}

int TTsvTable::LineOf(int row) const {
  if (row < 0 || row >= RowCount()) return 0;
  return lines_[static_cast<std::size_t>(row)];
}

}  // namespace ambrix
