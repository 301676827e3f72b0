#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a short while
#   scripts/fuzz.sh [SECONDS]   (default 20 per target)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
      -DZORVA_FUZZ=ON -DZORVA_TESTS=OFF >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target all

seeds=$(mktemp -d)
trap 'rm -rf "$seeds"' EXIT
# Small pictures of every format as the decoder's starting points.
for f in png bmp gif jpg tif ico; do
  /usr/bin/convert data/sample.jpg -resize 24x "$seeds/seed.$f"
done
for target in build-fuzz/bin/zorva_fuzz_*; do
  echo "== $(basename "$target") for ${seconds}s"
  corpus="$seeds/$(basename "$target")"
  mkdir -p "$corpus"
  cp "$seeds"/seed.* "$corpus"/
  QT_QPA_PLATFORM=offscreen "$target" -max_total_time="$seconds" -rss_limit_mb=4096 -print_final_stats=0 \
    "$corpus" 2>&1 | tail -n 2
done
