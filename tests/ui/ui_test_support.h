#pragma once

// Helpers shared by the window's tests: recorded hooks with scripted answers,
// and running code against a modal dialog once it shows.

#include <deque>
#include <functional>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include "ui/ui_hooks.h"

namespace ambrix::ui::test {

struct ShownMessage {
  QMessageBox::Icon Icon;
  QString Caption;
  QString Text;
  QMessageBox::StandardButtons Buttons;
};

struct StartedProgram {
  QString Program;
  QStringList Arguments;
  QString WorkingDirectory;
};

/// Hooks that record what the window asked and answer from queues: the
/// next queued button (Yes when the queue is empty) for message boxes, the
/// queued file name for file dialogs, `StartResult` for programs.
class RecordingHooks {
 public:
  TUiHooks Hooks() {
    TUiHooks hooks;
    hooks.Message = [this](QWidget*, QMessageBox::Icon icon, const QString& caption,
                           const QString& text, QMessageBox::StandardButtons buttons) {
      Messages.push_back({icon, caption, text, buttons});
      if (Answers.empty()) return (buttons & QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
      const QMessageBox::StandardButton answer = Answers.front();
      Answers.pop_front();
      return answer;
    };
    hooks.ChooseFile = [this](QWidget*, bool forSave, const QString& title) {
      FileDialogs.push_back({forSave, title});
      return ChosenFile;
    };
    hooks.StartDetached = [this](const QString& program, const QStringList& arguments,
                                 const QString& dir) {
      Started.push_back({program, arguments, dir});
      return StartResult;
    };
    hooks.OpenUrl = [this](const QString& url) {
      Urls << url;
      return true;
    };
    hooks.ChoosePrinter = [this](QWidget* parent, QPrinter& printer) { return Printer && Printer(parent, printer); };
    return hooks;
  }

  /// Messages shown with the error icon.
  QStringList Errors() const {
    QStringList errors;
    for (const ShownMessage& m : Messages)
      if (m.Icon == QMessageBox::Critical) errors << m.Text;
    return errors;
  }

  std::vector<ShownMessage> Messages;
  std::deque<QMessageBox::StandardButton> Answers;
  std::vector<std::pair<bool, QString>> FileDialogs;
  QString ChosenFile;
  std::vector<StartedProgram> Started;
  bool StartResult = true;
  QStringList Urls;
  /// Sets up the printer of "Печать"; none: the print dialog is cancelled.
  std::function<bool(QWidget*, QPrinter&)> Printer;
};

/// Runs `body` on the modal dialog of type T as soon as it is shown. If no
/// such dialog shows within thirty seconds, every modal widget is closed so
/// the test fails instead of hanging (the guard is generous: on a loaded
/// machine the work before a dialog may take seconds).
template <class T>
void WhenModal(std::function<void(T*)> body) {
  auto* timer = new QTimer;
  auto* clock = new QElapsedTimer;
  clock->start();
  QObject::connect(timer, &QTimer::timeout, [timer, clock, body] {
    if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      delete clock;
      body(dialog);
      return;
    }
    if (clock->elapsed() > 30000) {
      timer->stop();
      timer->deleteLater();
      delete clock;
      while (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    }
  });
  timer->start(10);
}

}  // namespace ambrix::ui::test
