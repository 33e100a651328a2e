#pragma once

#include <QDialog>

#include "ui/ui_hooks.h"

class QLabel;
class QPushButton;

namespace ambrix::ui {

/// The About box: program name, direction of conversion, version and a
/// contact address that opens the mail program.
class TAboutForm : public QDialog {
  Q_OBJECT
 public:
  TAboutForm(TUiHooks hooks, QWidget* parent = nullptr);

  QLabel* MailLabel = nullptr;
  QPushButton* OkButton = nullptr;

  /// Asks the desktop to open "mailto:" + the address.
  void MailLabelClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TUiHooks Hooks_;
};

}  // namespace ambrix::ui
