#include "ui/properties_form.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace ambrix::ui {

TPropertiesForm::TPropertiesForm(const QString& caption, const std::vector<PropertyRow>& rows, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("PropertiesForm"));
  setWindowTitle(caption);
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  Rows = new QFormLayout;
  for (const auto& [name, value] : rows) {
    auto* label = new QLabel(value, this);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Rows->addRow(name + u':', label);
  }
  OkButton = new QPushButton(QStringLiteral("OK"), this);
  OkButton->setDefault(true);
  connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OkButton);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(Rows);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace ambrix::ui
