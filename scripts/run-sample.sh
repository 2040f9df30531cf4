#!/usr/bin/env bash
# Builds everything, writes the bundled sample library, converts it to the
# text form with brenmo and back into a stream with calvio, checks that
# the stream came back byte for byte (calvio pads it to 2048 bytes), and
# prints dressil's report of it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)"
mkdir -p build/sample
build/bin/write-sample-library build/sample/sample.gds
echo "== brenmo build/sample/sample.gds build/sample/sample.txt"
build/bin/brenmo build/sample/sample.gds build/sample/sample.txt
cat build/sample/sample.txt
echo "== calvio build/sample/sample.txt build/sample/sample_back.gds"
build/bin/calvio build/sample/sample.txt build/sample/sample_back.gds
size=$(stat -c %s build/sample/sample.gds)
if cmp -s -n "$size" build/sample/sample.gds build/sample/sample_back.gds \
   && [ -z "$(tail -c +$((size + 1)) build/sample/sample_back.gds | tr -d '\0')" ]; then
  echo "== round trip: the same $size bytes, padded with zeros to $(stat -c %s build/sample/sample_back.gds)"
else
  echo "== round trip: the stream came back different" >&2
  exit 1
fi
echo "== dressil build/sample/sample.gds"
build/bin/dressil build/sample/sample.gds
