#include "driver/repository_init.h"

#include <algorithm>

#include "text/error.h"

namespace ambrix {

std::string RepositoryInitResult::Describe() const {
  std::string line;
  switch (outcome) {
    case Outcome::Installed:
      line = "installed schema version " + std::to_string(toVersion) + " into " + location;
      break;
    case Outcome::Upgraded:
      line = "upgraded " + location + " from schema version " + std::to_string(fromVersion) + " to " +
             std::to_string(toVersion);
      break;
    case Outcome::UpToDate:
      line = location + " is already up to date (schema version " + std::to_string(toVersion) + ")";
      break;
  }
  if (dialectRowsChanged) line += "; the dialect rows the program carries were brought up to date";
  return line;
}

RepositoryInitResult InitRepository(Repository& repository) {
  RepositoryInitResult result;
  result.location = repository.location().ToString();
  // Of two programs installing at once, the second finds the repository
  // made and goes on to look at it as an installed one.
  if (repository.IsEmpty() && repository.InstallIfEmpty(true)) {
    result.outcome = RepositoryInitResult::Outcome::Installed;
    return result;
  }
  if (!repository.IsInstalled()) {
    std::vector<std::string> tables = repository.TableNames();
    std::sort(tables.begin(), tables.end());
    std::string list;
    for (std::size_t i = 0; i < tables.size() && i < 5; ++i) list += (i ? ", " : "") + tables[i];
    if (tables.size() > 5) list += ", ... (" + std::to_string(tables.size()) + " tables)";
    throw RepositoryError("The database " + result.location + " holds tables that are not a repository of this program (" +
                          list + "); a repository is installed only into an empty database");
  }
  const RepositoryUpgrade upgrade = repository.Upgrade();
  result.fromVersion = upgrade.fromVersion;
  result.toVersion = upgrade.toVersion;
  result.dialectRowsChanged = upgrade.dialectRowsChanged;
  result.outcome = upgrade.fromVersion < upgrade.toVersion ? RepositoryInitResult::Outcome::Upgraded
                                                           : RepositoryInitResult::Outcome::UpToDate;
  return result;
}

RepositoryInitResult InitRepository(const RepositoryLocation& location) {
  return InitRepository(*Repository::Connect(location));
}

}  // namespace ambrix
