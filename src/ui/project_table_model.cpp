#include "ui/project_table_model.h"

#include <algorithm>

#include "text/error.h"

namespace ambrix::ui {

namespace {

constexpr int kNameWidth = 50;

bool NameLess(const ProjectRow& a, const ProjectRow& b) {
  const int byName = QString::compare(a.Name, b.Name, Qt::CaseInsensitive);
  if (byName != 0) return byName < 0;
  return a.Project_id < b.Project_id;
}

}  // namespace

TProjectTableModel::TProjectTableModel(IProjectStore& store, QObject* parent)
    : QAbstractTableModel(parent), Store_(store) {
  Reload();
}

void TProjectTableModel::Reload() {
  beginResetModel();
  Rows_ = Store_.Projects();
  std::stable_sort(Rows_.begin(), Rows_.end(), NameLess);
  Dialects_ = Store_.Dialects();
  State_ = State::Browse;
  EditRow_ = -1;
  endResetModel();
  emit StateChanged();
}

int TProjectTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(Rows_.size());
}

int TProjectTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

const ProjectRow& TProjectTableModel::RowAt(int row) const {
  return row == EditRow_ ? Buffer_ : Rows_[size_t(row)];
}

QString TProjectTableModel::DialectName(int dialectId) const {
  for (const DialectRow& d : Dialects_)
    if (d.Dialect_id == dialectId) return d.Name;
  return {};
}

QVariant TProjectTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const ProjectRow& row = RowAt(index.row());
  if (role == Qt::DisplayRole || role == Qt::EditRole) {
    switch (index.column()) {
      case NameColumn: return row.Name;
      case DialectColumn:
        return role == Qt::EditRole ? QVariant(row.Dialect_id) : QVariant(DialectName(row.Dialect_id));
      case DnsColumn: return row.DNS;
    }
  }
  return {};
}

bool TProjectTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !index.isValid() || index.row() >= rowCount()) return false;
  if (!(flags(index) & Qt::ItemIsEditable)) return false;
  if (State_ == State::Browse) {
    Buffer_ = Rows_[size_t(index.row())];
    SetState(State::Edit, index.row());
  } else if (index.row() != EditRow_) {
    return false;  // another row is pending: it is posted or cancelled first
  }
  switch (index.column()) {
    case NameColumn: Buffer_.Name = value.toString().left(kNameWidth); break;
    case DialectColumn: Buffer_.Dialect_id = value.toInt(); break;
    case DnsColumn: Buffer_.DNS = value.toString().left(kNameWidth); break;
  }
  emit dataChanged(index, index);
  return true;
}

Qt::ItemFlags TProjectTableModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
  // The dialect of a project is chosen when the project is created.
  const bool editable = index.column() != DialectColumn ||
                        (State_ == State::Insert && index.row() == EditRow_);
  if (editable) f |= Qt::ItemIsEditable;
  return f;
}

QVariant TProjectTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case NameColumn: return QStringLiteral("Проект");
    case DialectColumn: return QStringLiteral("Диалект");
    case DnsColumn: return QStringLiteral("Алиас ODBC");
  }
  return {};
}

int TProjectTableModel::RowOfProject(int projectId) const {
  for (size_t i = 0; i < Rows_.size(); ++i)
    if (Rows_[i].Project_id == projectId && int(i) != EditRow_) return int(i);
  return -1;
}

int TProjectTableModel::ProjectIdAt(int row) const {
  if (row < 0 || row >= rowCount()) return 0;
  return RowAt(row).Project_id;
}

void TProjectTableModel::SetState(State state, int row) {
  State_ = state;
  EditRow_ = row;
  emit StateChanged();
}

int TProjectTableModel::Insert(int row) {
  if (Editing()) Post();
  row = std::clamp(row, 0, rowCount());
  beginInsertRows({}, row, row);
  Rows_.insert(Rows_.begin() + row, ProjectRow{});
  Buffer_ = ProjectRow{};
  if (Dialects_.size() == 1) Buffer_.Dialect_id = Dialects_.front().Dialect_id;
  endInsertRows();
  SetState(State::Insert, row);
  return row;
}

int TProjectTableModel::Post() {
  if (!Editing()) return -1;
  ProjectRow row = Buffer_;
  row.Name = row.Name.trimmed();
  row.DNS = row.DNS.trimmed();
  if (row.Name.isEmpty()) throw Error("Поле 'Проект' должно иметь значение");
  if (row.Dialect_id == 0 || DialectName(row.Dialect_id).isEmpty())
    throw Error("Поле 'Диалект' должно иметь значение");
  if (State_ == State::Insert)
    row.Project_id = Store_.InsertProject(row);
  else
    Store_.UpdateProject(row);
  beginResetModel();
  Rows_[size_t(EditRow_)] = row;
  std::stable_sort(Rows_.begin(), Rows_.end(), NameLess);
  State_ = State::Browse;
  EditRow_ = -1;
  endResetModel();
  emit StateChanged();
  return RowOfProject(row.Project_id);
}

void TProjectTableModel::Cancel() {
  if (State_ == State::Insert) {
    const int row = EditRow_;
    beginRemoveRows({}, row, row);
    Rows_.erase(Rows_.begin() + row);
    State_ = State::Browse;
    EditRow_ = -1;
    endRemoveRows();
    emit StateChanged();
  } else if (State_ == State::Edit) {
    const int row = EditRow_;
    SetState(State::Browse, -1);
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
  }
}

void TProjectTableModel::Delete(int row) {
  if (row < 0 || row >= rowCount()) return;
  if (Editing() && row == EditRow_ && State_ == State::Insert) {
    Cancel();
    return;
  }
  if (Editing()) Cancel();
  Store_.DeleteProject(Rows_[size_t(row)].Project_id);
  beginRemoveRows({}, row, row);
  Rows_.erase(Rows_.begin() + row);
  endRemoveRows();
}

}  // namespace ambrix::ui
