// `ambrix repository init`: sets up the repository the command line names.
#include <cstdio>

#include "cli/app.h"
#include "driver/repository_init.h"
#include "driver/repository_location.h"

namespace ambrix::cli {

int App::RepositoryInit() {
  const auto text = inv_.Value("repository");
  const RepositoryLocation location = text ? ParseRepositoryLocation(*text) : DefaultRepositoryLocation();
  const std::string done = InitRepository(location).Describe() + "\n";
  std::fwrite(done.data(), 1, done.size(), stdout);
  return kExitOk;
}

}  // namespace ambrix::cli
