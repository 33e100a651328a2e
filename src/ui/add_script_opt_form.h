#pragma once

#include <array>

#include <QDialog>

#include "ui/converter_port.h"
#include "ui/ui_hooks.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace ambrix::ui {

/// The options of a reverse-engineering run (source file, object types,
/// treatment of existing objects) or of a generation run (target file,
/// object types).
class TAddScriptOptForm : public QDialog {
  Q_OBJECT
 public:
  explicit TAddScriptOptForm(TUiHooks hooks, QWidget* parent = nullptr);

  /// Shows the dialog modally in the given mode; true when confirmed.
  bool Execute(bool forGeneration);
  void GetOptions(TOptAddScript& options) const;

  /// Chooses the script file through the file dialog of the mode.
  void ChooseFile();
  bool ForGeneration() const { return ForGeneration_; }

  QLineEdit* ScriptEdit = nullptr;
  QToolButton* ScriptButton = nullptr;
  QGroupBox* ProcessGroup = nullptr;
  QRadioButton* OnlyNewRadio = nullptr;
  QRadioButton* UpdateChangedRadio = nullptr;
  QRadioButton* UpdateAllRadio = nullptr;
  /// The encoding the script is read in (reverse-engineering) or written in
  /// (generation), and whether a failing batch or object is passed over.
  QGroupBox* EncodingGroup = nullptr;
  QComboBox* InputEncodingBox = nullptr;
  QComboBox* OutputEncodingBox = nullptr;
  QCheckBox* KeepGoingBox = nullptr;
  QPushButton* RunButton = nullptr;
  QPushButton* CancelButton = nullptr;
  /// The type check boxes in the order of the run options record.
  std::array<QCheckBox*, 14> TypeBoxes{};

  /// Starts the dialog from saved settings: encoding names as the run
  /// options take them (empty: auto, and utf-8), an unknown one as the default.
  void SetRunSettings(const QString& inputEncoding, const QString& outputEncoding, bool keepGoing);

  /// Puts a file name into ScriptEdit and updates RunButton.
  void SetFileName(const QString& fileName);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void PrepareMode();

  TUiHooks Hooks_;
  bool ForGeneration_ = false;
};

}  // namespace ambrix::ui
