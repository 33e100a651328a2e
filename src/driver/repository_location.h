#pragma once

#include <string>

#include "driver/repository_statements.h"

namespace ambrix {

/// Where a repository lives and how to reach it. Written as text:
///   sqlite:PATH                          a SQLite file (created on first use)
///   sqlite::memory:                      a private SQLite database in memory
///   postgresql://user@host:port/db       a PostgreSQL server (postgres:// too)
/// A PostgreSQL password never appears here: libpq takes it from PGPASSWORD
/// or ~/.pgpass.
struct RepositoryLocation {
  Backend backend = Backend::SQLite;
  std::string path;      ///< SQLite: the file, or ":memory:"
  std::string host;      ///< PostgreSQL: empty for the client's default
  int port = -1;         ///< PostgreSQL: -1 for the client's default
  std::string database;  ///< PostgreSQL: empty for the client's default
  std::string user;      ///< PostgreSQL: empty for the client's default

  bool InMemory() const { return backend == Backend::SQLite && path == ":memory:"; }
  /// The location written back as text (the form ParseRepositoryLocation reads).
  std::string ToString() const;
};

/// Reads a location written as above; throws ambrix::Error with a message
/// naming the accepted forms when the text is none of them.
RepositoryLocation ParseRepositoryLocation(const std::string& text);

/// The default repository: $XDG_DATA_HOME/ambrix/repository.sqlite3, or
/// ~/.local/share/ambrix/repository.sqlite3 when XDG_DATA_HOME is unset or
/// not an absolute path.
RepositoryLocation DefaultRepositoryLocation();

/// A private in-memory SQLite repository (for one-shot conversions).
RepositoryLocation InMemoryRepositoryLocation();

}  // namespace ambrix
