#!/usr/bin/env bash
# Builds everything and runs every test: the full build, the repository tests on
# SQLite and on a throwaway PostgreSQL server on the loopback interface, then the
# core tests again under AddressSanitizer and UndefinedBehaviorSanitizer,
# and a short run of each fuzz target.
# Under CI (the environment variable CI set; .ci/run sets it) nothing may be
# skipped: a PostgreSQL server that does not start ends the run here, and a
# test that lacks the server or the shared corpus fails instead of skipping.
# Outside CI those tests skip and say why.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

"$root/scripts/setup.sh"

# shellcheck source=pg-test-server.sh
source "$root/scripts/pg-test-server.sh"
trap pg_test_server_stop EXIT
pg_test_server_for_tests
# The shared corpus of real scripts, where the tests look for it
# (tests/support/corpus_dir.h).
corpus_found() {
  if [ -n "${AMBRIX_CORPUS_DIR:-}" ]; then
    [ -d "$AMBRIX_CORPUS_DIR" ]
  else
    [ -d "$root/../shared/corpus" ] || [ -d "$root/../../shared/corpus" ]
  fi
}
if ! corpus_found; then
  if ci_run; then
    echo "test: error: CI is set and there is no corpus (../shared/corpus beside the sources, or the folder \$AMBRIX_CORPUS_DIR names)" >&2
    exit 1
  fi
  echo "test: no corpus: the corpus tests will be skipped" >&2
fi

export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$root/build" --output-on-failure -j "$jobs"

"$root/scripts/setup.sh" --asan
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir "$root/build-asan" --output-on-failure -j "$jobs"

# A short fuzzing run of each target, so that a regression the seeds reach
# shows here (scripts/fuzz.sh SECONDS for a longer one).
"$root/scripts/fuzz.sh" 20
