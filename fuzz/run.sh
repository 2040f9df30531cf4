#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs one: fuzz/run.sh <target> [seconds].
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:?target name, e.g. brenmo_stream_fuzzer}
seconds=${2:-600}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPELK_BUILD_FUZZERS=ON -DPELK_BUILD_GUI=OFF > /dev/null
cmake --build build-fuzz --target "$target" write-sample-library > /dev/null
corpus=build-fuzz/corpus/$target
mkdir -p "$corpus"
build-fuzz/bin/write-sample-library "$corpus/sample.gds"
cp test-data/real/*.gds "$corpus/" 2>/dev/null || true
# A target over text (calvio_text_fuzzer) brings its own seeds and words.
name=${target%_fuzzer}
cp fuzz/"$name"_corpus/* "$corpus/" 2>/dev/null || true
dict=()
[ -f fuzz/"$name".dict ] && dict=(-dict=fuzz/"$name".dict)
build-fuzz/bin/"$target" "${dict[@]}" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 "$corpus"
