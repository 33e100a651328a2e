#!/usr/bin/env bash
# Records the profile the release build is optimised with: builds the command
# line instrumented in build-pgo/, runs it on a training set, and keeps what it
# recorded in build-pgo/profile/. Done once; an existing complete profile is
# kept (remove build-pgo/ to record again after large changes). Called by
# scripts/setup.sh when AMBRIX_PGO=1, which installs the packages first.
#   scripts/pgo-profile.sh [CMAKE_OPTION...]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
dir=$root/build-pgo
profile=$dir/profile
[ -f "$profile/complete" ] && exit 0

jobs=$(nproc 2>/dev/null || echo 2)
echo "pgo-profile: building an instrumented ambrix to record the optimisation profile" >&2
# Configured with the options given (scripts/setup.sh gives those of the
# release build), so that the profile fits the build it is used in.
cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" -DAMBRIX_PGO=generate \
      "-DAMBRIX_PGO_DIR=$profile" >/dev/null
cmake --build "$dir" -j "$jobs" --target ambrix generate_script >/dev/null

rm -rf "$profile"
work=$(mktemp -d /tmp/ambrix-pgo.XXXXXX)
trap 'rm -rf "$work"' EXIT
ambrix=$dir/src/cli/ambrix
# Runs the instrumented program: a conversion whose objects partly fail (exit
# code 1) is training as good as any; anything worse stops the recording.
train() {
  local rc=0
  "$ambrix" "$@" >/dev/null 2>"$work/stderr" || rc=$?
  if [ "$rc" -gt 1 ]; then
    echo "pgo-profile: ambrix $1 failed with exit code $rc:" >&2
    tail -n 5 "$work/stderr" >&2
    exit 3
  fi
}
echo "pgo-profile: running the training set" >&2
# A large generated script in the layout SQL Server's script generator writes
# (another seed than the benchmark's), converted on all cores and on one.
"$dir/bench/generate_script" --size-mb 6 --seed 7 -o "$work/generated.sql"
train convert -q --keep-going "$work/generated.sql" -o "$work/generated.asa.sql"
train convert -q -j 1 --keep-going "$root/examples/demo.sql" "$root/examples/pubs.sql" -o "$work/examples.asa.sql"
# The project commands on a repository file.
repo=(--repository "sqlite:$work/repository.sqlite3")
train project create training "${repo[@]}"
train import training "$root/examples/demo.sql" "$root/examples/pubs.sql" "${repo[@]}"
train compile training --keep-going "${repo[@]}"
train generate training -o "$work/project.asa.sql" --keep-going "${repo[@]}"
train alarms training --format json "${repo[@]}"
[ -n "$(find "$profile" -name '*.gcda' -print -quit 2>/dev/null)" ] || {
  echo "pgo-profile: the training recorded nothing in $profile" >&2
  exit 3
}
touch "$profile/complete"
