// The desktop program: reads its configuration, creates the main window and
// runs the event loop. The converter object is created on the window's first
// activation, connected to the repository the configuration names.
#include <csignal>

#include <QApplication>

#include "ui/driver_converter.h"
#include "ui/gui_config.h"
#include "ui/main_form.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  // A script over the file size limit fails its write with EFBIG, which the
  // window reports, instead of killing the program.
  std::signal(SIGXFSZ, SIG_IGN);
  QApplication::setApplicationName(QStringLiteral("ambrix-gui"));
  QApplication::setApplicationDisplayName(ambrix::ui::AppTitle());
  // The installed desktop entry (share/applications/ambrix-gui.desktop), by
  // which the desktop shows the window with the program's name and icon.
  QApplication::setDesktopFileName(QStringLiteral("ambrix-gui"));

  const ambrix::ui::TGuiConfig config =
      ambrix::ui::ReadGuiConfig(ambrix::ui::FindConfigFile(QCoreApplication::applicationDirPath()));
  const QString repository = config.Repository;
  ambrix::ui::TMainForm window(
      config, [repository] { return ambrix::ui::CreateDriverConverter(repository); },
      ambrix::ui::DefaultUiHooks());
  window.showMaximized();
  return QApplication::exec();
}
