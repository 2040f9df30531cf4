#!/usr/bin/env bash
# calvio's benchmark: the text form of a generated library of about 200 MB,
# converted back into a stream; prints MB of text per second and peak memory.
# Usage: calvio_bench.sh <calvio_bench_library> <brenmo> <calvio> <work folder>
set -euo pipefail
generator=$1 brenmo=$2 calvio=$3 work=$4
mkdir -p "$work"
gds="$work/calvio_bench.gds" text="$work/calvio_bench.txt" back="$work/calvio_bench_back.gds"
if [ ! -s "$text" ]; then
  "$generator" "$gds" 4100
  "$brenmo" -q "$gds" "$text"
fi
bytes=$(stat -c %s "$text")
best=""
for run in 1 2 3; do
  /usr/bin/time -f "%e %M" -o "$work/calvio_bench.time" "$calvio" -q "$text" "$back"
  read -r seconds rss <"$work/calvio_bench.time"
  echo "run $run: ${seconds} s, peak RSS ${rss} KB"
  if [ -z "$best" ] || awk "BEGIN{exit !($seconds < $best)}"; then best=$seconds best_rss=$rss; fi
done
awk -v b="$bytes" -v s="$best" -v r="$best_rss" 'BEGIN{
  printf "calvio: %.1f MB of text in %.2f s: %.0f MB/s, peak RSS %.1f MB\n", b/1e6, s, b/1e6/s, r/1024 }'
