#pragma once

#include <string>

#include "driver/repository.h"

namespace ambrix {

/// What setting up a repository did.
struct RepositoryInitResult {
  enum class Outcome {
    Installed,  ///< the database was empty: the schema and the dialect rows are in it now
    Upgraded,   ///< it held an earlier schema of this program, brought up to date
    UpToDate,   ///< it held this version's schema already (dialect rows may have been updated)
  };
  Outcome outcome = Outcome::UpToDate;
  int fromVersion = 0;  ///< the schema version found; 0 when installed
  int toVersion = kRepositorySchemaVersion;
  bool dialectRowsChanged = false;
  std::string location;  ///< where, as a location text

  /// One line saying what was done ("installed schema version 4 into ...").
  std::string Describe() const;
};

/// Sets up the repository at `location` (the command `ambrix repository init`
/// and the window's "install/upgrade"): installs the schema and the dialect
/// rows into an empty database, upgrades a repository an earlier version of
/// the program made, and leaves one that is up to date as it is; safe to run
/// again. Throws RepositoryError, changing nothing, when the database holds
/// tables that are not a repository of this program.
RepositoryInitResult InitRepository(const RepositoryLocation& location);

/// The same on a connected repository.
RepositoryInitResult InitRepository(Repository& repository);

}  // namespace ambrix
