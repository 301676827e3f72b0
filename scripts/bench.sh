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
for s in bench/*-compare.sh; do
  [ -e "$s" ] || continue
  echo "== $(basename "$s")"
  bash "$s" build-bench
done
