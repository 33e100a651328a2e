#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ambrix {

/// A table read from a tab-separated data file (the dialect rows of data/):
/// a header line of column names, then one row per line, fields separated by
/// one tab and taken literally (no quoting), `\N` for NULL. A UTF-8
/// byte-order mark and CR LF line ends are accepted; a final line end adds no
/// row. See data/README.md.
class TTsvTable {
 public:
  /// Reads `text`. `sourceName` names the file in error messages. Raises
  /// ambrix::Error naming the file and the 1-based line for an empty text, an
  /// empty or repeated column name, a blank line, or a row whose field count
  /// differs from the header's.
  static TTsvTable Parse(std::string_view text, std::string_view sourceName);

  const std::string& SourceName() const { return sourceName_; }
  const std::vector<std::string>& Columns() const { return columns_; }
  int RowCount() const { return static_cast<int>(rows_.size()); }

  /// Index of the column named exactly `name`; -1 if none.
  int ColumnIndex(std::string_view name) const;
  /// Index of the column named `name`; raises ambrix::Error when there is none.
  int RequireColumn(std::string_view name) const;

  /// The field of a row in a column (by name): null for `\N`. Raises for an
  /// unknown column or a row out of range.
  const std::optional<std::string>& Field(int row, std::string_view column) const;
  /// The field as text; NULL reads as the empty string.
  const std::string& Text(int row, std::string_view column) const;
  /// The field as a decimal integer; raises for NULL or anything else that is
  /// not one.
  int Int(int row, std::string_view column) const;
  /// The 1-based line of the file that holds a row (for messages).
  int LineOf(int row) const;

 private:
  std::string sourceName_;
  std::vector<std::string> columns_;
  std::vector<std::vector<std::optional<std::string>>> rows_;
  std::vector<int> lines_;
};

}  // namespace ambrix
