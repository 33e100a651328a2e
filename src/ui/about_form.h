#pragma once

#include <QDialog>

#include "ui/ui_hooks.h"

class QLabel;
class QPushButton;

namespace ambrix::ui {

/// The About box: program name, direction of conversion, version, and the
/// program's own name and version where a contact address would stand (the
/// project has no address of its own to show).
class TAboutForm : public QDialog {
  Q_OBJECT
 public:
  TAboutForm(TUiHooks hooks, QWidget* parent = nullptr);

  /// "Velkor Ambrix Database Convertor, ambrix VERSION".
  QLabel* ProgramLabel = nullptr;
  QPushButton* OkButton = nullptr;
};

}  // namespace ambrix::ui
