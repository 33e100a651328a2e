#pragma once

#include <QDialog>

#include "ui/gui_config.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace ambrix::ui {

/// "Настройки редактора": the external SQL editor of the configuration file
/// ([EDITOR] ISQL, the program, and READONLY, whether the generated script
/// is opened read-only).
class TEditorSettingsForm : public QDialog {
  Q_OBJECT
 public:
  explicit TEditorSettingsForm(const TGuiConfig& config, QWidget* parent = nullptr);
  /// The settings as edited, into `config`.
  void GetSettings(TGuiConfig& config) const;

  QLineEdit* EditorEdit = nullptr;
  QCheckBox* ReadOnlyBox = nullptr;
  QPushButton* OkButton = nullptr;
  QPushButton* CancelButton = nullptr;
};

}  // namespace ambrix::ui
