#!/usr/bin/env bash
# Draws the bundled sample photo data/sample.jpg: a sunny country scene with a
# parcel carrying an EAN-13 label, so that the editor and the barcode reader
# both have something to show. Needs zint and ImageMagick (scripts/deps.sh corpus).
set -euo pipefail
cd "$(dirname "$0")/.."
im=/usr/bin/convert
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

zint --barcode=13 --data=460123456789 --height=50 --scale=1.5 --whitesp=8 -o "$tmp/code.png"

$im -size 1280x860 gradient:'#4f86d3'-'#d7e8f6' \
  \( -size 1280x860 xc:none -fill '#fff6c8' -draw 'circle 1040,150 1040,205' -blur 0x6 \) -composite \
  \( -size 1280x860 xc:none -fill '#6d8f5a' \
     -draw 'path "M 0,520 C 180,400 360,430 520,500 C 700,420 900,380 1280,470 L 1280,860 L 0,860 Z"' -blur 0x3 \) -composite \
  \( -size 1280x860 xc:none -fill '#4f8a3a' \
     -draw 'path "M 0,600 C 300,540 700,560 1280,590 L 1280,860 L 0,860 Z"' \) -composite \
  -fill '#b23a2c' -draw 'rectangle 170,470 430,650' \
  -fill '#6e2a20' -draw 'polygon 150,475 300,360 450,475' \
  -fill '#f4e7b0' -draw 'rectangle 205,515 265,570' -draw 'rectangle 335,515 395,570' \
  -fill '#5b3a1e' -draw 'rectangle 280,580 320,650' \
  -fill '#5a3d22' -draw 'rectangle 610,470 632,640' \
  -fill '#2f6b2a' -draw 'circle 621,430 621,350' -fill '#3b7d31' -draw 'circle 585,455 585,400' \
  -draw 'circle 660,450 660,395' \
  -fill '#c89b5c' -draw 'polygon 770,560 1180,560 1180,800 770,800' \
  -fill '#a97b40' -draw 'polygon 770,560 830,520 1230,520 1180,560' \
  -fill '#8c6534' -draw 'polygon 1180,560 1230,520 1230,760 1180,800' \
  "$tmp/scene.png"

$im "$tmp/scene.png" "$tmp/code.png" -geometry +781+598 -composite \
  -attenuate 0.35 +noise Gaussian -blur 0x0.6 -quality 90 data/sample.jpg
ls -l data/sample.jpg
