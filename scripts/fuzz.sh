#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while:
#   scripts/fuzz.sh [SECONDS] [TARGET...]   (default 20 seconds; every target, or the named ones:
#                                            decoder, bmp, jpeg, png, barcode, barcode_chain,
#                                            base, segment, ...)
# A finding stops the run with the input that caused it saved in the working folder.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
shift || true
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
      -DZORVA_FUZZ=ON -DZORVA_TESTS=OFF >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target all

targets=()
if [ $# -eq 0 ]; then
  targets=(build-fuzz/bin/zorva_fuzz_*)
else
  for name in "$@"; do targets+=("build-fuzz/bin/zorva_fuzz_$name"); done
fi

seeds=$(mktemp -d)
trap 'rm -rf "$seeds"' EXIT
# Small pictures of every format as the decoder's starting points.
for f in png bmp gif jpg tif ico; do
  /usr/bin/convert data/sample.jpg -resize 24x "$seeds/seed.$f"
done
for target in "${targets[@]}"; do
  echo "== $(basename "$target") for ${seconds}s"
  corpus="$seeds/$(basename "$target")"
  mkdir -p "$corpus"
  cp "$seeds"/seed.* "$corpus"/
  log="$corpus.log"
  if ! QT_QPA_PLATFORM=offscreen "$target" -max_total_time="$seconds" -rss_limit_mb=4096 -print_final_stats=1 \
       "$corpus" > "$log" 2>&1; then
    tail -n 40 "$log"
    exit 1
  fi
  grep -E "^stat::number_of_executed_units" "$log" | sed 's/^stat::number_of_executed_units: */  executions: /'
done
