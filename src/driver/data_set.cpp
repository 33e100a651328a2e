#include "driver/data_set.h"

#include <algorithm>

#include "text/error.h"

namespace ambrix {

namespace {

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
           return lower(x) == lower(y);
         });
}

bool IsNumeric(const QVariant& value) {
  switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
      return true;
    default:
      return false;
  }
}

FieldDef GuessField(const QString& name, const std::vector<std::vector<QVariant>>& rows, int column) {
  FieldDef field(name.toStdString());
  for (const auto& row : rows) {
    if (row[column].isNull()) continue;
    if (!IsNumeric(row[column])) field.type = FieldType::Text;
    break;
  }
  return field;
}

}  // namespace

// ---------------------------------------------------------------------------

RepositoryStatement::RepositoryStatement(Repository& repository, std::string name)
    : repository_(repository), name_(std::move(name)) {
  if (repository_.statements().Has(name_)) SetStatement(repository_.statements().Text(name_));
}

void RepositoryStatement::SetStatement(const QString& text) {
  text_ = text;
  placeholders_ = PlaceholderNames(text);
  // The values kept are those of the statement's own parameters only.
  std::erase_if(params_, [&](const auto& param) { return !HasParam(param.first); });
}

void RepositoryStatement::SetParam(const std::string& name, const QVariant& value) {
  // A parameter set before is checked already: it is found, not looked for
  // among the placeholders again (a statement run per object sets several).
  if (const auto it = params_.find(name); it != params_.end()) {
    it->second = value;
    return;
  }
  if (!HasParam(name)) throw Error(name_ + " has no parameter " + name);
  params_.emplace(name, value);
}

QVariant RepositoryStatement::Param(const std::string& name) const {
  auto it = params_.find(name);
  return it == params_.end() ? QVariant() : it->second;
}

bool RepositoryStatement::HasParam(const std::string& name) const {
  return std::find(placeholders_.begin(), placeholders_.end(), name) != placeholders_.end();
}

QueryResult RepositoryStatement::Run() {
  if (text_.isEmpty()) throw Error(name_ + " has no statement text");
  return repository_.Run(text_, params_);
}

void RepositoryStatement::ForEachRow(const std::function<void(const QueryRow&)>& row) {
  if (text_.isEmpty()) throw Error(name_ + " has no statement text");
  repository_.ForEachRow(text_, params_, row);
}

void Command::Execute() { inserted_id_ = Run().insertedId; }

// ---------------------------------------------------------------------------

DataSet::DataSet(Repository& repository, std::string name, std::vector<FieldDef> fields, bool batchMode)
    : RepositoryStatement(repository, std::move(name)),
      declared_(std::move(fields)),
      fields_(declared_),
      batch_mode_(batchMode) {}

void DataSet::Open() {
  if (IsOpen()) Close();
  QueryResult result = Run();
  // Map the returned columns onto the declared fields; columns the code did
  // not declare follow them under the names the server gave.
  std::vector<int> source;  // result column of each field
  std::vector<FieldDef> fields = declared_;
  std::vector<bool> used(result.columns.size(), false);
  for (const FieldDef& field : declared_) {
    if (field.calculated) {
      source.push_back(-1);
      continue;
    }
    int found = -1;
    for (std::size_t c = 0; c < result.columns.size() && found < 0; ++c)
      if (!used[c] && SameName(result.columns[c].toStdString(), field.name)) found = static_cast<int>(c);
    if (found < 0) throw Error(Name() + ": the statement returns no column " + field.name);
    used[found] = true;
    source.push_back(found);
  }
  for (std::size_t c = 0; c < result.columns.size(); ++c) {
    if (used[c]) continue;
    fields.push_back(GuessField(result.columns[c], result.rows, static_cast<int>(c)));
    source.push_back(static_cast<int>(c));
  }
  std::vector<std::vector<QVariant>> rows;
  rows.reserve(result.rows.size());
  for (auto& resultRow : result.rows) {
    std::vector<QVariant> row;
    row.reserve(source.size());
    for (int c : source) row.push_back(c < 0 ? QVariant() : std::move(resultRow[c]));
    rows.push_back(std::move(row));
  }
  Notify(DataSetEvent::AboutToReset);
  fields_ = std::move(fields);
  rows_ = std::move(rows);
  state_ = DataSetState::Browse;
  current_ = rows_.empty() ? -1 : 0;
  eof_ = rows_.empty();
  AfterLoad();
  Notify(DataSetEvent::Reset);
  Notify(DataSetEvent::StateChanged);
  Notify(DataSetEvent::CurrentChanged, current_);
}

void DataSet::Close() {
  if (!IsOpen()) return;
  Notify(DataSetEvent::AboutToReset);
  rows_.clear();
  fields_ = declared_;
  state_ = DataSetState::Inactive;
  current_ = -1;
  eof_ = true;
  Notify(DataSetEvent::Reset);
  Notify(DataSetEvent::StateChanged);
  Notify(DataSetEvent::CurrentChanged, -1);
}

int DataSet::FieldIndex(std::string_view name) const {
  for (std::size_t i = 0; i < fields_.size(); ++i)
    if (SameName(fields_[i].name, name)) return static_cast<int>(i);
  return -1;
}

int DataSet::RequireColumn(std::string_view field) const {
  const int column = FieldIndex(field);
  if (column < 0) throw Error(Name() + " has no field " + std::string(field));
  return column;
}

int DataSet::RequireCurrent() const {
  if (!IsOpen()) throw Error(Name() + " is not open");
  if (current_ < 0) throw Error(Name() + " has no current row");
  return current_;
}

void DataSet::SetCurrent(int row) {
  if (row == current_) return;
  current_ = row;
  Notify(DataSetEvent::CurrentChanged, row);
}

void DataSet::First() {
  eof_ = rows_.empty();
  MoveTo(0);
}

void DataSet::Next() {
  if (current_ + 1 < RowCount()) {
    if (!MoveTo(current_ + 1)) eof_ = true;
  } else {
    eof_ = true;
  }
}

void DataSet::Prior() {
  if (current_ > 0) MoveTo(current_ - 1);
  eof_ = rows_.empty();
}

void DataSet::Last() {
  eof_ = rows_.empty();
  MoveTo(RowCount() - 1);
}

bool DataSet::MoveTo(int row) {
  if (row < 0 || row >= RowCount()) return false;
  SetCurrent(row);
  eof_ = false;
  return true;
}

QVariant DataSet::Value(std::string_view field) const {
  const int column = RequireColumn(field);
  return rows_[RequireCurrent()][column];
}

QVariant DataSet::Value(int row, std::string_view field) const { return Value(row, RequireColumn(field)); }

QVariant DataSet::Value(int row, int column) const {
  if (row < 0 || row >= RowCount() || column < 0 || column >= FieldCount())
    throw Error(Name() + ": no value at row " + std::to_string(row) + ", column " + std::to_string(column));
  return rows_[row][column];
}

std::string DataSet::Text(std::string_view field) const {
  const QVariant value = Value(field);
  return value.isNull() ? std::string() : value.toString().toStdString();
}

long long DataSet::Int(std::string_view field) const {
  const QVariant value = Value(field);
  return value.isNull() ? 0 : value.toLongLong();
}

bool DataSet::IsNull(std::string_view field) const { return Value(field).isNull(); }

bool DataSet::Locate(std::string_view field, const std::function<bool(const QVariant&)>& match) {
  const int column = RequireColumn(field);
  for (int row = 0; row < RowCount(); ++row) {
    if (match(rows_[row][column])) return MoveTo(row);
  }
  return false;
}

bool DataSet::Locate(std::string_view field, const QVariant& value) {
  if (IsNumeric(value)) {
    const long long wanted = value.toLongLong();
    return Locate(field, [&](const QVariant& v) { return !v.isNull() && v.toLongLong() == wanted; });
  }
  const QString wanted = value.toString();
  return Locate(field, [&](const QVariant& v) { return !v.isNull() && v.toString() == wanted; });
}

void DataSet::SetValue(std::string_view field, const QVariant& value) {
  if (!batch_mode_) throw Error(Name() + " is read-only");
  const int column = RequireColumn(field);
  const int row = RequireCurrent();
  rows_[row][column] = value;
  Notify(DataSetEvent::RowChanged, row);
}

void DataSet::RemoveRow(int row) {
  if (!batch_mode_) throw Error(Name() + " is read-only");
  if (row < 0 || row >= RowCount()) throw Error(Name() + ": no row " + std::to_string(row));
  EraseRow(row);
}

void DataSet::InsertRowAt(int row, std::vector<QVariant> values) {
  Notify(DataSetEvent::AboutToInsertRow, row);
  rows_.insert(rows_.begin() + row, std::move(values));
  if (current_ >= row) ++current_;
  Notify(DataSetEvent::RowInserted, row);
  eof_ = false;
  SetCurrent(row);
}

void DataSet::EraseRow(int row) {
  Notify(DataSetEvent::AboutToRemoveRow, row);
  rows_.erase(rows_.begin() + row);
  Notify(DataSetEvent::RowRemoved, row);
  // The cursor stays on the row that took the removed one's place.
  int current = current_ > row ? current_ - 1 : current_;
  if (current >= RowCount()) current = RowCount() - 1;
  current_ = current;
  Notify(DataSetEvent::CurrentChanged, current);
  eof_ = rows_.empty();
}

void DataSet::SetState(DataSetState state) {
  if (state_ == state) return;
  state_ = state;
  Notify(DataSetEvent::StateChanged);
}

int DataSet::AddListener(Listener listener) {
  listeners_.emplace_back(next_listener_, std::move(listener));
  return next_listener_++;
}

void DataSet::RemoveListener(int id) {
  listeners_.erase(std::remove_if(listeners_.begin(), listeners_.end(), [id](const auto& l) { return l.first == id; }),
                   listeners_.end());
}

void DataSet::Notify(DataSetEvent event, int row) {
  const auto listeners = listeners_;  // a listener may add or remove listeners
  for (const auto& listener : listeners) listener.second(event, row);
}

// ---------------------------------------------------------------------------

UpdatableDataSet::UpdatableDataSet(Repository& repository, std::string name, std::vector<FieldDef> fields,
                                   std::string keyField, std::vector<Lookup> lookups)
    : DataSet(repository, std::move(name), std::move(fields)),
      key_field_(std::move(keyField)),
      lookups_(std::move(lookups)) {}

void UpdatableDataSet::AfterLoad() {
  for (int row = 0; row < RowCount(); ++row) ResolveLookups(row);
}

void UpdatableDataSet::ResolveLookups(int row) {
  for (const Lookup& lookup : lookups_) {
    const int column = FieldIndex(lookup.field);
    if (column < 0) continue;
    QVariant shown;
    const QVariant key = Value(row, lookup.keyField);
    if (!key.isNull() && lookup.source && lookup.source->IsOpen()) {
      for (int r = 0; r < lookup.source->RowCount(); ++r) {
        const QVariant sourceKey = lookup.source->Value(r, lookup.sourceKey);
        if (!sourceKey.isNull() && sourceKey.toLongLong() == key.toLongLong()) {
          shown = lookup.source->Value(r, lookup.sourceValue);
          break;
        }
      }
    }
    this->rows()[row][column] = shown;
  }
}

void UpdatableDataSet::Insert() {
  if (!IsOpen()) throw Error(Name() + " is not open");
  if (State() != DataSetState::Browse) Post();
  InsertRowAt(RowCount(), std::vector<QVariant>(FieldCount()));
  SetState(DataSetState::Insert);
}

void UpdatableDataSet::Edit() {
  const int row = RequireCurrent();
  if (State() != DataSetState::Browse) return;
  saved_row_ = this->rows()[row];
  SetState(DataSetState::Edit);
}

void UpdatableDataSet::SetValue(std::string_view field, const QVariant& value) {
  const int column = RequireColumn(field);
  const int row = RequireCurrent();
  for (const Lookup& lookup : lookups_) {
    if (!SameName(lookup.field, field)) continue;
    // Choosing the shown value picks the key of the matching source row.
    QVariant key;
    if (!value.isNull() && lookup.source && lookup.source->IsOpen()) {
      for (int r = 0; r < lookup.source->RowCount(); ++r)
        if (lookup.source->Value(r, lookup.sourceValue).toString() == value.toString()) {
          key = lookup.source->Value(r, lookup.sourceKey);
          break;
        }
    }
    if (!value.isNull() && key.isNull()) throw Error(Name() + ": no " + lookup.field + " " + value.toString().toStdString());
    SetValue(lookup.keyField, key);
    return;
  }
  if (Field(column).readOnly) throw Error(Name() + ": field " + Field(column).name + " is read-only");
  if (State() == DataSetState::Browse) Edit();
  this->rows()[row][column] = value;
  ResolveLookups(row);
  Notify(DataSetEvent::RowChanged, row);
}

ParamValues UpdatableDataSet::RowParams(int row) const {
  ParamValues params;
  for (int column = 0; column < FieldCount(); ++column) {
    QVariant value = Value(row, column);
    // An empty string is stored as null, as string fields of the project
    // list always have been.
    if (Field(column).type != FieldType::Integer && !value.isNull() && value.toString().isEmpty()) value = QVariant();
    params[Field(column).name] = value;
  }
  return params;
}

void UpdatableDataSet::Post() {
  if (State() == DataSetState::Browse || State() == DataSetState::Inactive) return;
  const int row = RequireCurrent();
  for (int column = 0; column < FieldCount(); ++column) {
    const QVariant value = Value(row, column);
    if (Field(column).required && (value.isNull() || value.toString().isEmpty()))
      throw Error("Поле '" + Field(column).DisplayLabel() + "' должно иметь значение");
  }
  const ParamValues params = RowParams(row);
  if (State() == DataSetState::Insert) {
    const QueryResult result = repository().Run(repository().statements().Text(Name() + ".Insert"), params);
    if (result.rows.empty() || result.rows[0].empty()) throw RepositoryError(Name() + ": no key came back from the insert");
    this->rows()[row][RequireColumn(key_field_)] = result.rows[0][0];
  } else {
    repository().Run(repository().statements().Text(Name() + ".Update"), params);
  }
  for (int column = 0; column < FieldCount(); ++column)
    if (Field(column).type != FieldType::Integer && params.at(Field(column).name).isNull())
      this->rows()[row][column] = QVariant();
  ResolveLookups(row);
  saved_row_.clear();
  Notify(DataSetEvent::RowChanged, row);
  SetState(DataSetState::Browse);
}

void UpdatableDataSet::Cancel() {
  if (State() == DataSetState::Insert) {
    const int row = CurrentRow();
    SetState(DataSetState::Browse);
    EraseRow(row);
  } else if (State() == DataSetState::Edit) {
    const int row = CurrentRow();
    this->rows()[row] = saved_row_;
    saved_row_.clear();
    SetState(DataSetState::Browse);
    Notify(DataSetEvent::RowChanged, row);
  }
}

void UpdatableDataSet::Delete() {
  if (State() == DataSetState::Insert) {
    Cancel();
    return;
  }
  if (State() == DataSetState::Edit) Cancel();
  const int row = RequireCurrent();
  repository().Run(repository().statements().Text(Name() + ".Delete"), RowParams(row));
  EraseRow(row);
}

bool UpdatableDataSet::MoveTo(int row) {
  if (row < 0 || row >= RowCount()) return false;
  if (row != CurrentRow() && (State() == DataSetState::Edit || State() == DataSetState::Insert)) Post();
  return DataSet::MoveTo(row);
}

}  // namespace ambrix
