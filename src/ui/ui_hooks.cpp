#include "ui/ui_hooks.h"

#include <QPrintDialog>
#include <QPrinter>

#include <QDesktopServices>
#include <QFileDialog>
#include <QProcess>
#include <QUrl>

namespace ambrix::ui {

QString ScriptFileFilter() {
  return QStringLiteral("Скрипты SQL (*.sql);;Текстовый файлы (*.txt);;Все файлы (*)");
}

namespace {

QMessageBox::StandardButton ShowMessage(QWidget* parent, QMessageBox::Icon icon,
                                        const QString& caption, const QString& text,
                                        QMessageBox::StandardButtons buttons) {
  QMessageBox box(icon, caption, text, buttons, parent);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString ChooseScriptFile(QWidget* parent, bool forSave, const QString& title) {
  QFileDialog dialog(parent, title);
  dialog.setNameFilter(ScriptFileFilter());
  dialog.setDefaultSuffix(QStringLiteral("sql"));
  if (forSave) {
    // Asks before overwriting by default; the folder must exist for the
    // dialog to accept a name in it.
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

}  // namespace

TUiHooks DefaultUiHooks() {
  TUiHooks hooks;
  hooks.Message = ShowMessage;
  hooks.ChooseFile = ChooseScriptFile;
  hooks.StartDetached = [](const QString& program, const QStringList& arguments,
                           const QString& workingDirectory) {
    if (program.trimmed().isEmpty()) return false;
    return QProcess::startDetached(program, arguments, workingDirectory);
  };
  hooks.OpenUrl = [](const QString& url) { return QDesktopServices::openUrl(QUrl(url)); };
  hooks.ChoosePrinter = [](QWidget* parent, QPrinter& printer) {
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
  };
  return hooks;
}

}  // namespace ambrix::ui

namespace ambrix::ui {

QString AppTitle() { return QStringLiteral("Velkor Ambrix Database Convertor"); }

void ShowError(const TUiHooks& hooks, QWidget* parent, const char* what) {
  if (hooks.Message)
    hooks.Message(parent, QMessageBox::Critical, AppTitle(), QString::fromUtf8(what), QMessageBox::Ok);
}

}  // namespace ambrix::ui
