#!/usr/bin/env bash
# Times the console programs on a generated library of about 200 MB (or the
# size in MB given as the first argument) and reports MB/s and peak memory.
set -euo pipefail
cd "$(dirname "$0")/.."
size=${1:-200}
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build > /dev/null
work=build/bench-data
mkdir -p "$work"
[ -f "$work/bench-$size.gds" ] || build/bin/generate-library "$work/bench-$size.gds" "$size" > /dev/null

# measure <label> <input> <output> <command...>: best of three runs, each
# writing a new output file as a conversion normally does.
measure() {
    local label=$1 input=$2 output=$3; shift 3
    local bytes best=999999 rss=0
    bytes=$(stat -c %s "$input")
    for _ in 1 2 3; do
        rm -f "$output"
        sync
        /usr/bin/time -f "%e %M" -o "$work/time" "$@" > /dev/null 2>&1 || { echo "$label failed"; return 1; }
        read -r secs kb < "$work/time"
        best=$(echo "$secs $best" | awk '{print ($1 < $2) ? $1 : $2}')
        rss=$kb
    done
    echo "$label: $(awk -v b="$bytes" -v s="$best" 'BEGIN{printf "%.0f MB in %.2f s = %.0f MB/s", b/1e6, s, b/1e6/s}'), peak RSS $((rss / 1024)) MB"
}

measure "brenmo" "$work/bench-$size.gds" "$work/bench-$size.txt" build/bin/brenmo -q "$work/bench-$size.gds" "$work/bench-$size.txt"
if [ -x build/bin/calvio ]; then
    measure "calvio" "$work/bench-$size.txt" "$work/bench-$size.out.gds" build/bin/calvio -q "$work/bench-$size.txt" "$work/bench-$size.out.gds"
fi
if [ -x build/bin/dressil ]; then
    measure "dressil" "$work/bench-$size.gds" "$work/bench-$size.report" build/bin/dressil -q "$work/bench-$size.gds" "$work/bench-$size.report"
fi
