#!/usr/bin/env bash
# Builds everything, writes the bundled sample library and converts it to the
# text form with brenmo.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)"
mkdir -p build/sample
build/bin/write-sample-library build/sample/sample.gds
echo "== brenmo build/sample/sample.gds"
build/bin/brenmo build/sample/sample.gds
