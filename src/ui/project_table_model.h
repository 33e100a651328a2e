#pragma once

#include <vector>

#include <QAbstractTableModel>

#include "ui/converter_port.h"

namespace ambrix::ui {

/// The project list as an editable table: one row per project in
/// alphabetical order of name, and at most one row being edited or inserted
/// at a time, held in a buffer until it is posted to the store or cancelled.
class TProjectTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum class State { Browse, Edit, Insert };
  enum Column { NameColumn = 0, DialectColumn = 1, DnsColumn = 2, ColumnCount = 3 };

  explicit TProjectTableModel(IProjectStore& store, QObject* parent = nullptr);

  /// Re-reads projects and dialects; any pending edit is dropped.
  void Reload();

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  State GetState() const { return State_; }
  bool Editing() const { return State_ != State::Browse; }
  /// The row being edited or inserted; -1 while browsing.
  int EditRow() const { return EditRow_; }
  int RowOfProject(int projectId) const;
  /// The key of the project shown in `row` (0 for a row not yet posted).
  int ProjectIdAt(int row) const;
  const std::vector<DialectRow>& Dialects() const { return Dialects_; }
  QString DialectName(int dialectId) const;

  /// Starts a new row at `row` (clamped to the list); returns its index.
  int Insert(int row);
  /// Writes the pending row to the store; returns its row index afterwards.
  /// Throws when a required field is empty or the store fails; the row then
  /// stays pending.
  int Post();
  /// Drops the pending row or edit.
  void Cancel();
  /// Deletes the project shown in `row` from the store.
  void Delete(int row);

 signals:
  void StateChanged();

 private:
  const ProjectRow& RowAt(int row) const;
  void SetState(State state, int row);

  IProjectStore& Store_;
  std::vector<ProjectRow> Rows_;
  std::vector<DialectRow> Dialects_;
  State State_ = State::Browse;
  int EditRow_ = -1;
  ProjectRow Buffer_;
};

}  // namespace ambrix::ui
