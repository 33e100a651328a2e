#!/usr/bin/env bash
# Builds everything and runs every test: the full build, the repository tests on
# SQLite and on a throwaway PostgreSQL server on the loopback interface, then the
# core tests again under AddressSanitizer and UndefinedBehaviorSanitizer, and
# a short run of each fuzz target.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

"$root/scripts/setup.sh"

# shellcheck source=pg-test-server.sh
source "$root/scripts/pg-test-server.sh"
pg_test_server_start || echo "test: PostgreSQL server not started; its tests will be skipped" >&2
trap pg_test_server_stop EXIT

export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$root/build" --output-on-failure -j "$jobs"

"$root/scripts/setup.sh" --asan
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir "$root/build-asan" --output-on-failure -j "$jobs"

# A short fuzzing run of each target, so that a regression the seeds reach
# shows here (scripts/fuzz.sh SECONDS for a longer one).
"$root/scripts/fuzz.sh" 20
