#!/usr/bin/env bash
# Times the whole `ambrix convert` on generated scripts of 1, 10 and 50 MB (or the
# sizes given) and prints the throughput and the peak resident memory against
# the input's size; then the conversion core alone (convert_core_bench): what
# one thread gets through, on one thread and on two.
#   bench/convert_bench.sh [SIZE_MB...]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh" >&2
gen=$root/build/bench/generate_script
ambrix=$root/build/src/cli/ambrix
core=$root/build/bench/convert_core_bench
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

# The core: MB/s of one thread, alone and beside a second one.
if [ -x "$core" ]; then
  echo
  printf '%-28s %14s\n' "core_benchmark" "MB/s/thread"
  "$core" >"$work/core.txt" 2>&1 || { cat "$work/core.txt" >&2; echo "convert_bench: $core failed" >&2; exit 3; }
  # Lines like "BM_ConvertScript/10/real_time/threads:1 ... MB/s/thread=31.4/s ...".
  awk '/^BM_ConvertScript\// {
    split($1, part, "/"); size = part[2] / 10; threads = part[4]; sub("threads:", "", threads)
    for (i = 2; i <= NF; i++) if ($i ~ /^MB\/s\/thread=/) { rate = $i; sub("MB/s/thread=", "", rate); sub("/s", "", rate) }
    printf "%-28s %14.2f\n", sprintf("%.1f MB, %s thread%s", size, threads, threads == 1 ? "" : "s"), rate
  }' "$work/core.txt"
fi
