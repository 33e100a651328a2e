#include "ui/add_script_opt_form.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace ambrix::ui {

namespace {

// Captions of the type boxes in the order of the run options record, and the
// grid cell (column, row) each one sits in.
struct TypeBoxPlace {
  const char* Caption;
  int Column;
  int Row;
};
constexpr std::array<TypeBoxPlace, 14> kTypeBoxes{{
    {"Default", 0, 0},
    {"Rule", 0, 1},
    {"Domain", 0, 2},
    {"Table", 0, 3},
    {"View", 0, 4},
    {"Procedure", 0, 5},
    {"Function", 0, 6},
    {"Constraint (primary key)", 1, 0},
    {"Constraint (default)", 1, 1},
    {"Constraint (check)", 1, 2},
    {"Constraint (unique)", 1, 3},
    {"Constraint (foreign key)", 1, 4},
    {"Index", 1, 5},
    {"Trigger", 1, 6},
}};

QPushButton* BoldButton(const QString& caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  QFont font = button->font();
  font.setBold(true);
  button->setFont(font);
  return button;
}

}  // namespace

TAddScriptOptForm::TAddScriptOptForm(TUiHooks hooks, QWidget* parent)
    : QDialog(parent), Hooks_(std::move(hooks)) {
  setObjectName(QStringLiteral("AddScriptOptForm"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

  auto* scriptGroup = new QGroupBox(QStringLiteral("Скрипт"), this);
  ScriptEdit = new QLineEdit(scriptGroup);
  ScriptEdit->setObjectName(QStringLiteral("ScriptEdit"));
  ScriptEdit->setReadOnly(true);
  ScriptEdit->setMinimumWidth(360);
  ScriptEdit->installEventFilter(this);
  ScriptButton = new QToolButton(scriptGroup);
  ScriptButton->setText(QStringLiteral("..."));
  connect(ScriptButton, &QToolButton::clicked, this, &TAddScriptOptForm::ChooseFile);
  auto* scriptLayout = new QHBoxLayout(scriptGroup);
  scriptLayout->addWidget(ScriptEdit);
  scriptLayout->addWidget(ScriptButton);

  auto* typeGroup = new QGroupBox(QStringLiteral("Объекты"), this);
  auto* typeLayout = new QGridLayout(typeGroup);
  for (size_t i = 0; i < kTypeBoxes.size(); ++i) {
    auto* box = new QCheckBox(QString::fromUtf8(kTypeBoxes[i].Caption), typeGroup);
    box->setChecked(true);
    TypeBoxes[i] = box;
    typeLayout->addWidget(box, kTypeBoxes[i].Row, kTypeBoxes[i].Column);
  }

  ProcessGroup = new QGroupBox(QStringLiteral("Обработка"), this);
  OnlyNewRadio = new QRadioButton(QStringLiteral("Добавлять только новые"), ProcessGroup);
  UpdateChangedRadio = new QRadioButton(QStringLiteral("Обновлять изменившиеся"), ProcessGroup);
  UpdateAllRadio = new QRadioButton(QStringLiteral("Обновлять все"), ProcessGroup);
  UpdateChangedRadio->setChecked(true);
  auto* processLayout = new QVBoxLayout(ProcessGroup);
  processLayout->addWidget(OnlyNewRadio);
  processLayout->addWidget(UpdateChangedRadio);
  processLayout->addWidget(UpdateAllRadio);

  RunButton = BoldButton(QStringLiteral("Выполнить"), this);
  RunButton->setObjectName(QStringLiteral("RunButton"));
  RunButton->setEnabled(false);
  RunButton->setDefault(true);
  CancelButton = BoldButton(QStringLiteral("Отказаться"), this);
  connect(RunButton, &QPushButton::clicked, this, [this] {
    if (!ScriptEdit->text().isEmpty()) accept();
  });
  connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(RunButton);
  buttons->addWidget(CancelButton);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(scriptGroup);
  layout->addWidget(typeGroup);
  layout->addWidget(ProcessGroup);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  PrepareMode();
}

void TAddScriptOptForm::PrepareMode() {
  setWindowTitle(ForGeneration_ ? QStringLiteral("Генерация скрипта ASA")
                                : QStringLiteral("Реинженеринг скрипта MSSQL"));
  ProcessGroup->setVisible(!ForGeneration_);
}

bool TAddScriptOptForm::Execute(bool forGeneration) {
  ForGeneration_ = forGeneration;
  PrepareMode();
  return exec() == QDialog::Accepted;
}

void TAddScriptOptForm::ChooseFile() {
  if (!Hooks_.ChooseFile) return;
  const QString title = ForGeneration_ ? QStringLiteral("Генерация скрипта ASA")
                                       : QStringLiteral("Добавление в проект скрипта MSSQL");
  const QString chosen = Hooks_.ChooseFile(this, ForGeneration_, title);
  if (!chosen.isEmpty()) SetFileName(chosen);
}

void TAddScriptOptForm::SetFileName(const QString& fileName) {
  ScriptEdit->setText(fileName);
  RunButton->setEnabled(!ScriptEdit->text().isEmpty());
}

void TAddScriptOptForm::GetOptions(TOptAddScript& options) const {
  options.FileName = ScriptEdit->text().toStdString();
  bool* const flags[14] = {
      &options.WithDefault,    &options.WithRule,       &options.WithDomain,
      &options.WithTable,      &options.WithView,       &options.WithProcedure,
      &options.WithFunction,   &options.WithPrimaryKey, &options.WithConstraintDefault,
      &options.WithCheck,      &options.WithUnique,     &options.WithForeignKey,
      &options.WithIndex,      &options.WithTrigger};
  for (size_t i = 0; i < TypeBoxes.size(); ++i) *flags[i] = TypeBoxes[i]->isChecked();
  options.Mode = OnlyNewRadio->isChecked()         ? amOnlyNew
                 : UpdateChangedRadio->isChecked() ? amUpdateChanged
                                                   : amUpdateAll;
}

bool TAddScriptOptForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ScriptEdit) {
    if (event->type() == QEvent::MouseButtonDblClick) {
      ChooseFile();
      return true;
    }
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F4) {
      ChooseFile();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace ambrix::ui
