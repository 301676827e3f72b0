#!/usr/bin/env bash
# Makes the generated number-plate corpus tests/samples/plates/: photo-like JPEG pictures of Russian plates
# (letter, three digits, two letters, region) on car-like and textured grounds, each named after its plate
# as the folder report expects, and pictures without a plate, whose names are no plate text.
#   scripts/make-plates.sh [COUNT]     (default 30 plates; the same packages give the same pictures)
set -euo pipefail
cd "$(dirname "$0")/.."
export LC_ALL=C.UTF-8
scripts/deps.sh plates
count=${1:-30}
out=tests/samples/plates
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"
rm -f "$out"/*.jpg
RANDOM=1913  # bash's generator, so every choice below repeats run after run

din=/usr/share/fonts/truetype/opendin/OSP-DIN.ttf
iso=/usr/share/fonts/truetype/osifont/osifont.ttf
letters=ABCEHKMOPTXY

# rand LO HI: a whole number from LO to HI.
rand() { echo $(($1 + RANDOM % ($2 - $1 + 1))); }
# frac LO HI: a decimal from LO to HI in hundredths.
frac() { awk -v a="$1" -v b="$2" -v r="$RANDOM" 'BEGIN { printf "%.2f", a + (b - a) * r / 32767 }'; }
pick() { local s=$1; echo "${s:$((RANDOM % ${#s})):1}"; }

# The plate is drawn at 4 pixels per millimetre, 520 x 112 mm (GOST R 50577 type 1): a black rim, the
# letter and the two letters 58 mm high and 50 wide, the digits 76 high and 46 wide, all standing on a line
# 18 mm above the lower edge; a line before the region box, whose two or three digits stand 58 mm high in
# its upper part above "RUS" and the flag.
scale=4
mm() { echo $(($1 * scale)); }

# glyph OUT CHAR WIDTH_MM HEIGHT_MM FACE WEIGHT: one character, black on white, squeezed to its box. FACE
# din or iso (osifont drawn with a thick outline); WEIGHT thins (<0) or thickens (>0) the strokes by that
# many pixels of the drawing.
glyph() {
  local out=$1 char=$2 w=$3 h=$4 face=$5 weight=$6
  local font=$din draw=() change=()
  if [ "$face" = iso ]; then font=$iso; draw=(-stroke black -strokewidth 14); fi
  if [ "$weight" -gt 0 ]; then change=(-morphology Erode "Disk:$weight"); fi
  if [ "$weight" -lt 0 ]; then change=(-morphology Dilate "Disk:${weight#-}"); fi
  convert -background white -fill black -font "$font" -pointsize 240 "${draw[@]}" label:"$char" \
    -bordercolor white -border 20 "${change[@]}" -trim +repage -resize "$(mm "$w")x$(mm "$h")!" "$out"
}

# plate OUT TEXT: the plate picture of TEXT (8 or 9 characters).
plate() {
  local out=$1 text=$2 face weight
  face=$( ((RANDOM % 3 == 0)) && echo iso || echo din)
  weight=$(rand -3 4)
  local args=() x y i ch
  local main_x=(23 83 139 195 252 311) main_w=(50 46 46 46 50 50) main_h=(58 76 76 76 58 58)
  for i in 0 1 2 3 4 5; do
    ch=${text:$i:1}
    glyph "$work/g$i.png" "$ch" "${main_w[$i]}" "${main_h[$i]}" "$face" "$weight"
    x=$(mm "${main_x[$i]}")
    y=$(mm $((112 - 18 - ${main_h[$i]})))
    args+=("$work/g$i.png" -geometry "+$x+$y" -compose Multiply -composite)
  done
  local region=${text:6} n rw gap start
  n=${#region}
  if [ "$n" -eq 2 ]; then rw=40; gap=6; else rw=34; gap=4; fi
  start=$((381 + (130 - n * rw - (n - 1) * gap) / 2))
  for ((i = 0; i < n; ++i)); do
    glyph "$work/r$i.png" "${region:$i:1}" "$rw" 58 "$face" "$weight"
    x=$(mm $((start + i * (rw + gap))))
    y=$(mm $((112 - 36 - 58 - 10)))
    args+=("$work/r$i.png" -geometry "+$x+$y" -compose Multiply -composite)
  done
  # "RUS" and the flag in the box's lower part.
  convert -background white -fill black -font "$din" -pointsize 120 label:RUS -trim +repage \
    -resize "x$(mm 14)" "$work/rus.png"
  convert -size "$(mm 30)x$(mm 15)" xc:white \
    -fill '#1c3f9e' -draw "rectangle 0,$(mm 5) $(mm 30),$(mm 10)" \
    -fill '#d52b1e' -draw "rectangle 0,$(mm 10) $(mm 30),$(mm 15)" \
    -fill none -stroke black -strokewidth 3 -draw "rectangle 1,1 $(($(mm 30) - 2)),$(($(mm 15) - 2))" "$work/flag.png"
  convert -size "$(mm 520)x$(mm 112)" xc:'#f6f6f2' \
    -fill none -stroke black -strokewidth "$(mm 2)" \
    -draw "roundrectangle $(mm 2),$(mm 2) $(mm 518),$(mm 110) $(mm 6),$(mm 6)" \
    -draw "line $(mm 377),$(mm 3) $(mm 377),$(mm 109)" -stroke none \
    "${args[@]}" \
    "$work/rus.png" -geometry "+$(mm 395)+$(mm 80)" -compose Multiply -composite \
    "$work/flag.png" -geometry "+$(mm 462)+$(mm 80)" -compose Multiply -composite \
    "$out"
}

# ground OUT W H KIND: a photo-like ground W x H: a car's back (KIND car) with body, bumper, lamps and a
# grille, or a textured wall or road (KIND texture).
ground() {
  local out=$1 w=$2 h=$3 kind=$4
  local seed=$RANDOM
  local sky body shade
  sky=$(printf '#%02x%02x%02x' "$(rand 90 200)" "$(rand 100 200)" "$(rand 110 220)")
  if [ "$kind" = texture ]; then
    convert -seed "$seed" -size "${w}x${h}" plasma:"$sky"-'#404040' -blur 0x3 \
      -fill none -stroke '#303030' -strokewidth 3 \
      -draw "line 0,$((h / 3)) $w,$((h / 3 + $(rand -40 40)))" \
      -draw "line $((w / 4)),0 $((w / 4 + $(rand -30 30))),$h" "$out"
    return
  fi
  body=$(printf '#%02x%02x%02x' "$(rand 10 230)" "$(rand 10 230)" "$(rand 10 230)")
  shade=$(printf '#%02x%02x%02x' "$(rand 10 60)" "$(rand 10 60)" "$(rand 10 60)")
  convert -seed "$seed" -size "${w}x${h}" gradient:"$sky"-'#505050' \
    \( -size "${w}x${h}" plasma:grey45-grey55 -blur 0x2 \) -compose Overlay -composite \
    -fill "$body" -draw "roundrectangle $((w / 10)),$((h / 5)) $((w * 9 / 10)),$((h * 17 / 20)) $((w / 20)),$((w / 20))" \
    -fill "$shade" -draw "rectangle $((w / 10)),$((h * 62 / 100)) $((w * 9 / 10)),$((h * 80 / 100))" \
    -fill '#b01818' -draw "ellipse $((w * 18 / 100)),$((h * 45 / 100)) $((w / 16)),$((h / 18)) 0,360" \
    -fill '#b01818' -draw "ellipse $((w * 82 / 100)),$((h * 45 / 100)) $((w / 16)),$((h / 18)) 0,360" \
    -fill '#202428' -draw "rectangle $((w * 3 / 10)),$((h * 30 / 100)) $((w * 7 / 10)),$((h * 40 / 100))" \
    -fill '#1a1a1a' -draw "rectangle 0,$((h * 85 / 100)) $w,$h" "$out"
}

# photo OUT TEXT PLATE_WIDTH KIND: TEXT's plate, PLATE_WIDTH pixels wide, seen in perspective on a ground
# of KIND, then blurred, unevenly lit, grainy and JPEG-compressed.
photo() {
  local out=$1 text=$2 pw=$3 kind=$4
  plate "$work/plate.png" "$text"
  local ph=$((pw * 112 / 520))
  local w=$((pw * $(rand 22 36) / 10)) h
  h=$((w * $(rand 60 75) / 100))
  ground "$work/ground.png" "$w" "$h" "$kind"
  # The plate's corners: placed on the bumper, turned up to 3 degrees, seen from up to 20 degrees aside
  # (one end shorter) and from a little above (the top edge shorter).
  local x0=$(((w - pw) / 2 + $(rand -15 15) * w / 100)) y0=$((h * 66 / 100 - ph / 2 + $(rand -6 6) * h / 100))
  local tilt side top
  tilt=$(rand -3 3)
  side=$(rand -12 12)
  top=$(rand 0 5)
  local pw4=$(mm 520) ph4=$(mm 112)
  local lx=$((x0)) ly=$((y0 + tilt * pw / 100))
  local rx=$((x0 + pw)) ry=$((y0 - tilt * pw / 100))
  local lh=$((ph * (100 + (side < 0 ? side : 0)) / 100)) rh=$((ph * (100 - (side > 0 ? side : 0)) / 100))
  local inset=$((pw * top / 100))
  convert "$work/plate.png" -alpha set -virtual-pixel transparent -background none \
    -define distort:viewport="${w}x${h}+0+0" -distort Perspective "0,0 $((lx + inset)),$ly  $pw4,0 $((rx - inset)),$ry  $pw4,$ph4 $rx,$((ry + rh))  0,$ph4 $lx,$((ly + lh))" \
    "$work/warped.png"
  local blur noise quality light
  blur=$(frac 0.2 $(awk -v p="$pw" 'BEGIN { printf "%.2f", p / 300 }'))
  noise=$(frac 0.1 0.6)
  quality=$(rand 55 90)
  light=$(rand 45 85)
  convert "$work/ground.png" "$work/warped.png" -compose Over -composite \
    \( -size "${w}x${h}" xc: -sparse-color Barycentric "0,0 gray(100%) $w,$h gray($light%)" \) \
    -compose Multiply -composite -blur "0x$blur" -seed "$RANDOM" -attenuate "$noise" +noise Gaussian \
    -quality "$quality" -sampling-factor 2x2 -strip "$out"
}

plate_text() {
  local region
  if ((RANDOM % 3 == 0)); then region="$(pick 17)$(rand 0 9)$(rand 0 9)"; else region=$(printf %02d "$(rand 1 99)"); fi
  [ "$region" = 00 ] && region=01
  echo "$(pick $letters)$(rand 0 9)$(rand 0 9)$(rand 0 9)$(pick $letters)$(pick $letters)$region"
}

# ---- plates ----
# Widths spread evenly from 120 to 500 pixels.
for ((i = 0; i < count; ++i)); do
  text=$(plate_text)
  width=$((120 + 380 * i / (count - 1)))
  kind=$( ((i % 4 == 3)) && echo texture || echo car)
  photo "$out/$text.jpg" "$text" "$width" "$kind"
done

# ---- no plate ----
# The same grounds without a plate, a sign with a word, and a strip of characters that is no plate.
for i in 1 2 3; do
  w=$(rand 600 1400)
  ground "$work/g.png" "$w" $((w * 2 / 3)) $( ((i == 3)) && echo texture || echo car)
  convert "$work/g.png" -attenuate 0.3 -seed "$i" +noise Gaussian -quality 80 -strip "$out/nothing-$i.jpg"
done
ground "$work/g.png" 900 600 texture
convert "$work/g.png" -fill white -draw "rectangle 250,240 650,340" -fill black -font "$din" -pointsize 70 \
  -draw "text 280,320 'ПАРКОВКА'" -quality 80 -strip "$out/sign-parking.jpg"
ground "$work/g.png" 900 600 car
convert "$work/g.png" -fill white -draw "rectangle 250,380 650,440" -fill black -font "$din" -pointsize 50 \
  -draw "text 265,430 '0123 4567'" -quality 80 -strip "$out/digits-only.jpg"
du -sh "$out"
ls "$out" | wc -l
