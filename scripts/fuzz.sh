#!/usr/bin/env bash
# Runs the fuzz targets (libFuzzer, under AddressSanitizer and UBSan) for
# SECONDS each (default 60): decoding a script's bytes, cutting and parsing
# batches, recognising and converting their objects.
#   scripts/fuzz.sh [SECONDS] [TARGET...]     TARGET: decode, parse, convert
# The work corpus grows in build-asan/fuzz-work/<target>/, seeded with the batches
# of the shared corpus (see scripts/corpus-dir.sh) and examples/ and with the regression inputs of
# tests/fuzz/<target>/. A crash, a sanitizer report or a hang stops the run
# with exit 1; its input is in build-asan/fuzz-work/findings/. Make it a regression
# input: copy it to tests/fuzz/<target>/ (the tests replay every file there).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-60}
shift || true
targets=("$@")
((${#targets[@]})) || targets=(decode parse convert)
case $seconds in '' | *[!0-9]*) echo "fuzz: SECONDS must be a whole number, not \"$seconds\"" >&2; exit 2 ;; esac

"$root/scripts/setup.sh" --asan
build=$root/build-asan
work=$build/fuzz-work
mkdir -p "$work/findings" "$work/seeds"

# Seeds: each batch of every sample script as a file of its own (small inputs
# are what the fuzzer mutates best), the whole files for the decoder.
seeds=$work/seeds
if [ ! -e "$seeds/.done" ]; then
  rm -rf "$seeds" && mkdir -p "$seeds/batches" "$seeds/files"
  # shellcheck source=corpus-dir.sh
  source "$root/scripts/corpus-dir.sh"
  corpus_root=$(corpus_dir "$root")
  for f in ${corpus_root:+"$corpus_root"/*/*.sql} "$root"/examples/*.sql; do
    [ -f "$f" ] || continue
    name=$(basename "$(dirname "$f")")-$(basename "$f" .sql)
    head -c 65536 "$f" >"$seeds/files/$name"
    awk -v dir="$seeds/batches" -v name="$name" '
      function flush() { if (text != "" && length(text) <= 65536) { n++; printf "%s", text > (dir "/" name "-" n); close(dir "/" name "-" n) } text = "" }
      { line = $0; sub(/\r$/, "", line) }
      toupper(line) ~ /^[ \t]*GO([ \t;].*)?$/ { flush(); next }
      { text = text $0 "\n" }
      END { flush() }' "$f"
  done
  touch "$seeds/.done"
fi

status=0
for target in "${targets[@]}"; do
  case $target in
    decode) seed=$seeds/files ;;
    parse | convert) seed=$seeds/batches ;;
    *) echo "fuzz: no target \"$target\" (decode, parse, convert)" >&2; exit 2 ;;
  esac
  corpus=$work/$target
  mkdir -p "$corpus"
  regression=$root/tests/fuzz/$target
  dirs=("$corpus" "$seed")
  [ -d "$regression" ] && dirs+=("$regression")
  echo "fuzz: $target for ${seconds}s" >&2
  # The first directory takes what the run finds; the others only seed it.
  if ! ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
      "$build/fuzz/${target}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
      -print_final_stats=1 -artifact_prefix="$work/findings/$target-" "${dirs[@]}" \
      2>"$work/$target.log"; then
    echo "fuzz: $target found a fault; its input is in $work/findings/ (see $work/$target.log)" >&2
    tail -40 "$work/$target.log" >&2
    status=1
  fi
  grep -E "^stat::number_of_executed_units|^stat::peak_rss_mb|^#[0-9]+.*DONE" "$work/$target.log" | sed "s/^/fuzz: $target: /" >&2 || true
done
exit $status
