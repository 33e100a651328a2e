#pragma once

#include <QDialog>

#include "ui/converter_port.h"
#include "ui/ui_hooks.h"

class QPushButton;
class QTableView;
class QToolButton;

namespace ambrix::ui {

class TProjectTableModel;
class TProjectDelegate;

/// The project list: add, edit and delete the repository's projects and pick
/// the one to open. Pending edits are posted whichever way the dialog closes.
class TProjectForm : public QDialog {
  Q_OBJECT
 public:
  TProjectForm(IProjectStore& store, TUiHooks hooks, QWidget* parent = nullptr);

  /// Shows the dialog with `projectId` as the current row; true and the
  /// chosen key in `projectId` when closed with "Загрузить".
  bool Execute(int& projectId);
  /// 0 when there is no row, else the key of the current row.
  int CurrentProjectId() const;
  /// Moves to the project with this key; to the first row when there is none.
  void LocateProject(int projectId);
  int CurrentRow() const;
  void SetCurrentRow(int row);

  /// The navigator's buttons.
  enum class NavButton { First, Prior, Next, Last, Insert, Delete, Post, Cancel };
  void NavClick(NavButton button);
  QToolButton* NavButtonWidget(NavButton button) const;

  void SelectButtonClick();
  void ExitButtonClick();
  void reject() override;

  TProjectTableModel* Model = nullptr;
  QTableView* Grid = nullptr;
  QPushButton* SelectButton = nullptr;
  QPushButton* ExitButton = nullptr;

 private:
  /// Commits an open cell editor and posts a pending row; false when the
  /// post failed (the error has been shown and the row stays pending).
  bool PostPending();
  void CurrentRowChanged(int row, int previous);
  void UpdateControls();

  TUiHooks Hooks_;
  TProjectDelegate* Delegate_ = nullptr;
  QToolButton* Nav_[8]{};
  bool Moving_ = false;
};

}  // namespace ambrix::ui
