#!/usr/bin/env bash
# Installs what the build and the tests need (when missing), then configures and
# builds incrementally.  Used by both commands of the README.
#   scripts/setup.sh [TARGET...]     release build in build/: the targets named (scripts/ambrix.sh
#                                    builds only `ambrix`), or everything
#   AMBRIX_PGO=1 scripts/setup.sh    the same, optimised with the profile scripts/pgo-profile.sh
#                                    records once (AMBRIX_PGO=0: without again); build/ keeps the
#                                    choice until it is made again
#   scripts/setup.sh --asan          core-only AddressSanitizer+UBSan build in build-asan/, made
#                                    with clang so that it also holds the fuzz targets
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

packages=(g++ cmake make pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev libqt6sql6-sqlite libsqlite3-dev libqt6sql6-psql libjemalloc-dev time python3)
# What only the whole build and its tests need, left out of a run that builds
# named targets (the first run's `ambrix`): the PostgreSQL server the tests
# start, the browser the conversion report is tested in
# (tests/report/browser_test.py), and the tools that make and check the
# Debian package. (python3 is in the first list: configuring looks for it to
# register the browser test.)
if [ $# -eq 0 ]; then
  packages+=(postgresql chromium chromium-driver dpkg-dev file man-db groff-base desktop-file-utils)
fi
# The sanitizer build is clang's: libFuzzer comes with it.
[ "${1:-}" = "--asan" ] && packages+=(clang libclang-rt-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}" >&2
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

jobs=$(nproc 2>/dev/null || echo 2)
if [ "${1:-}" = "--asan" ]; then
  # A folder configured for another compiler is made again.
  if [ -f "$root/build-asan/CMakeCache.txt" ] &&
     ! grep -q "^CMAKE_CXX_COMPILER:[A-Z]*=.*clang++" "$root/build-asan/CMakeCache.txt"; then
    rm -rf "$root/build-asan"
  fi
  cmake -S "$root" -B "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug -DAMBRIX_SANITIZE=ON -DAMBRIX_FUZZ=ON \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
        -DAMBRIX_CORE_ONLY=ON -DAMBRIX_BUILD_BENCH=OFF >/dev/null
  cmake --build "$root/build-asan" -j "$jobs"
else
  # Both README commands configure build/ alike, so that the tests' build
  # reuses what the first run built. The profile is asked for explicitly; a
  # folder keeps what it was configured with when AMBRIX_PGO is not given.
  # -O2, the code the release build has always been, without debugging
  # information, which makes the first build longer (GCC 12 at -O3 also
  # gives a dozen false -Wrestrict and -Wmismatched-new-delete warnings).
  release=(-DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG")
  pgo=()
  case "${AMBRIX_PGO:-}" in
    "") ;;
    0) pgo=(-DAMBRIX_PGO=) ;;
    *)
      if "$root/scripts/pgo-profile.sh" "${release[@]}"; then
        pgo=(-DAMBRIX_PGO=use "-DAMBRIX_PGO_DIR=$root/build-pgo/profile")
      else
        echo "setup: the optimisation profile could not be recorded; building without it" >&2
        pgo=(-DAMBRIX_PGO=)
      fi ;;
  esac
  targets=()
  for t in "$@"; do targets+=(--target "$t"); done
  cmake -S "$root" -B "$root/build" "${release[@]}" "${pgo[@]}" >/dev/null
  cmake --build "$root/build" -j "$jobs" "${targets[@]}"
fi
