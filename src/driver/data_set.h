#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <QString>
#include <QVariant>

#include "driver/repository.h"

namespace ambrix {

/// How a column is typed and shown.
enum class FieldType { Integer, String, Text };

/// One result column of a data set. Columns are found by name ignoring case
/// (PostgreSQL returns unquoted names in lower case); `name` is the name the
/// code and the views use.
struct FieldDef {
  FieldDef(std::string name, FieldType type = FieldType::Integer, int width = 0, std::string label = {},
           bool readOnly = false, bool required = false)
      : name(std::move(name)), type(type), width(width), label(std::move(label)), readOnly(readOnly), required(required) {}

  std::string name;
  FieldType type = FieldType::Integer;
  int width = 0;        ///< characters, for strings
  std::string label;    ///< display label (UTF-8); empty: the name
  bool readOnly = false;
  bool required = false;
  /// Not read from the statement: filled by the data set (a lookup field).
  bool calculated = false;

  const std::string& DisplayLabel() const { return label.empty() ? name : label; }
  FieldDef Calculated() const {
    FieldDef field = *this;
    field.calculated = true;
    return field;
  }
};

/// A statement of the repository by its fixed name, with named parameters.
/// A parameter keeps the value it was last given until it is set again.
class RepositoryStatement {
 public:
  /// `name` is the statement's name; its text comes from the backend's set
  /// unless the set has none (`dsObjects`, `cmdSQL`: see SetStatement).
  RepositoryStatement(Repository& repository, std::string name);
  virtual ~RepositoryStatement() = default;

  const std::string& Name() const { return name_; }
  const QString& Statement() const { return text_; }
  /// Replaces the whole statement text (statements built at run time).
  void SetStatement(const QString& text);

  /// Throws ambrix::Error when the statement has no such placeholder.
  void SetParam(const std::string& name, const QVariant& value);
  QVariant Param(const std::string& name) const;
  bool HasParam(const std::string& name) const;
  const std::vector<std::string>& ParamNames() const { return placeholders_; }

  Repository& repository() const { return repository_; }

  /// Runs the statement with its current parameters and hands each row to
  /// `row` as it is read, holding none: for reading large texts once.
  void ForEachRow(const std::function<void(const QueryRow&)>& row);

 protected:
  QueryResult Run();

 private:
  Repository& repository_;
  std::string name_;
  QString text_;
  std::vector<std::string> placeholders_;
  ParamValues params_;
};

/// A repository command: runs and returns no rows.
class Command : public RepositoryStatement {
 public:
  using RepositoryStatement::RepositoryStatement;
  void Execute();
  /// After an insert: the key of the row it added, or null when the backend
  /// does not tell it. After any other statement it means nothing.
  const QVariant& InsertedId() const { return inserted_id_; }

 private:
  QVariant inserted_id_;
};

/// What a data set tells its listeners (views). "AboutTo" events come before
/// the change, the others after it; `row` is -1 where no row is concerned.
enum class DataSetEvent {
  AboutToReset,      ///< open, close, re-open
  Reset,
  RowChanged,        ///< a value of `row` changed
  AboutToInsertRow,  ///< `row` is the index the new row will have
  RowInserted,
  AboutToRemoveRow,
  RowRemoved,
  CurrentChanged,    ///< the cursor moved to `row`
  StateChanged,      ///< browse, edit or insert
};

enum class DataSetState { Inactive, Browse, Edit, Insert };

/// A result set held in memory: the rows of one run of its statement, a
/// current-row cursor, and look-up by value. Opening always re-runs the
/// statement. Rows are read in any order by index (for views) or through
/// the cursor (First/Next/Eof, for the converter's loops).
class DataSet : public RepositoryStatement {
 public:
  /// `fields` declares the columns the code reads; each must come back from
  /// the statement. With none declared, the columns are those returned.
  /// In batch mode the rows can be edited and deleted in memory only: such
  /// changes are never written to the repository.
  DataSet(Repository& repository, std::string name, std::vector<FieldDef> fields = {}, bool batchMode = false);

  bool IsOpen() const { return state_ != DataSetState::Inactive; }
  DataSetState State() const { return state_; }
  bool BatchMode() const { return batch_mode_; }

  /// Closes when open, then runs the statement with its current parameters.
  void Open();
  void Close();

  int FieldCount() const { return static_cast<int>(fields_.size()); }
  const FieldDef& Field(int column) const { return fields_.at(column); }
  /// Column index of a field by name ignoring case; -1 when there is none.
  int FieldIndex(std::string_view name) const;

  int RowCount() const { return static_cast<int>(rows_.size()); }
  bool IsEmpty() const { return rows_.empty(); }
  /// The current row; -1 when the set is closed or empty.
  int CurrentRow() const { return current_; }
  /// True when the set has no rows, or Next was called on the last row.
  bool Eof() const { return eof_; }
  void First();
  void Next();
  void Prior();
  void Last();
  /// Makes `row` current; false (and no move) when out of range.
  virtual bool MoveTo(int row);

  /// A value of the current row; throws ambrix::Error when the set is closed,
  /// has no current row or no such field.
  QVariant Value(std::string_view field) const;
  QVariant Value(int row, std::string_view field) const;
  QVariant Value(int row, int column) const;
  /// The value as UTF-8 text; empty for null.
  std::string Text(std::string_view field) const;
  /// The value as a number; 0 for null.
  long long Int(std::string_view field) const;
  bool IsNull(std::string_view field) const;

  /// Moves to the first row whose `field` satisfies `match`; when none does
  /// the cursor stays and the result is false.
  bool Locate(std::string_view field, const std::function<bool(const QVariant&)>& match);
  /// Moves to the first row whose `field` equals `value` (numbers compare as
  /// numbers, anything else as text, exactly).
  bool Locate(std::string_view field, const QVariant& value);

  /// Changes a value of the current row. In batch mode the change stays in
  /// memory; an updatable set starts editing the row.
  virtual void SetValue(std::string_view field, const QVariant& value);
  /// Removes a row in memory (batch mode only).
  void RemoveRow(int row);

  using Listener = std::function<void(DataSetEvent event, int row)>;
  int AddListener(Listener listener);
  void RemoveListener(int id);

 protected:
  int RequireColumn(std::string_view field) const;
  int RequireCurrent() const;
  void Notify(DataSetEvent event, int row = -1);
  void SetState(DataSetState state);
  void SetCurrent(int row);
  std::vector<std::vector<QVariant>>& rows() { return rows_; }
  void InsertRowAt(int row, std::vector<QVariant> values);
  void EraseRow(int row);
  virtual void AfterLoad() {}

 private:
  std::vector<FieldDef> declared_;
  std::vector<FieldDef> fields_;
  std::vector<std::vector<QVariant>> rows_;
  DataSetState state_ = DataSetState::Inactive;
  int current_ = -1;
  bool eof_ = true;
  bool batch_mode_ = false;
  std::vector<std::pair<int, Listener>> listeners_;
  int next_listener_ = 1;
};

/// A data set whose rows are written back to one table: rows are inserted,
/// edited and deleted in memory and written by Post and Delete, through the
/// statements "<name>.Insert" (returning the generated key), "<name>.Update"
/// and "<name>.Delete" of the backend's set. A lookup field shows the value
/// of another data set's row found by a key (the dialect name of a project).
class UpdatableDataSet : public DataSet {
 public:
  struct Lookup {
    std::string field;        ///< the shown field, e.g. DialectName
    std::string keyField;     ///< this set's key field, e.g. Dialect_id
    const DataSet* source;    ///< e.g. dsDialect
    std::string sourceKey;    ///< e.g. Dialect_id
    std::string sourceValue;  ///< e.g. Name
  };

  UpdatableDataSet(Repository& repository, std::string name, std::vector<FieldDef> fields, std::string keyField,
                   std::vector<Lookup> lookups = {});

  /// Appends an empty row and makes it current, in the insert state. A row
  /// being edited is posted first.
  void Insert();
  /// Starts editing the current row.
  void Edit();
  /// Sets a value, starting to edit when browsing. Setting a lookup field
  /// sets the key field to the key of the source row with that value.
  void SetValue(std::string_view field, const QVariant& value) override;
  /// Writes the row being inserted or edited. A required field that is null
  /// or empty fails with "Поле '<label>' должно иметь значение"; a database
  /// failure leaves the row in its edit state.
  void Post();
  /// Drops the changes of the row being edited, or the row being inserted.
  void Cancel();
  /// Deletes the current row from the repository (cancels an insert).
  void Delete();
  /// Moving to another row posts the row being edited first.
  bool MoveTo(int row) override;

 protected:
  void AfterLoad() override;

 private:
  void ResolveLookups(int row);
  ParamValues RowParams(int row) const;

  std::string key_field_;
  std::vector<Lookup> lookups_;
  std::vector<QVariant> saved_row_;
};

}  // namespace ambrix
