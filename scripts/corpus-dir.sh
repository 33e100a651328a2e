# Sourced by the test and fuzz scripts: `corpus_dir ROOT` prints the folder of
# the shared corpus of real SQL Server scripts, or nothing when there is none:
# $AMBRIX_CORPUS_DIR, else shared/corpus beside the sources or beside the
# folder of the developers' worktrees (as tests/support/corpus_dir.h looks),
# else beside the repository a fresh clone was made from (a clone in a
# temporary folder, as CI makes one, has no shared folder of its own).
corpus_dir() {
  local root=$1 origin
  if [ -n "${AMBRIX_CORPUS_DIR:-}" ]; then
    [ -d "$AMBRIX_CORPUS_DIR" ] && (cd "$AMBRIX_CORPUS_DIR" && pwd)
    return 0
  fi
  for dir in "$root/../shared/corpus" "$root/../../shared/corpus"; do
    if [ -d "$dir" ]; then (cd "$dir" && pwd); return 0; fi
  done
  origin=$(git -C "$root" remote get-url origin 2>/dev/null) || return 0
  if [ -d "$origin" ] && [ -d "$origin/../shared/corpus" ]; then (cd "$origin/../shared/corpus" && pwd); fi
  return 0
}
