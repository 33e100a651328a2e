#pragma once

// Where the shared corpus of real SQL Server scripts is: $AMBRIX_CORPUS_DIR,
// or the shared folder beside the main tree or beside the folder of the
// developers' worktrees. Empty when there is none (the tests then skip, or
// fail under CI: see skip_outside_ci.h).

#include <cstdlib>
#include <filesystem>

namespace ambrix::test {

inline constexpr const char* kNoCorpus =
    "no corpus: neither ../shared/corpus beside the sources nor a folder named by $AMBRIX_CORPUS_DIR";

inline std::filesystem::path CorpusDir() {
  namespace fs = std::filesystem;
  if (const char* dir = std::getenv("AMBRIX_CORPUS_DIR"); dir != nullptr && *dir != '\0')
    return fs::is_directory(dir) ? fs::path(dir) : fs::path();
  const fs::path source(AMBRIX_SOURCE_DIR);
  for (const fs::path& candidate : {source / ".." / "shared" / "corpus", source / ".." / ".." / "shared" / "corpus"})
    if (fs::is_directory(candidate)) return fs::canonical(candidate);
  return {};
}

}  // namespace ambrix::test
