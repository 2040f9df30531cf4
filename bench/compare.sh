#!/usr/bin/env bash
# Times each console program beside the floor the machine sets for its job,
# in alternating runs: brenmo and dressil beside a bare walk over the
# library's record headers, calvio beside `cat` of its text. Prints medians,
# ratios and peak memory. Usage: bench/compare.sh [megabytes] [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
size=${1:-1000}
runs=${2:-5}
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build > /dev/null
work=build/bench-data
mkdir -p "$work"
library=$work/bench-$size.gds
small=$work/small-200000.gds
[ -f "$library" ] || build/bin/generate-library "$library" "$size" > /dev/null
[ -f "$small" ] || build/bin/generate-library "$small" 200 200000 > /dev/null
[ -f "$work/bench-$size.txt" ] || build/bin/brenmo -q "$library" "$work/bench-$size.txt"

# run <output> <command...>: prints "seconds peak-KB" of one run, timed to
# the microsecond (time's own figure has only ten milliseconds).
run() {
    local output=$1 start end; shift
    rm -f "$output"
    start=$(date +%s%N)
    /usr/bin/time -f "%M" -o "$work/time" "$@" > /dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
    end=$(date +%s%N)
    echo "$(( (end - start) / 1000 ))e-6 $(cat "$work/time")"
}

median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

# compare <label> <input> <floor label> <floor command> -- <output> <command...>
compare() {
    local label=$1 input=$2 floorLabel=$3 floorCommand=$4 output=$6; shift 6
    local floorTimes=() times=() peak=0
    for _ in $(seq "$runs"); do
        read -r s _ < <(run /dev/null $floorCommand)
        floorTimes+=("$s")
        read -r s kb < <(run "$output" "$@")
        times+=("$s")
        [ "$kb" -gt "$peak" ] && peak=$kb
    done
    local f t bytes
    f=$(printf '%s\n' "${floorTimes[@]}" | median)
    t=$(printf '%s\n' "${times[@]}" | median)
    bytes=$(stat -c %s "$input")
    awk -v l="$label" -v fl="$floorLabel" -v f="$f" -v t="$t" -v b="$bytes" -v kb="$peak" 'BEGIN {
        printf "%s: %.0f MB in %.2f s = %.0f MB/s; %s %.2f s; ratio %.1fx; peak RSS %.1f MiB\n",
               l, b / 1e6, t, b / 1e6 / t, fl, f, t / f, kb / 1024 }'
}

walk="build/bin/record-walk $library"
compare brenmo "$library" "record walk" "$walk" -- "$work/out.txt" build/bin/brenmo -q "$library" "$work/out.txt"
compare calvio "$work/bench-$size.txt" cat "cat $work/bench-$size.txt" -- "$work/out.gds" \
    build/bin/calvio -q "$work/bench-$size.txt" "$work/out.gds"
compare dressil "$library" "record walk" "$walk" -- "$work/out.report" build/bin/dressil -q "$library" "$work/out.report"
compare "dressil, 200,000 structures" "$small" "record walk" "build/bin/record-walk $small" -- "$work/small.report" \
    build/bin/dressil -q "$small" "$work/small.report"
