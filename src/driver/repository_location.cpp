#include "driver/repository_location.h"

#include <algorithm>
#include <cstdlib>

#include <QDir>
#include <QUrl>

#include "text/error.h"

namespace ambrix {

namespace {

const char kForms[] = "expected sqlite:PATH, sqlite::memory: or postgresql://user@host:port/database";

// The location as it may be shown: a password written into it is masked.
std::string Shown(const std::string& text) {
  const std::size_t scheme = text.find("://");
  if (scheme == std::string::npos) return text;
  const std::size_t start = scheme + 3;
  const std::size_t end = std::min(text.find('/', start), text.size());
  const std::size_t at = text.rfind('@', end - 1);
  if (at == std::string::npos || at < start) return text;
  const std::size_t colon = text.find(':', start);
  if (colon == std::string::npos || colon > at) return text;
  return text.substr(0, colon + 1) + "***" + text.substr(at);
}

[[noreturn]] void Reject(const std::string& text, const std::string& why) {
  throw Error("Invalid repository location \"" + Shown(text) + "\": " + why);
}

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

std::string RepositoryLocation::ToString() const {
  if (backend == Backend::SQLite) return "sqlite:" + path;
  QUrl url;
  url.setScheme(QStringLiteral("postgresql"));
  url.setUserName(QString::fromStdString(user));
  url.setHost(QString::fromStdString(host));
  url.setPort(port);
  if (!database.empty()) url.setPath(QStringLiteral("/") + QString::fromStdString(database));
  return url.toString(QUrl::FullyEncoded).toStdString();
}

RepositoryLocation ParseRepositoryLocation(const std::string& text) {
  RepositoryLocation location;
  if (StartsWith(text, "sqlite:")) {
    std::string path = text.substr(7);
    if (path.empty()) Reject(text, "the SQLite file name is missing");
    if (path != ":memory:") {
      if (StartsWith(path, "~/")) path = QDir::homePath().toStdString() + path.substr(1);
      path = QDir::cleanPath(QDir::current().absoluteFilePath(QString::fromStdString(path))).toStdString();
    }
    location.backend = Backend::SQLite;
    location.path = path;
    return location;
  }
  if (StartsWith(text, "postgresql://") || StartsWith(text, "postgres://")) {
    const QUrl url(QString::fromStdString(text), QUrl::StrictMode);
    // The parser's own message repeats the text, password and all.
    if (!url.isValid()) Reject(text, "it is not a valid URL");
    if (!url.password().isEmpty())
      Reject(text, "a password does not belong in the location; set PGPASSWORD or use ~/.pgpass");
    if (url.hasQuery() || url.hasFragment()) Reject(text, "parameters after the database name are not supported");
    QString database = url.path(QUrl::FullyDecoded);
    if (database.startsWith(u'/')) database.remove(0, 1);
    if (database.contains(u'/')) Reject(text, "the database name may not contain \"/\"");
    location.backend = Backend::PostgreSQL;
    location.user = url.userName(QUrl::FullyDecoded).toStdString();
    location.host = url.host(QUrl::FullyDecoded).toStdString();
    location.port = url.port(-1);
    location.database = database.toStdString();
    return location;
  }
  Reject(text, kForms);
}

RepositoryLocation DefaultRepositoryLocation() {
  QString base;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && QDir::isAbsolutePath(QString::fromLocal8Bit(xdg)))
    base = QString::fromLocal8Bit(xdg);
  else
    base = QDir::homePath() + QStringLiteral("/.local/share");
  RepositoryLocation location;
  location.backend = Backend::SQLite;
  location.path = QDir::cleanPath(base + QStringLiteral("/ambrix/repository.sqlite3")).toStdString();
  return location;
}

RepositoryLocation InMemoryRepositoryLocation() {
  RepositoryLocation location;
  location.backend = Backend::SQLite;
  location.path = ":memory:";
  return location;
}

}  // namespace ambrix
