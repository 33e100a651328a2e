#include "ui/project_form.h"

#include <exception>

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/project_table_model.h"

namespace ambrix::ui {

/// Cell editors of the project grid: a lookup list for the dialect, a line
/// edit of the column's width for the texts. Remembers the open editor so
/// that a post can commit it first.
class TProjectDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override {
    QWidget* editor = nullptr;
    if (index.column() == TProjectTableModel::DialectColumn) {
      auto* combo = new QComboBox(parent);
      const auto* model = static_cast<const TProjectTableModel*>(index.model());
      for (const DialectRow& d : model->Dialects()) combo->addItem(d.Name, d.Dialect_id);
      editor = combo;
    } else {
      auto* edit = new QLineEdit(parent);
      edit->setMaxLength(50);
      editor = edit;
    }
    (void)option;
    Open_ = editor;
    return editor;
  }

  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
      combo->setCurrentIndex(combo->findData(index.data(Qt::EditRole)));
      return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
  }

  void setModelData(QWidget* editor, QAbstractItemModel* model,
                    const QModelIndex& index) const override {
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
      if (combo->currentIndex() >= 0) model->setData(index, combo->currentData(), Qt::EditRole);
      return;
    }
    QStyledItemDelegate::setModelData(editor, model, index);
  }

  /// Writes the open editor's value into the model and closes it.
  void CommitOpenEditor() {
    if (!Open_) return;
    QWidget* editor = Open_;
    Open_ = nullptr;
    emit commitData(editor);
    emit closeEditor(editor, QAbstractItemDelegate::NoHint);
  }

 private:
  mutable QPointer<QWidget> Open_;
};

namespace {

QPushButton* BoldButton(const QString& caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  QFont font = button->font();
  font.setBold(true);
  button->setFont(font);
  return button;
}

struct NavButtonLook {
  const char* Glyph;
  const char* Hint;
};
// The hints of the navigator, in the order of TProjectForm::NavButton.
constexpr NavButtonLook kNavButtons[8] = {
    {"|◀", "Первая"},   {"◀", "Предыдущая"}, {"▶", "Следующая"}, {"▶|", "Последняя"},
    {"+", "Добавить"}, {"−", "Удалить"},     {"✓", "Сохранить"}, {"✕", "Отменить"},
};

}  // namespace

TProjectForm::TProjectForm(IProjectStore& store, TUiHooks hooks, QWidget* parent)
    : QDialog(parent), Hooks_(std::move(hooks)) {
  setObjectName(QStringLiteral("ProjectForm"));
  setWindowTitle(QStringLiteral("Проекты"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  resize(560, 360);

  Model = new TProjectTableModel(store, this);

  auto* navPanel = new QHBoxLayout;
  navPanel->setSpacing(0);
  for (int i = 0; i < 8; ++i) {
    auto* button = new QToolButton(this);
    button->setAutoRaise(true);
    button->setText(QString::fromUtf8(kNavButtons[i].Glyph));
    button->setToolTip(QString::fromUtf8(kNavButtons[i].Hint));
    connect(button, &QToolButton::clicked, this, [this, i] { NavClick(NavButton(i)); });
    Nav_[i] = button;
    navPanel->addWidget(button);
  }
  navPanel->addStretch();

  Grid = new QTableView(this);
  Grid->setObjectName(QStringLiteral("Grid"));
  Grid->setModel(Model);
  Delegate_ = new TProjectDelegate(Grid);
  Grid->setItemDelegate(Delegate_);
  Grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  Grid->setSelectionMode(QAbstractItemView::SingleSelection);
  Grid->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed |
                        QAbstractItemView::AnyKeyPressed);
  Grid->verticalHeader()->hide();
  Grid->horizontalHeader()->setStretchLastSection(true);
  Grid->setColumnWidth(TProjectTableModel::NameColumn, 220);
  Grid->setColumnWidth(TProjectTableModel::DialectColumn, 140);
  connect(Grid, &QTableView::doubleClicked, this, [this] { SelectButtonClick(); });
  connect(Grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current, const QModelIndex& previous) {
            CurrentRowChanged(current.isValid() ? current.row() : -1,
                              previous.isValid() ? previous.row() : -1);
          });
  connect(Model, &TProjectTableModel::StateChanged, this, &TProjectForm::UpdateControls);
  connect(Model, &QAbstractItemModel::rowsInserted, this, &TProjectForm::UpdateControls);
  connect(Model, &QAbstractItemModel::rowsRemoved, this, &TProjectForm::UpdateControls);
  connect(Model, &QAbstractItemModel::modelReset, this, &TProjectForm::UpdateControls);

  SelectButton = BoldButton(QStringLiteral("Загрузить"), this);
  SelectButton->setObjectName(QStringLiteral("SelectButton"));
  ExitButton = BoldButton(QStringLiteral("Выйти"), this);
  ExitButton->setObjectName(QStringLiteral("ExitButton"));
  connect(SelectButton, &QPushButton::clicked, this, &TProjectForm::SelectButtonClick);
  connect(ExitButton, &QPushButton::clicked, this, &TProjectForm::ExitButtonClick);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch();
  bottom->addWidget(SelectButton);
  bottom->addWidget(ExitButton);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(navPanel);
  layout->addWidget(Grid);
  layout->addLayout(bottom);
  UpdateControls();
}

int TProjectForm::CurrentRow() const {
  const QModelIndex current = Grid->currentIndex();
  return current.isValid() ? current.row() : -1;
}

void TProjectForm::SetCurrentRow(int row) {
  if (row < 0 || row >= Model->rowCount()) return;
  const int column = CurrentRow() >= 0 ? Grid->currentIndex().column() : 0;
  Grid->setCurrentIndex(Model->index(row, column));
}

int TProjectForm::CurrentProjectId() const {
  if (Model->rowCount() == 0) return 0;
  return Model->ProjectIdAt(std::max(CurrentRow(), 0));
}

void TProjectForm::LocateProject(int projectId) {
  const int row = projectId > 0 ? Model->RowOfProject(projectId) : -1;
  SetCurrentRow(row >= 0 ? row : 0);
}

bool TProjectForm::Execute(int& projectId) {
  LocateProject(projectId);
  if (exec() != QDialog::Accepted) return false;
  projectId = CurrentProjectId();
  return true;
}

QToolButton* TProjectForm::NavButtonWidget(NavButton button) const { return Nav_[int(button)]; }

bool TProjectForm::PostPending() {
  Delegate_->CommitOpenEditor();
  if (!Model->Editing()) return true;
  try {
    const int row = Model->Post();
    Moving_ = true;
    SetCurrentRow(row);
    Moving_ = false;
    return true;
  } catch (const std::exception& e) {
    Moving_ = false;
    ShowError(Hooks_, this, e.what());
    return false;
  }
}

void TProjectForm::CurrentRowChanged(int row, int previous) {
  (void)previous;
  if (Moving_ || !Model->Editing() || row == Model->EditRow()) {
    UpdateControls();
    return;
  }
  // Leaving a pending row posts it, as moving off an edited record does.
  const int targetId = Model->ProjectIdAt(row);
  if (!PostPending()) {
    // Stay on the pending row.
    QTimer::singleShot(0, this, [this] {
      if (Model->Editing()) {
        Moving_ = true;
        SetCurrentRow(Model->EditRow());
        Moving_ = false;
        UpdateControls();
      }
    });
    return;
  }
  // The post re-sorted the rows: go to the row the user moved to.
  Moving_ = true;
  SetCurrentRow(targetId > 0 ? Model->RowOfProject(targetId) : row);
  Moving_ = false;
  UpdateControls();
}

void TProjectForm::NavClick(NavButton button) {
  const int count = Model->rowCount();
  const int row = CurrentRow();
  switch (button) {
    case NavButton::First: SetCurrentRow(0); break;
    case NavButton::Prior: SetCurrentRow(std::max(row - 1, 0)); break;
    case NavButton::Next: SetCurrentRow(std::min(row + 1, count - 1)); break;
    case NavButton::Last: SetCurrentRow(count - 1); break;
    case NavButton::Insert: {
      if (!PostPending()) return;
      const int inserted = Model->Insert(std::max(CurrentRow(), 0));
      Moving_ = true;
      Grid->setCurrentIndex(Model->index(inserted, TProjectTableModel::NameColumn));
      Moving_ = false;
      Grid->edit(Grid->currentIndex());
      break;
    }
    case NavButton::Delete: {
      if (row < 0) return;
      const auto answer = Hooks_.Message(this, QMessageBox::Question, QStringLiteral("Внимание"),
                                         QStringLiteral("Вы точно хотите удалить проект ?"),
                                         QMessageBox::Yes | QMessageBox::No);
      if (answer != QMessageBox::Yes) return;
      Delegate_->CommitOpenEditor();
      try {
        Moving_ = true;
        Model->Delete(row);
        Moving_ = false;
      } catch (const std::exception& e) {
        Moving_ = false;
        ShowError(Hooks_, this, e.what());
      }
      SetCurrentRow(std::min(row, Model->rowCount() - 1));
      break;
    }
    case NavButton::Post: PostPending(); break;
    case NavButton::Cancel: {
      Delegate_->CommitOpenEditor();
      Moving_ = true;
      Model->Cancel();
      Moving_ = false;
      SetCurrentRow(std::min(std::max(row, 0), Model->rowCount() - 1));
      break;
    }
  }
  UpdateControls();
}

void TProjectForm::UpdateControls() {
  const int count = Model->rowCount();
  const int row = CurrentRow();
  const bool editing = Model->Editing();
  Nav_[int(NavButton::First)]->setEnabled(count > 0 && row > 0);
  Nav_[int(NavButton::Prior)]->setEnabled(count > 0 && row > 0);
  Nav_[int(NavButton::Next)]->setEnabled(count > 0 && row < count - 1);
  Nav_[int(NavButton::Last)]->setEnabled(count > 0 && row < count - 1);
  Nav_[int(NavButton::Insert)]->setEnabled(true);
  Nav_[int(NavButton::Delete)]->setEnabled(count > 0);
  Nav_[int(NavButton::Post)]->setEnabled(editing);
  Nav_[int(NavButton::Cancel)]->setEnabled(editing);
  SelectButton->setEnabled(count > 0);
}

void TProjectForm::SelectButtonClick() {
  if (!PostPending()) return;
  if (Model->rowCount() == 0) return;
  accept();
}

void TProjectForm::ExitButtonClick() {
  if (!PostPending()) return;
  QDialog::reject();
}

void TProjectForm::reject() {
  // Escape and the close box leave the dialog the way "Выйти" does.
  ExitButtonClick();
}

}  // namespace ambrix::ui
