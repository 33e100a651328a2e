#!/usr/bin/env bash
# Times the whole `ambrix convert` on generated scripts of 1, 10 and 50 MB (or the
# sizes given) and prints the throughput and the peak resident memory.
#   bench/convert_bench.sh [SIZE_MB...]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh" >&2
gen=$root/build/bench/generate_script
ambrix=$root/build/src/cli/ambrix
[ -x "$ambrix" ] || { echo "convert_bench: $ambrix is not built" >&2; exit 3; }
work=$(mktemp -d /tmp/ambrix-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1 10 50)
printf '%8s %12s %10s %10s %14s %8s\n' "size_MB" "input_bytes" "seconds" "MB/s" "peak_RSS_MB" "RSS/in"
for mb in "${sizes[@]}"; do
  in=$work/bench_${mb}mb.sql
  "$gen" --size-mb "$mb" --seed 1 -o "$in"
  bytes=$(stat -c %s "$in")
  /usr/bin/time -v -o "$work/time.txt" "$ambrix" convert -q --keep-going "$in" -o "$work/out.sql" \
      >/dev/null 2>"$work/stderr.txt" || true
  secs=$(awk -F': ' '/Elapsed \(wall clock\)/ {n=split($2,p,":"); s=0; for(i=1;i<=n;i++) s=s*60+p[i]; print s}' "$work/time.txt")
  rss=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time.txt")
  awk -v b="$bytes" -v s="$secs" -v r="$rss" -v mb="$mb" 'BEGIN {
    m = b / 1048576; printf "%8s %12d %10.2f %10.2f %14.1f %8.2f\n", mb, b, s, (s > 0 ? m / s : 0), r / 1024, (r * 1024) / b }'
done
