#include "ui/gui_config.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextStream>

#include "text/error.h"

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
  config.InputEncoding = ReadIniValue(fileName, QStringLiteral("OPTIONS"), QStringLiteral("INPUTENCODING"), {});
  config.OutputEncoding = ReadIniValue(fileName, QStringLiteral("OPTIONS"), QStringLiteral("OUTPUTENCODING"), {});
  config.KeepGoing = ReadIniValue(fileName, QStringLiteral("OPTIONS"), QStringLiteral("KEEPGOING"), QStringLiteral("FALSE"))
                         .toUpper() == QStringLiteral("TRUE");
  config.Path = fileName;
  return config;
}

bool WriteIniValues(const QString& fileName, const QString& section,
                    const std::vector<std::pair<QString, QString>>& values) {
  QStringList lines;
  {
    QFile file(fileName);
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
      QTextStream in(&file);
      while (!in.atEnd()) lines << in.readLine();
    }
  }
  std::vector<bool> written(values.size(), false);
  qsizetype sectionEnd = -1;  // the line after the section's last key line
  bool inSection = false;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    const QString line = lines[i].trimmed();
    if (line.startsWith(u'[')) {
      const qsizetype close = line.indexOf(u']');
      inSection = line.mid(1, close < 0 ? -1 : close - 1).trimmed().compare(section, Qt::CaseInsensitive) == 0;
      if (inSection) sectionEnd = i + 1;
      continue;
    }
    if (!inSection || line.startsWith(u';') || line.startsWith(u'#')) continue;
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0) continue;
    sectionEnd = i + 1;
    for (size_t v = 0; v < values.size(); ++v)
      if (line.left(eq).trimmed().compare(values[v].first, Qt::CaseInsensitive) == 0) {
        lines[i] = values[v].first + u'=' + values[v].second;
        written[v] = true;
      }
  }
  if (sectionEnd < 0) {
    if (!lines.isEmpty() && !lines.last().trimmed().isEmpty()) lines << QString();
    lines << u'[' + section + u']';
    sectionEnd = lines.size();
  }
  for (size_t v = 0; v < values.size(); ++v)
    if (!written[v]) lines.insert(sectionEnd++, values[v].first + u'=' + values[v].second);
  if (!QDir().mkpath(QFileInfo(fileName).absolutePath())) return false;
  QSaveFile file(fileName);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) return false;
  file.write((lines.join(u'\n') + u'\n').toUtf8());
  return file.commit();
}

void SaveGuiConfig(const TGuiConfig& config) {
  if (config.Path.isEmpty()) return;
  const auto flag = [](bool value) { return value ? QStringLiteral("TRUE") : QStringLiteral("FALSE"); };
  const bool saved =
      WriteIniValues(config.Path, QStringLiteral("EDITOR"),
                     {{QStringLiteral("ISQL"), config.EditorPath}, {QStringLiteral("READONLY"), flag(config.EditorReadOnly)}}) &&
      WriteIniValues(config.Path, QStringLiteral("OPTIONS"),
                     {{QStringLiteral("INPUTENCODING"), config.InputEncoding},
                      {QStringLiteral("OUTPUTENCODING"), config.OutputEncoding},
                      {QStringLiteral("KEEPGOING"), flag(config.KeepGoing)}});
  if (!saved) throw Error(QStringLiteral("Невозможно сохранить настройки в файл \"%1\"").arg(config.Path).toStdString());
}

}  // namespace ambrix::ui
