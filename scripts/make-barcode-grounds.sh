#!/usr/bin/env bash
# Makes pictures without a number plate that a plate reader may take for one: EAN-13 barcodes with their
# digits under the bars (zint), 1 to 4 pixels a module, turned up to 6 degrees either way, on plasma grounds
# of 640 to 1240 x 480 to 880 pixels, slightly blurred, as JPEG named ean-N.jpg (no plate text). The plate
# check's limits on rows of characters that are no plate are fitted on them beside the generated plates.
#   scripts/make-barcode-grounds.sh --out DIR [--seed N] [COUNT]     (default 60 pictures, seed 6001)
set -euo pipefail
cd "$(dirname "$0")/.."
usage() { echo "usage: $0 --out DIR [--seed N] [COUNT]" >&2; exit 2; }
out='' seed=6001
while [ $# -gt 0 ]; do
  case $1 in
    --out) out=${2:-}; shift 2 ;;
    --seed) seed=${2:-}; shift 2 ;;
    -*) usage ;;
    *) break ;;
  esac
done
[ -n "$out" ] || usage
count=${1:-60}
scripts/deps.sh corpus
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
RANDOM=$seed
for i in $(seq 1 "$count"); do
  code=$(printf "%06d%06d" $((RANDOM % 1000000)) $((RANDOM * 7 % 1000000)))
  zint --barcode=13 --data="$code" --height=50 --scale=$((1 + RANDOM % 4)) --whitesp=8 -o "$work/code.png" >/dev/null
  width=$((640 + RANDOM % 600)) height=$((480 + RANDOM % 400)) turn=$((RANDOM % 13 - 6)) grey=$((60 + RANDOM % 150))
  low=$(printf "#%02x%02x%02x" "$grey" "$grey" "$grey")
  high=$(printf "#%02x%02x%02x" $((grey + 40)) $((grey + 35)) $((grey + 30)))
  convert -seed "$((seed + i))" -size "${width}x${height}" "plasma:$low-$high" \
    \( "$work/code.png" -background white -rotate "$turn" \) -gravity center \
    -geometry "+$((RANDOM % 100 - 50))+$((RANDOM % 100 - 50))" -composite \
    -blur "0x0.$((RANDOM % 9 + 1))" -quality 85 -strip "$out/ean-$i.jpg"
done
