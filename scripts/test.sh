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

# The shared corpus of real scripts, found before the build so that a CI run
# without it stops at once; the tests are told where it is.
# shellcheck source=corpus-dir.sh
source "$root/scripts/corpus-dir.sh"
# shellcheck source=pg-test-server.sh
source "$root/scripts/pg-test-server.sh"
corpus=$(corpus_dir "$root")
if [ -n "$corpus" ]; then
  export AMBRIX_CORPUS_DIR=$corpus
elif ci_run; then
  echo "test: error: CI is set and there is no corpus (../shared/corpus beside the sources or beside the repository they were cloned from, or the folder \$AMBRIX_CORPUS_DIR names)" >&2
  exit 1
else
  echo "test: no corpus: the corpus tests will be skipped" >&2
fi

"$root/scripts/setup.sh"

trap pg_test_server_stop EXIT
pg_test_server_for_tests
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$root/build" --output-on-failure -j "$jobs"

# The Debian package of that build, unpacked into a scratch root and checked.
"$root/scripts/package-check.sh" "$root/build"

"$root/scripts/setup.sh" --asan
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir "$root/build-asan" --output-on-failure -j "$jobs"

# A short fuzzing run of each target, so that a regression the seeds reach
# shows here (scripts/fuzz.sh SECONDS for a longer one).
"$root/scripts/fuzz.sh" 20
