#!/usr/bin/env bash
# Builds and runs every benchmark, then the comparison scripts against other tools.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh bench
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DZORVA_TESTS=OFF -DZORVA_BENCH=ON >/dev/null
cmake --build build-bench
for b in build-bench/bin/zorva_bench_*; do
  echo "== $(basename "$b")"
  "$b" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
done
# Each comparison script times its own benchmark binary beside the other tool.
echo "== barcode-compare.sh"
bash bench/barcode-compare.sh build-bench/bin/zorva_bench_barcode
echo "== segment-compare.sh"
bash bench/segment-compare.sh build-bench/bin/zorva_bench_segment
echo "== effects-compare.sh"
bash bench/effects-compare.sh build-bench/bin/zorva_bench_effects
echo "== open-compare.sh"
bash bench/open-compare.sh build-bench/bin/zorva_open_paint
# Whole runs of zorva-cli beside ImageMagick, GraphicsMagick and libvips on the same photos.
echo "== process-compare.sh"
bash bench/process-compare.sh build-bench/bin/zorva-cli
