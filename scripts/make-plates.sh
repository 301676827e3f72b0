#!/usr/bin/env bash
# Makes the generated number-plate corpus tests/samples/plates/: photo-like JPEG pictures of Russian plates
# (letter, three digits, two letters, region) on car-like and textured grounds, each named after its plate
# as the folder report expects, and pictures without a plate, whose names are no plate text.
#   scripts/make-plates.sh [--hard] [--face fonts|gost] [--out DIR] [--seed N] [COUNT]
# The same packages give the same pictures. Default: 30 plates into tests/samples/plates, drawn in Open DIN
# and osifont. --face gost draws every plate in our own drawing of the plate typeface
# (scripts/plate-font/gost-glyphs.py): the same plates on the same grounds, only the characters change.
# --hard makes the harder corpus tests/samples/plates-hard (default 40 plates, 80 to 320 pixels wide, in
# all three faces): plates leaning up to 30 degrees, motion blur, night and flash, dirt and bolts over the
# characters, signs with two lines of text behind, and pictures without a plate made the same way.
# --seed gives another corpus of the same kinds, for training what the reader learns apart from the one it
# is measured on.
set -euo pipefail
cd "$(dirname "$0")/.."
export LC_ALL=C.UTF-8
usage() { echo "usage: $0 [--hard] [--face fonts|gost] [--out DIR] [--seed N] [COUNT]" >&2; exit 2; }
hard=0 face_option=fonts out= seed=
while [ $# -gt 0 ]; do
  case $1 in
    --hard) hard=1; shift ;;
    --face) face_option=${2:-}; shift 2 ;;
    --out) out=${2:-}; shift 2 ;;
    --seed) seed=${2:-}; shift 2 ;;
    -*) usage ;;
    *) break ;;
  esac
done
[ "$face_option" = fonts ] || [ "$face_option" = gost ] || usage
scripts/deps.sh plates
if [ "$hard" = 1 ]; then
  count=${1:-40}
  out=${out:-tests/samples/plates-hard}
else
  count=${1:-30}
  out=${out:-tests/samples/plates}
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
gost=$work/gost
python3 scripts/plate-font/gost-glyphs.py "$gost"
mkdir -p "$out"
rm -f "$out"/*.jpg
# A generator of our own (bash reseeds $RANDOM in every subshell): the same choices run after run. Each
# helper sets the variable named first, never in a subshell.
state=1913
[ "$hard" = 1 ] && state=2030  # other plates than the easier corpus's
[ -n "$seed" ] && state=$seed

din=/usr/share/fonts/truetype/opendin/OSP-DIN.ttf
iso=/usr/share/fonts/truetype/osifont/osifont.ttf
sans=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
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

# glyph OUT CHAR WIDTH_MM HEIGHT_MM FACE WEIGHT SET: one character, black on white, squeezed to its box
# (the "1" to 0.6 of the box's width, centred). FACE din, iso (osifont drawn with a thick outline) or
# gost (the glyph of SET, main, region2 or region3, of the plate drawing, which is drawn to its box);
# WEIGHT thins (<0) or thickens (>0) the strokes by that many pixels of the drawing.
glyph() {
  local out=$1 char=$2 w=$3 h=$4 face=$5 weight=$6 set=$7
  local font=$din draw=() change=() width
  width=$(mm "$w")
  if [ "$face" = iso ]; then font=$iso; draw=(-stroke black -strokewidth 14); fi
  if [ "$weight" -gt 0 ]; then change=(-morphology Erode "Disk:$weight"); fi
  if [ "$weight" -lt 0 ]; then change=(-morphology Dilate "Disk:${weight#-}"); fi
  if [ "$face" = gost ]; then
    rsvg-convert -w "$width" -h "$(mm "$h")" -b white "$gost/$set-$char.svg" -o "$work/drawn.png"
    convert "$work/drawn.png" "${change[@]}" "$out"
    return
  fi
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

# plate OUT TEXT: the plate picture of TEXT (8 or 9 characters, or none).
plate() {
  local out=$1 text=$2 face=din weight n
  rand n 0 2
  [ "$n" -eq 0 ] && face=iso
  [ "$hard" = 1 ] && [ "$n" -eq 2 ] && face=gost
  [ "$face_option" = gost ] && face=gost
  rand weight -3 4
  local args=() x y i ch
  local main_x=(23 83 139 195 252 311) main_w=(50 46 46 46 50 50) main_h=(58 76 76 76 58 58)
  # An empty TEXT gives a blank plate: the rim, the region box, "RUS" and the flag.
  for ((i = 0; i < ${#text} && i < 6; ++i)); do
    ch=${text:$i:1}
    glyph "$work/g$i.png" "$ch" "${main_w[$i]}" "${main_h[$i]}" "$face" "$weight" main
    x=$(mm "${main_x[$i]}")
    y=$(mm $((112 - 18 - ${main_h[$i]})))
    args+=("$work/g$i.png" -geometry "+$x+$y" -compose Multiply -composite)
  done
  local region=${text:6} n rw gap start
  n=${#region}
  if [ "$n" -eq 2 ]; then rw=40; gap=6; else rw=34; gap=4; fi
  start=$((381 + (130 - n * rw - (n - 1) * gap) / 2))
  for ((i = 0; i < n; ++i)); do
    glyph "$work/r$i.png" "${region:$i:1}" "$rw" 62 "$face" "$weight" "region$n"
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

# ---- the harder corpus ----

# soil PLATE: dirt and bolts on the plate picture (4 pixels per millimetre), each one time in two: brown
# smears and splashes over the characters, and two bolts screwed through the plate over the upper part of
# the characters.
soil() {
  local plate=$1 n k x y rx ry a draws=()
  rand n 0 1
  if [ "$n" -eq 1 ]; then
    rand k 3 6
    for ((j = 0; j < k; ++j)); do
      rand x 20 500; rand y 10 100; rand rx 15 60; rand ry 5 25; rand a 25 60
      draws+=(-fill "rgba(92,72,40,0.$a)" -draw "ellipse $(mm "$x"),$(mm "$y") $(mm "$rx"),$(mm "$ry") 0,360")
    done
    for ((j = 0; j < 24; ++j)); do
      rand x 10 510; rand y 8 104; rand rx 1 4
      draws+=(-fill 'rgba(60,48,30,0.8)' -draw "circle $(mm "$x"),$(mm "$y") $(mm "$x"),$(mm $((y + rx)))")
    done
    rand a 6 16
    convert "$plate" \( -size "$(mm 520)x$(mm 112)" xc:none "${draws[@]}" -blur "0x$a" \) -compose Over -composite "$plate"
  fi
  rand n 0 1
  if [ "$n" -eq 1 ]; then
    local left right grey
    rand left 70 170; rand right 200 360; rand y 20 40; rand grey 55 80
    draws=()
    for x in "$left" "$right"; do
      draws+=(-fill "gray($grey%)" -stroke '#202020' -strokewidth 4
              -draw "circle $(mm "$x"),$(mm "$y") $(mm $((x + 6))),$(mm "$y")"
              -draw "line $(mm $((x - 4))),$(mm "$y") $(mm $((x + 4))),$(mm "$y")"
              -draw "line $(mm "$x"),$(mm $((y - 4))) $(mm "$x"),$(mm $((y + 4)))")
    done
    convert "$plate" "${draws[@]}" "$plate"
  fi
}

# sign GROUND W H: a sign with two lines of text (white, yellow or blue, in DejaVu Sans Bold or osifont,
# which have Cyrillic letters) in the ground's upper part, its letters about as high as a plate's.
signs=("ШИНОМОНТАЖ|24 ЧАСА" "АВТОМОЙКА|8 800 100 20 30" "ТАКСИ|TEL 777 77 77" "ПАРКОВКА|ВЫЕЗД 200 M"
       "АВТОСАЛОН|TOYOTA CENTER" "МАГАЗИН|ОТКРЫТО 9-21" "СТО|ремонт 365 дней" "AUTO HOUSE|ул. Мира 17")
sign() {
  local ground=$1 w=$2 h=$3 n x y sw sh pt font=$sans paper ink
  rand n 0 $((${#signs[@]} - 1))
  local first=${signs[$n]%%|*} second=${signs[$n]#*|}
  rand n 0 1
  [ "$n" -eq 1 ] && font=$iso
  rand n 0 2
  paper=(white '#f2d21b' '#1d4fa0'); ink=(black black white)
  rand sw 35 60; sw=$((w * sw / 100)); sh=$((h * 30 / 100))
  rand x 2 $((100 - sw * 100 / w - 2)); x=$((w * x / 100))
  rand y 3 12; y=$((h * y / 100))
  pt=$((sh * 30 / 100))
  convert "$ground" -fill "${paper[$n]}" -stroke '#303030' -draw "rectangle $x,$y $((x + sw)),$((y + sh))" -stroke none \
    -fill "${ink[$n]}" -font "$font" -pointsize "$pt" \
    -draw "text $((x + sw / 20)),$((y + sh * 42 / 100)) '$first'" \
    -draw "text $((x + sw / 20)),$((y + sh * 86 / 100)) '$second'" "$ground"
}

# hard_photo OUT TEXT PLATE_WIDTH: TEXT's plate (dirty, with bolts, or blank when TEXT is empty),
# PLATE_WIDTH pixels wide, turned up to 30 degrees either way and seen in perspective, on a car, a wall
# or a wall with a sign, in daylight, at night or in a flash's glare, shaken or out of focus, grainy and
# JPEG-compressed.
hard_photo() {
  local out=$1 text=$2 pw=$3
  plate "$work/plate.png" "$text"
  soil "$work/plate.png"
  local ph=$((pw * 112 / 520)) n w h kind
  rand n 22 30; w=$((pw * n / 10))
  rand n 60 75; h=$((w * n / 100))
  rand n 0 2
  kind=car; [ "$n" -eq 1 ] && kind=texture
  ground "$work/ground.png" "$w" "$h" "$kind"
  [ "$n" -eq 2 ] && sign "$work/ground.png" "$w" "$h"
  # The plate's centre, its turn and its perspective (as in the easier corpus), the corners turned
  # about the centre.
  local cx cy roll side top corners
  rand n -10 10; cx=$((w / 2 + n * w / 100))
  rand n -5 5; cy=$((h * 62 / 100 + n * h / 100))
  rand roll -30 30; rand side -12 12; rand top 0 5
  corners=$(awk -v cx="$cx" -v cy="$cy" -v pw="$pw" -v ph="$ph" -v roll="$roll" -v side="$side" -v top="$top" \
    -v W="$(mm 520)" -v H="$(mm 112)" 'BEGIN {
      a = roll * 3.14159265 / 180; c = cos(a); s = sin(a)
      lh = ph * (100 + (side < 0 ? side : 0)) / 100; rh = ph * (100 - (side > 0 ? side : 0)) / 100
      inset = pw * top / 100
      split("0 " W " " W " 0", sx, " "); split("0 0 " H " " H, sy, " ")
      x[1] = -pw / 2 + inset; y[1] = -ph / 2; x[2] = pw / 2 - inset; y[2] = -ph / 2
      x[3] = pw / 2; y[3] = -ph / 2 + rh; x[4] = -pw / 2; y[4] = -ph / 2 + lh
      for (i = 1; i <= 4; ++i)
        printf "%d,%d %.1f,%.1f  ", sx[i], sy[i], cx + x[i] * c - y[i] * s, cy + x[i] * s + y[i] * c
    }')
  convert "$work/plate.png" -alpha set -virtual-pixel transparent -background none \
    -define distort:viewport="${w}x${h}+0+0" -distort Perspective "$corners" "$work/warped.png"
  # The light: daylight falling off across the picture (two times in four), night (the picture dark, the
  # plate in its lamp's light, much grain) or a flash (the surroundings dark, a glare on the plate).
  local light=() lit glare grain r gx
  rand n 0 3
  rand grain 10 60
  case $n in
    0|1)
      rand lit 45 85
      light=(\( -size "${w}x${h}" xc: -sparse-color Barycentric "0,0 gray(100%) $w,$h gray($lit%)" \) -compose Multiply -composite) ;;
    2)
      local dark
      rand dark 10 25; rand lit 45 70; rand grain 80 160
      light=(\( -size "${w}x${h}" xc:"gray($dark%)" -fill "gray($lit%)" -draw "ellipse $cx,$cy $((pw * 7 / 10)),$((pw / 3)) 0,360"
             -blur "0x$((pw / 6 + 1))" \) -compose Multiply -composite) ;;
    3)
      rand lit 30 55; rand r 6 16; r=$((pw * r / 100 + 2)); rand gx -40 40; gx=$((cx + pw * gx / 100))
      light=(\( -size "${w}x${h}" xc:"gray($lit%)" -fill white -draw "ellipse $cx,$cy $pw,$((pw / 2)) 0,360"
             -blur "0x$((pw / 5 + 1))" \) -compose Multiply -composite
             \( -size "${w}x${h}" xc:black -fill white -draw "circle $gx,$cy $((gx + r)),$cy" -blur "0x$((r / 2 + 1))" \)
             -compose Screen -composite) ;;
  esac
  # Shaken (a motion blur up to 2 pixels plus one per 60 pixels of plate width) or out of focus.
  local blur=() len angle seed quality
  rand n 0 1
  if [ "$n" -eq 1 ]; then
    rand len 1 $((2 + pw / 60)); rand angle 0 179
    blur=(-motion-blur "0x$len+$angle")
  else
    hundredths len 30 $((40 + pw / 3))
    blur=(-blur "0x$len")
  fi
  rand quality 45 80
  rand seed 1 99999
  convert "$work/ground.png" "$work/warped.png" -compose Over -composite "${light[@]}" "${blur[@]}" \
    -seed "$seed" -attenuate "$(printf %d.%02d $((grain / 100)) $((grain % 100)))" +noise Gaussian \
    -quality "$quality" -sampling-factor 2x2 -strip "$out"
}

if [ "$hard" = 1 ]; then
  # Widths spread evenly from 80 to 320 pixels.
  for ((i = 0; i < count; ++i)); do
    plate_text text
    hard_photo "$out/$text.jpg" "$text" $((80 + 240 * i / (count - 1)))
  done
  # No plate: blank plates (dirty, with bolts, at night or in a flash) and a sign with two lines.
  for i in 1 2 3 4; do
    rand w 120 320
    hard_photo "$out/blank-plate-$i.jpg" "" "$w"
  done
  ground "$work/g.png" 700 480 texture
  sign "$work/g.png" 700 480
  convert "$work/g.png" -motion-blur 0x2+30 -attenuate 0.4 -seed 5 +noise Gaussian -quality 70 -strip "$out/sign-two-lines.jpg"
  du -sh "$out"
  ls "$out" | wc -l
  exit 0
fi

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
