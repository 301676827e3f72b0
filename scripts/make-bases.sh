#!/usr/bin/env bash
# Makes the three shipped symbol bases data/bases/BazaDan1..3.zdb with the program's own "Создание базы":
# renders one silhouette picture per base (one glyph per record, in the record order of the base's label
# table), runs `zorva-cli make-base` on it and checks that every glyph became exactly one record.
#   scripts/make-bases.sh [--face fonts|gost] [--out DIR] [BUILD_DIR]
# BUILD_DIR defaults to build (zorva-cli is built there when missing). --face gost draws bases 1 and 2 from
# our own drawing of the plate typeface (scripts/plate-font/gost-glyphs.py) instead of the fonts; --out
# writes the bases somewhere other than data/bases, to measure them before they are shipped.
set -euo pipefail
cd "$(dirname "$0")/.."
export LC_ALL=C.UTF-8  # the glyph lists are read one character, not one byte, at a time
face=fonts
out=data/bases
while [ $# -gt 0 ]; do
  case $1 in
    --face) face=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    -*) echo "usage: $0 [--face fonts|gost] [--out DIR] [BUILD_DIR]" >&2; exit 2 ;;
    *) break ;;
  esac
done
[ "$face" = fonts ] || [ "$face" = gost ] || { echo "$0: unknown face $face" >&2; exit 2; }
build=${1:-build}
scripts/deps.sh bases
if [ ! -x "$build/bin/zorva-cli" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZORVA_TESTS=OFF >/dev/null
  cmake --build "$build" -j1 --target zorva-cli
fi
cli=$(realpath "$build/bin/zorva-cli")
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 scripts/plate-font/gost-glyphs.py "$work/gost"

# The typeface of Russian number plates (GOST R 50577) is a narrow grotesque with an even stroke:
# Open DIN (a DIN 1451 face, condensed) is closest; osifont (ISO 3098 lettering) drawn with a thick
# outline gives the same shapes with perfectly even strokes. Base 3 uses DejaVu Sans.
din=/usr/share/fonts/truetype/opendin/OSP-DIN.ttf
iso=/usr/share/fonts/truetype/osifont/osifont.ttf
sans=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf

# Plate proportions: a digit is 76 mm high and about 46 wide, a letter 58 mm high and about 50 wide;
# the silhouettes are drawn 100 pixels high for digits and 76 for letters.
digit_box=(60 100)
letter_box=(66 76)

# glyph OUT CHAR FONT WIDTH HEIGHT VARIANT: one silhouette, black on white with an 8-pixel margin.
# The glyph is drawn large, changed as the variant says, cut to its box and squeezed into
# WIDTH x HEIGHT (0 x 0 keeps the font's own size and proportions), made two-coloured, and its holes
# filled (everything the white ground does not reach from the corner turns black): one record per
# glyph, no segments inside. FONT gost:SET takes the glyph of that set of the plate drawing (main,
# thin, region2, region3), rendered 240 pixels high.
glyph() {
  local out=$1 char=$2 font=$3 width=$4 height=$5 variant=$6
  local draw=() change=() size=() points=240
  case $variant in
    plain) ;;
    even) draw=(-stroke black -strokewidth 14) ;;                   # osifont with plate-thick strokes
    worn) change=(-morphology Dilate Disk:5 -seed 3 -spread 6 -blur 0x4 -threshold 50%) ;;  # thinner, ragged
    bold) change=(-morphology Erode Disk:8) ;;                      # strokes about 16 pixels thicker
    slant) change=(-background white -shear 9x0) ;;                 # leaning 9 degrees
    # Turned 4 degrees clockwise: a flat foot's right end becomes the lowest pixel, where the outline
    # (and so the profile) starts; a plate photographed slightly turned that way needs this record.
    tilt) change=(-background white -rotate 4) ;;
    low) width=$((width / 5)); height=$((height / 5)) ;;            # a fifth of the size: a distant plate
    *) echo "unknown variant $variant" >&2; exit 1 ;;
  esac
  # The font's own size: capitals about 90 pixels high.
  if [ "$width" -gt 0 ]; then size=(-resize "${width}x${height}!"); else points=120; fi
  local source=(-background white -fill black -font "$font" -pointsize "$points" "${draw[@]}" label:"$char")
  if [ "${font#gost:}" != "$font" ]; then
    rsvg-convert -h 240 -b white "$work/gost/${font#gost:}-$char.svg" -o "$work/drawn.png"
    source=("$work/drawn.png")
  fi
  convert "${source[@]}" \
    -bordercolor white -border 20 "${change[@]}" -trim +repage "${size[@]}" -threshold 50% \
    -bordercolor white -border 8 -fill red -draw "color 0,0 floodfill" \
    -fill black +opaque red -fill white -opaque red -type bilevel "$out"
}

# sheet K: stacks $work/K/cell-*.png bottom-up (record 0 lowest: segments are numbered from the bottom
# row up, so each glyph's first pixel comes after those of the records below it), runs make-base on
# the sheet and checks the base: one record per cell, record i from segment i + 2.
sheet() {
  local k=$1 count=$2
  local cells=()
  for ((i = count - 1; i >= 0; --i)); do cells+=("$work/$k/cell-$(printf %03d "$i").png"); done
  convert "${cells[@]}" -background white -gravity center -append +repage -bordercolor white -border 12 \
    -type bilevel -define png:exclude-chunk=date,time "$work/BazaDan$k-silhouettes.png"
  "$cli" make-base "$work/BazaDan$k-silhouettes.png" >/dev/null
  local base="$work/BazaDan$k-silhouettes.zdb"
  local size
  size=$(stat -c %s "$base")
  if [ "$size" -ne $((count * 512)) ]; then
    echo "base $k: $((size / 512)) records from $count glyphs" >&2; exit 1
  fi
  for ((i = 0; i < count; ++i)); do
    local n
    n=$(od -An -tu2 -j $((i * 512 + 288)) -N2 "$base" | tr -d ' ')
    if [ "$n" -ne $((i + 1)) ]; then echo "base $k: record $i comes from segment $((n + 1))" >&2; exit 1; fi
  done
  cp "$base" "$out/BazaDan$k.zdb.tmp" && mv "$out/BazaDan$k.zdb.tmp" "$out/BazaDan$k.zdb"
  cp "$work/BazaDan$k-silhouettes.png" "$out/.silhouettes.tmp" && mv "$out/.silhouettes.tmp" "$out/BazaDan$k-silhouettes.png"
  echo "BazaDan$k.zdb: $count records"
}

# cells K FIRST SYMBOLS FONT WIDTH HEIGHT VARIANTS...: one cell per symbol from record FIRST on, with
# one variant for all or one per symbol.
cells() {
  local k=$1 first=$2 symbols=$3 font=$4 width=$5 height=$6
  shift 6
  local variants=("$@")
  mkdir -p "$work/$k"
  local i=0 char
  while IFS= read -r -n1 char; do
    [ -z "$char" ] && continue
    glyph "$work/$k/cell-$(printf %03d $((first + i))).png" "$char" "$font" "$width" "$height" \
      "${variants[$((i % ${#variants[@]}))]}"
    i=$((i + 1))
  done < <(printf %s "$symbols")
}

# The faces of the two plate sets: the fonts, or the plate drawing, whose second digit set is the region's
# digits at their own proportions (40 x 62 mm: 65 x 100 pixels) and whose second letter set is drawn with
# the region's thinner pen.
first=$din second=$iso second_variant=even digits2_box=("${digit_box[@]}") letters2=$iso
if [ "$face" = gost ]; then
  first=gost:main second=gost:region2 second_variant=plain digits2_box=(65 100) letters2=gost:thin
fi

# ---- base 1: digits ----
# Records 0..9 and 10..19: the digits 1..9, 0 in both plate faces; 20..38 the further outlines the
# label table asks for: worn, bold, leaning, small, and turned for the flat-footed 1 and 2.
cells 1 0 1234567890 "$first" "${digit_box[@]}" plain
cells 1 10 1234567890 "$second" "${digits2_box[@]}" "$second_variant"
cells 1 20 3223453959654124232 "$first" "${digit_box[@]}" \
  worn tilt bold bold worn worn slant worn bold bold worn low bold tilt worn low slant low low
sheet 1 39

# ---- base 2: the twelve plate letters ----
cells 2 0 ABCEHKMOPTXY "$first" "${letter_box[@]}" plain
cells 2 12 ABCEHKMOPTXY "$letters2" "${letter_box[@]}" "$second_variant"
# Records 24..41: turned outlines of the letters standing on two feet or a flat base, then worn, bold,
# leaning and small ones.
cells 2 24 ABMEOTMTTAAMMXKKKA "$first" "${letter_box[@]}" \
  tilt tilt tilt tilt worn worn worn bold slant worn bold slant low tilt tilt worn bold low
sheet 2 42

# ---- base 3: digits, Latin, Cyrillic ----
# The font's own proportions. The small j is drawn without its dot (U+0237), which would be a
# segment of its own.
cells 3 0 "1234567890QWERTYUIOPASDFGHJKLZXCVBNMqertyupadfghȷkbnmбЦКГШЩЪФПЛДЖЭЯЧИЬБЮ" "$sans" 0 0 plain
sheet 3 72
