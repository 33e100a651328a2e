#include "ui/about_form.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

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

TAboutForm::TAboutForm(TUiHooks hooks, QWidget* parent) : QDialog(parent), Hooks_(std::move(hooks)) {
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
  contact->addWidget(new QLabel(QStringLiteral("Координаты для общения:"), panel));
  MailLabel = new QLabel(QStringLiteral("ambrix@example.org"), panel);
  MailLabel->setObjectName(QStringLiteral("MailLabel"));
  MailLabel->setCursor(Qt::PointingHandCursor);
  MailLabel->setStyleSheet(QStringLiteral("color: blue;"));
  MailLabel->installEventFilter(this);
  contact->addWidget(MailLabel);
  contact->addStretch();
  panelLayout->addLayout(contact);

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

void TAboutForm::MailLabelClick() {
  if (Hooks_.OpenUrl) Hooks_.OpenUrl(QStringLiteral("mailto:") + MailLabel->text());
}

bool TAboutForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == MailLabel && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    MailLabelClick();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace ambrix::ui
