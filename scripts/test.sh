#!/usr/bin/env bash
# Builds everything and runs every test: once as a release build, once with
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELK_WARNINGS_AS_ERRORS=ON
cmake --build build -j "$jobs"
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j "$jobs"
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPELK_SANITIZE=ON -DPELK_WARNINGS_AS_ERRORS=ON
cmake --build build-sanitize -j "$jobs"
QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 ctest --test-dir build-sanitize --output-on-failure -j "$jobs"
