#include "ui/about_form.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "text/version.h"

namespace ambrix::ui {

namespace {

QLabel* TitleLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  QFont font = label->font();
  font.setBold(true);
  label->setFont(font);
  label->setStyleSheet(QStringLiteral("color: navy;"));
  return label;
}

}  // namespace

TAboutForm::TAboutForm(TUiHooks /*hooks*/, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("AboutForm"));
  setWindowTitle(QStringLiteral("О программе"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);

  auto* panel = new QFrame(this);
  panel->setFrameShape(QFrame::StyledPanel);
  panel->setAutoFillBackground(true);
  QPalette palette = panel->palette();
  palette.setColor(QPalette::Window, Qt::white);
  panel->setPalette(palette);

  auto* panelLayout = new QVBoxLayout(panel);
  panelLayout->addWidget(TitleLabel(QStringLiteral("Ambrix Database Convertor"), panel));
  panelLayout->addWidget(
      TitleLabel(QStringLiteral("(MS SQLServer 2000 -> Sybase Anywhere Studio 9)"), panel));
  panelLayout->addWidget(new QLabel(QStringLiteral("Версия 1.0"), panel));
  panelLayout->addSpacing(12);
  auto* contact = new QHBoxLayout;
  contact->addWidget(new QLabel(QStringLiteral("Программа:"), panel));
  ProgramLabel = new QLabel(QStringLiteral("Velkor Ambrix Database Convertor, ambrix ") + QString::fromLatin1(Version()),
                            panel);
  ProgramLabel->setObjectName(QStringLiteral("ProgramLabel"));
  ProgramLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
  contact->addWidget(ProgramLabel);
  contact->addStretch();
  panelLayout->addLayout(contact);
  panelLayout->addWidget(new QLabel(QStringLiteral("Справка: ambrix --help и README.md"), panel));

  OkButton = new QPushButton(QStringLiteral("OK"), this);
  OkButton->setDefault(true);
  connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(panel);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OkButton);
  buttons->addStretch();
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace ambrix::ui
