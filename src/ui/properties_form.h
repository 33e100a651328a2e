#pragma once

#include <utility>
#include <vector>

#include <QDialog>
#include <QString>

class QFormLayout;
class QPushButton;

namespace ambrix::ui {

/// One line of the properties dialog: a caption and its value.
using PropertyRow = std::pair<QString, QString>;

/// "Свойства": the properties of the selected object, or of the project when
/// a group (or nothing) is selected, as caption and value lines.
class TPropertiesForm : public QDialog {
  Q_OBJECT
 public:
  TPropertiesForm(const QString& caption, const std::vector<PropertyRow>& rows, QWidget* parent = nullptr);

  QFormLayout* Rows = nullptr;
  QPushButton* OkButton = nullptr;
};

}  // namespace ambrix::ui
