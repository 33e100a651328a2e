#!/usr/bin/env bash
# Installs what is missing, builds, and runs the `ambrix` command with the given arguments.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# Only the command line: the window program, the tests and the benchmarks are
# built by scripts/test.sh (in the same build/, reusing what this built).
"$root/scripts/setup.sh" ambrix >&2
if [ ! -x "$root/build/src/cli/ambrix" ]; then
  echo "ambrix: the command line is not built yet" >&2
  exit 3
fi
exec "$root/build/src/cli/ambrix" "$@"
