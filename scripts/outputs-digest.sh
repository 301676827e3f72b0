#!/usr/bin/env bash
# Prints one line per output of zorva-cli on the sample material (barcode texts, status
# fields, saved pictures, SVG files), with a digest of every file, so that two builds can
# be compared byte for byte after a change that must not change any result:
#   scripts/outputs-digest.sh [BUILD_DIR] > before.txt; ...; diff before.txt after.txt
# Timing fields (T(ms)=) are left out; everything else must match.
set -euo pipefail
cd "$(dirname "$0")/.."
cli=${1:-build}/bin/zorva-cli
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

pictures=(data/sample.jpg tests/samples/barcode/photo/*.png)
[ -d ../shared/corpus/plates-real ] && pictures+=(../shared/corpus/plates-real/*.jpg)
barcodes=(tests/samples/barcode/*/*.png)
[ -d ../shared/corpus/barcode-public ] && barcodes+=(../shared/corpus/barcode-public/*/*.png ../shared/corpus/barcode-public/*/*.jpg)

echo "== barcode"
for f in "${barcodes[@]}"; do
  [ -e "$f" ] && "$cli" barcode "$f" 2>&1 || true
done

ops=("palette:8" "palette:256" "segment:4,5 svg:1" "segment:2,5,x10 svg:0" "segment:8,3 svg:5"
     "segment8:2,5 svg:5" "segment8:6,1 svg:0" "segment8:3,2 svg:4" "barcode" "segment:3,5 barcode svg:2")
for f in "${pictures[@]}"; do
  name=$(basename "$f")
  for op in "${ops[@]}"; do
    rm -rf "$work"/*
    cp "$f" "$work/$name"
    # shellcheck disable=SC2086
    status=$("$cli" apply "$work/$name" -o "$work/out.bmp" $op 2>&1 | grep -v $'^11\t' || true)
    echo "== $name $op"
    echo "$status"
    (cd "$work" && for g in out.bmp *.svg; do [ -e "$g" ] && echo "$(sha256sum "$g" | cut -c1-16) $g"; done) || true
  done
done
