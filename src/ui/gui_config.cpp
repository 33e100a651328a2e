#include "ui/gui_config.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextStream>

namespace ambrix::ui {

QString ReadIniValue(const QString& fileName, const QString& section, const QString& key,
                     const QString& defaultValue) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return defaultValue;
  QTextStream in(&file);
  bool inSection = false;
  while (!in.atEnd()) {
    const QString line = in.readLine().trimmed();
    if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#')) continue;
    if (line.startsWith(u'[')) {
      const qsizetype close = line.indexOf(u']');
      const QString name = line.mid(1, close < 0 ? -1 : close - 1).trimmed();
      inSection = name.compare(section, Qt::CaseInsensitive) == 0;
      continue;
    }
    if (!inSection) continue;
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0) continue;
    if (line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) != 0) continue;
    return line.mid(eq + 1).trimmed();
  }
  return defaultValue;
}

QString FindConfigFile(const QString& executableDir) {
  const QString beside = QDir(executableDir).filePath(QStringLiteral("ambrix-gui.ini"));
  if (QFileInfo::exists(beside)) return beside;
  return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
      .filePath(QStringLiteral("ambrix/ambrix.ini"));
}

TGuiConfig ReadGuiConfig(const QString& fileName) {
  TGuiConfig config;
  if (QFileInfo::exists(fileName)) config.FileName = fileName;
  config.EditorPath = ReadIniValue(fileName, QStringLiteral("EDITOR"), QStringLiteral("ISQL"), {});
  config.EditorReadOnly =
      ReadIniValue(fileName, QStringLiteral("EDITOR"), QStringLiteral("READONLY"),
                   QStringLiteral("TRUE"))
          .toUpper() == QStringLiteral("TRUE");
  config.Repository =
      ReadIniValue(fileName, QStringLiteral("REPOSITORY"), QStringLiteral("LOCATION"), {});
  return config;
}

}  // namespace ambrix::ui
