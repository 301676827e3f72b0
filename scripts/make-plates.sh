#!/usr/bin/env bash
# Makes the generated number-plate corpus tests/samples/plates/: photo-like JPEG pictures of Russian plates
# (letter, three digits, two letters, region) on car-like and textured grounds, each named after its plate
# as the folder report expects, and pictures without a plate, whose names are no plate text.
#   scripts/make-plates.sh [COUNT [FOLDER [SEED]]]
# (default 30 plates into tests/samples/plates, seed 1913; the same packages give the same pictures). Another
# seed gives another corpus of the same kinds, for training what the reader learns apart from the one it is
# measured on.
set -euo pipefail
cd "$(dirname "$0")/.."
export LC_ALL=C.UTF-8
scripts/deps.sh plates
count=${1:-30}
out=${2:-tests/samples/plates}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"
rm -f "$out"/*.jpg
# A generator of our own (bash reseeds $RANDOM in every subshell): the same choices run after run. Each
# helper sets the variable named first, never in a subshell.
state=${3:-1913}

din=/usr/share/fonts/truetype/opendin/OSP-DIN.ttf
iso=/usr/share/fonts/truetype/osifont/osifont.ttf
letters=ABCEHKMOPTXY

# rand VAR LO HI: a whole number from LO to HI (a 31-bit linear congruential generator, its high bits).
rand() {
  state=$(((state * 1103515245 + 12345) % 2147483648))
  printf -v "$1" %d $(($2 + (state >> 12) % ($3 - $2 + 1)))
}
# hundredths VAR LO HI: a decimal from LO/100 to HI/100.
hundredths() {
  local n
  rand n "$2" "$3"
  printf -v "$1" %d.%02d $((n / 100)) $((n % 100))
}
# pick VAR STRING: one character of STRING.
pick() {
  local n
  rand n 0 $((${#2} - 1))
  printf -v "$1" %s "${2:$n:1}"
}

# The plate is drawn at 4 pixels per millimetre, 520 x 112 mm (GOST R 50577 type 1): a black rim, the
# letter and the two letters 58 mm high and 50 wide, the digits 76 high and 46 wide, all standing on a line
# 18 mm above the lower edge; a line before the region box, whose two or three digits stand 62 mm high in
# its upper part above "RUS" and the flag.
scale=4
mm() { echo $(($1 * scale)); }

# The plate's "1" is narrower than the other digits, about 0.6 of their width, and its flag runs from the
# top of the stem down to the left edge at about 40 % of the height: drawn as a stem of stroke S and a
# slanted band, 240 x 400 pixels before it is cut and scaled.
one() {
  local out=$1 stroke=$2
  local x=$((144 - stroke)) t=$((stroke * 115 / 100))
  convert -size 240x400 xc:white -fill black -draw "rectangle $x,0 144,400" \
    -draw "polygon $x,0 $((x + stroke / 5)),0 $((x + stroke / 5)),$t 0,$((2 * stroke + t)) 0,$((2 * stroke))" "$out"
}

# glyph OUT CHAR WIDTH_MM HEIGHT_MM FACE WEIGHT: one character, black on white, squeezed to its box (the
# "1" to 0.6 of the box's width, centred). FACE din or iso (osifont drawn with a thick outline); WEIGHT
# thins (<0) or thickens (>0) the strokes by that many pixels of the drawing.
glyph() {
  local out=$1 char=$2 w=$3 h=$4 face=$5 weight=$6
  local font=$din draw=() change=() width
  width=$(mm "$w")
  if [ "$face" = iso ]; then font=$iso; draw=(-stroke black -strokewidth 14); fi
  if [ "$weight" -gt 0 ]; then change=(-morphology Erode "Disk:$weight"); fi
  if [ "$weight" -lt 0 ]; then change=(-morphology Dilate "Disk:${weight#-}"); fi
  if [ "$char" = 1 ]; then
    one "$work/one.png" $( [ "$face" = iso ] && echo 64 || echo 56)
    width=$((width * 6 / 10))
    convert "$work/one.png" -bordercolor white -border 20 "${change[@]}" -trim +repage \
      -resize "${width}x$(mm "$h")!" -gravity center -background white -extent "$(mm "$w")x$(mm "$h")" "$out"
    return
  fi
  convert -background white -fill black -font "$font" -pointsize 240 "${draw[@]}" label:"$char" \
    -bordercolor white -border 20 "${change[@]}" -trim +repage -resize "${width}x$(mm "$h")!" "$out"
}

# plate OUT TEXT: the plate picture of TEXT (8 or 9 characters).
plate() {
  local out=$1 text=$2 face=din weight n
  rand n 0 2
  [ "$n" -eq 0 ] && face=iso
  rand weight -3 4
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
    glyph "$work/r$i.png" "${region:$i:1}" "$rw" 62 "$face" "$weight"
    x=$(mm $((start + i * (rw + gap))))
    y=$(mm 10)
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
  local seed r g b sky body shade a c
  rand seed 1 99999
  rand r 90 200; rand g 100 200; rand b 110 220
  printf -v sky '#%02x%02x%02x' "$r" "$g" "$b"
  if [ "$kind" = texture ]; then
    rand a -40 40; rand c -30 30
    convert -seed "$seed" -size "${w}x${h}" plasma:"$sky"-'#404040' -blur 0x3 \
      -fill none -stroke '#303030' -strokewidth 3 \
      -draw "line 0,$((h / 3)) $w,$((h / 3 + a))" \
      -draw "line $((w / 4)),0 $((w / 4 + c)),$h" "$out"
    return
  fi
  rand r 10 230; rand g 10 230; rand b 10 230
  printf -v body '#%02x%02x%02x' "$r" "$g" "$b"
  rand r 10 60; rand g 10 60; rand b 10 60
  printf -v shade '#%02x%02x%02x' "$r" "$g" "$b"
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
  local ph=$((pw * 112 / 520)) n w h
  rand n 22 36
  w=$((pw * n / 10))
  rand n 60 75
  h=$((w * n / 100))
  ground "$work/ground.png" "$w" "$h" "$kind"
  # The plate's corners: placed on the bumper, turned up to 3 degrees, seen from up to 20 degrees aside
  # (one end shorter) and from a little above (the top edge shorter).
  local x0 y0 tilt side top
  rand n -15 15
  x0=$(((w - pw) / 2 + n * w / 100))
  rand n -6 6
  y0=$((h * 66 / 100 - ph / 2 + n * h / 100))
  rand tilt -3 3
  rand side -12 12
  rand top 0 5
  local pw4=$(mm 520) ph4=$(mm 112)
  local lx=$((x0)) ly=$((y0 + tilt * pw / 100))
  local rx=$((x0 + pw)) ry=$((y0 - tilt * pw / 100))
  local lh=$((ph * (100 + (side < 0 ? side : 0)) / 100)) rh=$((ph * (100 - (side > 0 ? side : 0)) / 100))
  local inset=$((pw * top / 100))
  convert "$work/plate.png" -alpha set -virtual-pixel transparent -background none \
    -define distort:viewport="${w}x${h}+0+0" -distort Perspective "0,0 $((lx + inset)),$ly  $pw4,0 $((rx - inset)),$ry  $pw4,$ph4 $rx,$((ry + rh))  0,$ph4 $lx,$((ly + lh))" \
    "$work/warped.png"
  # Blur from 0.2 pixels up to a third of a pixel per 100 pixels of plate width.
  local blur noise quality light seed
  hundredths blur 20 $((20 + pw / 3))
  hundredths noise 10 60
  rand quality 55 90
  rand light 45 85
  rand seed 1 99999
  convert "$work/ground.png" "$work/warped.png" -compose Over -composite \
    \( -size "${w}x${h}" xc: -sparse-color Barycentric "0,0 gray(100%) $w,$h gray($light%)" \) \
    -compose Multiply -composite -blur "0x$blur" -seed "$seed" -attenuate "$noise" +noise Gaussian \
    -quality "$quality" -sampling-factor 2x2 -strip "$out"
}

# The three-digit region codes in use, by their first digit (real plates carry no other).
mapfile -t regions1 < <(grep -v '^#' data/plate-regions.txt | grep -oE '\<1[0-9]{2}\>')
mapfile -t regions7 < <(grep -v '^#' data/plate-regions.txt | grep -oE '\<7[0-9]{2}\>')

# plate_text VAR: letter, three digits, two letters, and a region of two digits or, one time in three,
# a three-digit code from 1 or 7.
plate_text() {
  local n region a b c d e f
  rand n 0 2
  if [ "$n" -eq 0 ]; then
    pick a 17; rand b 0 99
    if [ "$a" = 1 ]; then region=${regions1[b % ${#regions1[@]}]}; else region=${regions7[b % ${#regions7[@]}]}; fi
  else
    rand b 1 99
    printf -v region %02d "$b"
  fi
  pick a $letters; rand b 0 9; rand c 0 9; rand d 0 9; pick e $letters; pick f $letters
  printf -v "$1" %s "$a$b$c$d$e$f$region"
}

# ---- plates ----
# Widths spread evenly from 120 to 500 pixels.
for ((i = 0; i < count; ++i)); do
  plate_text text
  width=$((120 + 380 * i / (count - 1)))
  kind=car
  ((i % 4 == 3)) && kind=texture
  photo "$out/$text.jpg" "$text" "$width" "$kind"
done

# ---- no plate ----
# The same grounds without a plate, a sign with a word, and a strip of characters that is no plate.
for i in 1 2 3; do
  rand w 600 1400
  kind=car
  ((i == 3)) && kind=texture
  ground "$work/g.png" "$w" $((w * 2 / 3)) "$kind"
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
