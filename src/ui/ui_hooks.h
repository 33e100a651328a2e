#pragma once

#include <functional>

#include <QMessageBox>
#include <QString>
#include <QStringList>

class QPrinter;
class QWidget;

namespace ambrix::ui {

/// The points where the window talks to the user or the desktop outside its
/// own widgets: message boxes, file choice, starting programs, opening links.
/// The program uses the real ones; tests put in answers of their own.
struct TUiHooks {
  std::function<QMessageBox::StandardButton(QWidget* parent, QMessageBox::Icon icon,
                                            const QString& caption, const QString& text,
                                            QMessageBox::StandardButtons buttons)>
      Message;
  /// Returns the chosen file's full name, or an empty string when cancelled.
  std::function<QString(QWidget* parent, bool forSave, const QString& title)> ChooseFile;
  /// Starts a program detached; false when it could not be started.
  std::function<bool(const QString& program, const QStringList& arguments,
                     const QString& workingDirectory)>
      StartDetached;
  std::function<bool(const QString& url)> OpenUrl;
  /// Lets the user set up `printer` (the print dialog); false when cancelled.
  std::function<bool(QWidget* parent, QPrinter& printer)> ChoosePrinter;
};

/// The hooks of the running program: real message boxes, file dialogs,
/// QProcess and QDesktopServices.
TUiHooks DefaultUiHooks();

/// The filter of the script file dialogs.
QString ScriptFileFilter();

}  // namespace ambrix::ui

namespace ambrix::ui {

/// The program's title: the main window's caption and the caption of the
/// error boxes that report a failed command.
QString AppTitle();

/// Shows `what` (a failure's UTF-8 message) in an error box through the hooks.
void ShowError(const TUiHooks& hooks, QWidget* parent, const char* what);

}  // namespace ambrix::ui
