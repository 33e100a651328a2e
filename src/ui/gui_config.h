#pragma once

#include <QString>

namespace ambrix::ui {

/// What the window reads from its configuration file at creation.
struct TGuiConfig {
  QString EditorPath;          ///< [EDITOR] ISQL; empty by default
  bool EditorReadOnly = true;  ///< [EDITOR] READONLY, true when it reads TRUE (any case)
  QString Repository;          ///< [REPOSITORY] LOCATION (sqlite:PATH, postgresql://...); empty: the default
  QString FileName;            ///< the file read, empty when none was found
};

/// Reads a file of the INI kind: [SECTION] headers and KEY=VALUE lines;
/// sections and keys compare ignoring case, values are trimmed, and a
/// missing file or key gives the default. Lines starting with ';' or '#'
/// are comments.
QString ReadIniValue(const QString& fileName, const QString& section, const QString& key,
                     const QString& defaultValue);

/// The configuration file of the program: "ambrix-gui.ini" beside the
/// executable when it exists, otherwise $XDG_CONFIG_HOME/ambrix/ambrix.ini.
QString FindConfigFile(const QString& executableDir);

/// Reads the configuration from `fileName` (which may not exist).
TGuiConfig ReadGuiConfig(const QString& fileName);

}  // namespace ambrix::ui
