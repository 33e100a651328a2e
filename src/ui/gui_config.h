#pragma once

#include <utility>
#include <vector>

#include <QString>

namespace ambrix::ui {

/// What the window reads from its configuration file at creation.
struct TGuiConfig {
  QString EditorPath;          ///< [EDITOR] ISQL; empty by default
  bool EditorReadOnly = true;  ///< [EDITOR] READONLY, true when it reads TRUE (any case)
  QString Repository;          ///< [REPOSITORY] LOCATION (sqlite:PATH, postgresql://...); empty: the default
  /// The run options the options dialog starts from and saves: [OPTIONS]
  /// INPUTENCODING (empty: auto), OUTPUTENCODING (empty: utf-8), KEEPGOING.
  QString InputEncoding;
  QString OutputEncoding;
  bool KeepGoing = false;
  QString FileName;            ///< the file read, empty when none was found
  /// Where the settings are saved (the file read, or the one that would have
  /// been read); empty: they are not saved.
  QString Path;
};

/// Sets KEY=VALUE in [SECTION] of an INI file, keeping its other lines; the
/// section and the file (with its folder) are made when missing. Returns
/// false when the file cannot be written.
bool WriteIniValues(const QString& fileName, const QString& section,
                    const std::vector<std::pair<QString, QString>>& values);

/// Saves the settings the window changes (the editor's and the run options)
/// to `config.Path`; throws ambrix::Error naming the file when it cannot.
void SaveGuiConfig(const TGuiConfig& config);

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
