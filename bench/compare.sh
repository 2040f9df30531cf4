#!/usr/bin/env bash
# Times each console program beside the floor the machine sets for its job,
# in alternating runs: brenmo and dressil beside a bare walk over the
# library's record headers, calvio beside `cat` of its text, and brenmo
# -cell into a file beside the same run into standard output. Prints medians,
# ratios and peak memory. Usage: [BEFORE=<bin folder>] bench/compare.sh [megabytes] [runs]
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

# run <input> <output> <command...>: prints "seconds peak-KB" of one run,
# timed to the microsecond (time's own figure has only ten milliseconds).
run() {
    local input=$1 output=$2 start end; shift 2
    # A floor run names no output file of its own.
    [ "$output" = - ] || rm -f "$output"
    # Write back the last run's output, so that no run pays for another, and
    # read the input once untimed, so that every run finds it in the cache.
    sync
    cat "$input" > /dev/null
    start=$(date +%s%N)
    /usr/bin/time -f "%M" -o "$work/time" "$@" > /dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
    end=$(date +%s%N)
    echo "$(( (end - start) / 1000 ))e-6 $(cat "$work/time")"
}

median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

# report <label> <input> <seconds> <floor label> <floor seconds> <peak KB>
report() {
    awk -v l="$1" -v b="$(stat -c %s "$2")" -v t="$3" -v fl="$4" -v f="$5" -v kb="$6" 'BEGIN {
        printf "%s: %.0f MB in %.2f s = %.0f MB/s; %s %.2f s; ratio %.1fx; peak RSS %.1f MiB\n",
               l, b / 1e6, t, b / 1e6 / t, fl, f, t / f, kb / 1024 }'
}

# compare <label> <input> <floor label> <floor command> -- <output> <program> <arguments...>
# With BEFORE set to another build's bin folder, its program runs in the same
# alternation, so that before and after are measured under the same load.
compare() {
    local label=$1 input=$2 floorLabel=$3 floorCommand=$4 output=$6 program=$7; shift 7
    local floorTimes=() times=() beforeTimes=() peak=0 beforePeak=0
    for _ in $(seq "$runs"); do
        read -r s _ < <(run "$input" - $floorCommand)
        floorTimes+=("$s")
        if [ -n "${BEFORE:-}" ]; then
            read -r s kb < <(run "$input" "$output" "$BEFORE/$program" "$@")
            beforeTimes+=("$s")
            [ "$kb" -gt "$beforePeak" ] && beforePeak=$kb
        fi
        read -r s kb < <(run "$input" "$output" "build/bin/$program" "$@")
        times+=("$s")
        [ "$kb" -gt "$peak" ] && peak=$kb
    done
    local f
    f=$(printf '%s\n' "${floorTimes[@]}" | median)
    [ -n "${BEFORE:-}" ] && report "$label (before)" "$input" "$(printf '%s\n' "${beforeTimes[@]}" | median)" \
        "$floorLabel" "$f" "$beforePeak"
    report "$label" "$input" "$(printf '%s\n' "${times[@]}" | median)" "$floorLabel" "$f" "$peak"
}

walk="build/bin/record-walk $library"
compare brenmo "$library" "record walk" "$walk" -- "$work/out.txt" brenmo -q "$library" "$work/out.txt"
compare calvio "$work/bench-$size.txt" cat "cat $work/bench-$size.txt" -- "$work/out.gds" \
    calvio -q "$work/bench-$size.txt" "$work/out.gds"
compare dressil "$library" "record walk" "$walk" -- "$work/out.report" dressil -q "$library" "$work/out.report"
compare "dressil, 200,000 structures" "$small" "record walk" "build/bin/record-walk $small" -- "$work/small.report" \
    dressil -q "$small" "$work/small.report"
# The filter switches the text's target several times per structure, which
# must cost about the same into a file as into standard output.
compare "brenmo -cell, 200,000 structures" "$small" "into standard output" "build/bin/brenmo -q -cell=CELL_5 $small" \
    -- "$work/cell.txt" brenmo -q -cell=CELL_5 "$small" "$work/cell.txt"
