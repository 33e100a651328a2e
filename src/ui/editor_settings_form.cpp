#include "ui/editor_settings_form.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace ambrix::ui {

TEditorSettingsForm::TEditorSettingsForm(const TGuiConfig& config, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("EditorSettingsForm"));
  setWindowTitle(QStringLiteral("Настройки редактора"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  EditorEdit = new QLineEdit(config.EditorPath, this);
  EditorEdit->setObjectName(QStringLiteral("EditorEdit"));
  EditorEdit->setMinimumWidth(360);
  ReadOnlyBox = new QCheckBox(QStringLiteral("Открывать сгенерированный скрипт только для чтения (-x)"), this);
  ReadOnlyBox->setChecked(config.EditorReadOnly);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Редактор SQL:"), EditorEdit);
  form->addRow(ReadOnlyBox);
  auto* where = new QLabel(config.Path.isEmpty() ? QStringLiteral("Настройки не сохраняются")
                                                 : QStringLiteral("Сохраняются в ") + config.Path,
                           this);
  where->setTextInteractionFlags(Qt::TextSelectableByMouse);
  form->addRow(where);
  OkButton = new QPushButton(QStringLiteral("OK"), this);
  OkButton->setDefault(true);
  CancelButton = new QPushButton(QStringLiteral("Отказаться"), this);
  connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
  connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OkButton);
  buttons->addWidget(CancelButton);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TEditorSettingsForm::GetSettings(TGuiConfig& config) const {
  config.EditorPath = EditorEdit->text().trimmed();
  config.EditorReadOnly = ReadOnlyBox->isChecked();
}

}  // namespace ambrix::ui
