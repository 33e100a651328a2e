#include "ui/add_script_opt_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
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

// The encodings offered: the caption and the name the run options take.
struct EncodingChoice {
  const char* Caption;
  const char* Name;
};
constexpr std::array<EncodingChoice, 5> kInputEncodings{{
    {"авто (по метке порядка байтов, иначе UTF-8 или Windows-1251)", ""},
    {"UTF-8", "utf-8"},
    {"Windows-1251", "windows-1251"},
    {"UTF-16LE", "utf-16le"},
    {"UTF-16BE", "utf-16be"},
}};
constexpr std::array<EncodingChoice, 2> kOutputEncodings{{
    {"UTF-8", "utf-8"},
    {"Windows-1251", "windows-1251"},
}};

template <std::size_t N>
QComboBox* EncodingBox(const std::array<EncodingChoice, N>& choices, QWidget* parent) {
  auto* box = new QComboBox(parent);
  for (const EncodingChoice& choice : choices)
    box->addItem(QString::fromUtf8(choice.Caption), QString::fromLatin1(choice.Name));
  return box;
}

void ChooseEncoding(QComboBox* box, const QString& name) {
  const int index = box->findData(name.trimmed().toLower());
  box->setCurrentIndex(index < 0 ? 0 : index);
}

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

  EncodingGroup = new QGroupBox(QStringLiteral("Кодировка и ошибки"), this);
  InputEncodingBox = EncodingBox(kInputEncodings, EncodingGroup);
  InputEncodingBox->setObjectName(QStringLiteral("InputEncodingBox"));
  OutputEncodingBox = EncodingBox(kOutputEncodings, EncodingGroup);
  OutputEncodingBox->setObjectName(QStringLiteral("OutputEncodingBox"));
  KeepGoingBox = new QCheckBox(QStringLiteral("Продолжать после ошибки (пропуская пакет или обьект)"), EncodingGroup);
  KeepGoingBox->setObjectName(QStringLiteral("KeepGoingBox"));
  auto* encodingLayout = new QFormLayout(EncodingGroup);
  encodingLayout->addRow(QStringLiteral("Кодировка скрипта MSSQL:"), InputEncodingBox);
  encodingLayout->addRow(QStringLiteral("Кодировка скрипта ASA:"), OutputEncodingBox);
  encodingLayout->addRow(KeepGoingBox);

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
  layout->addWidget(EncodingGroup);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  PrepareMode();
}

void TAddScriptOptForm::PrepareMode() {
  setWindowTitle(ForGeneration_ ? QStringLiteral("Генерация скрипта ASA")
                                : QStringLiteral("Реинженеринг скрипта MSSQL"));
  ProcessGroup->setVisible(!ForGeneration_);
  // The script read has the input encoding, the script written the output one.
  auto* form = static_cast<QFormLayout*>(EncodingGroup->layout());
  form->setRowVisible(InputEncodingBox, !ForGeneration_);
  form->setRowVisible(OutputEncodingBox, ForGeneration_);
}

void TAddScriptOptForm::SetRunSettings(const QString& inputEncoding, const QString& outputEncoding,
                                       bool keepGoing) {
  ChooseEncoding(InputEncodingBox, inputEncoding);
  ChooseEncoding(OutputEncodingBox, outputEncoding);
  KeepGoingBox->setChecked(keepGoing);
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
  options.InputEncoding = InputEncodingBox->currentData().toString().toStdString();
  options.OutputEncoding = OutputEncodingBox->currentData().toString().toStdString();
  options.KeepGoing = KeepGoingBox->isChecked();
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
