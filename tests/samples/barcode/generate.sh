#!/usr/bin/env bash
# Regenerates the barcode sample corpus from zint and ImageMagick (Debian packages zint, imagemagick).
#
# Every picture NAME.png has NAME.txt beside it holding the exact status-bar
# text the barcode command (the chain: the exact reader, then zxing-cpp, then
# zbar) must show (digits and "+", eight digits and six spaces, or eight
# asterisks and two spaces), followed by one newline. Picture names carry the
# digits printed on the code, so scripts can compare other readers.
#
# Sets (one folder each):
#   clean       upright codes on white, module widths 1..10 pixels
#   turned      turned 180 degrees and mirrored
#   skew        small rotations, both ways
#   photo       perspective, blur, noise, JPEG, uneven light, photo-like backgrounds
#   wrongcheck  EAN-13 whose printed check digit is wrong: never reported
#   nocode      no EAN symbol at all (other symbologies, textures, noise)
#   limits      outside the exact reader's stated limits: module over 10
#               pixels, pictures lower than 52 rows or narrower than 17
#               pixels; the exact reader alone shows nothing, the chain reads
#               what the libraries read (the 16-pixel-wide crop: nothing)
#   beyond      codes the exact method cannot read by its design (bars
#               turned 90 degrees, bars too short for the edge check, no room
#               for the reading budget after the code, heavy blur); the chain
#               reads them through the libraries, except the code turned 60
#               degrees that neither library reads; the exact reader alone
#               may miss them but never misreads
#
# Usage: tests/samples/barcode/generate.sh   (rewrites every set in place)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
for tool in zint convert; do
    command -v "$tool" >/dev/null || { echo "missing $tool: apt-get install zint imagemagick" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

NOTFOUND='********  '

# ---- helpers ----

# EAN check digit of a 12-digit (EAN-13) or 7-digit (EAN-8) body.
check_digit() {
    local body=$1 n=${#1} sum=0 i d w
    for ((i = 0; i < n; i++)); do
        d=${body:i:1}
        # Weight 3 for the digit next to the check digit, alternating leftwards.
        if (((n - i) % 2 == 1)); then w=3; else w=1; fi
        sum=$((sum + w * d))
    done
    echo $(((10 - sum % 10) % 10))
}

# zint picture of one code: render BODY MODULE OUT [HEIGHT_MODULES]
# Bars are at least 70 pixels tall so that the 52-row checks fit on them.
render() {
    local body=$1 m=$2 out=$3 height=${4:-}
    if [ -z "$height" ]; then height=$(((70 + m - 1) / m)); ((height < 50)) && height=50; fi
    zint -b 13 -d "$body" --scale="$(awk "BEGIN{print $m/2}")" --height="$height" -o "$work/zint.png" >/dev/null
    convert "$work/zint.png" -type truecolor "$out"
}

# Write NAME.png (from SRC) and NAME.txt (TEXT) into SET.
emit() {
    local set=$1 name=$2 src=$3 text=$4
    mkdir -p "$here/$set"
    convert "$src" -strip -define png:exclude-chunks=date,time -type truecolor "PNG24:$here/$set/$name.png"
    printf '%s\n' "$text" >"$here/$set/$name.txt"
}

# White margin of MX pixels left and right and MY above and below.
pad() { convert "$1" -bordercolor white -border "$3x$4" "$2"; }

# A picture of a code whose printed check digit is wrong: the check digit's
# bars and figure are copied from a second code that differs in position 1,
# so its check digit differs (position 1 weighs 3) while zint draws both.
render_wrong() {
    local body=$1 m=$2 out=$3 d1 other first width
    d1=${body:1:1}
    other="${body:0:1}$(((d1 + 1) % 10))${body:2}"
    render "$body" "$m" "$work/a.png"
    render "$other" "$m" "$work/b.png"
    if [ ${#body} -eq 12 ]; then first=96; else first=64; fi  # module of the check digit in zint's layout
    width=$((7 * m))
    convert "$work/a.png" \( "$work/b.png" -crop "${width}x100000+$((first * m))+0" +repage \) \
        -geometry "+$((first * m))+0" -composite -type truecolor "$out"
    echo "${body}$(check_digit "$other")"
}

ean13() { echo "$1$(check_digit "$1")"; }

# Photo-like background: plasma fractal, softened.
background() {
    local w=$1 h=$2 seed=$3 colours=$4 out=$5
    convert -size "${w}x${h}" -seed "$seed" "plasma:$colours" -blur 0x5 -type truecolor "$out"
}

# place BG LABEL X Y OUT: the label (which may carry transparency) laid on the background at +X+Y.
place() { convert "$1" "$2" -geometry "+$3+$4" -composite "$5"; }

rm -rf "$here/clean" "$here/turned" "$here/skew" "$here/photo" "$here/wrongcheck" "$here/nocode" "$here/limits" \
    "$here/beyond"

EAN13_BODIES=(590123412345 400638133393 978020137962 012345678901 123456789012
    202345678901 312345678901 612345678901 712345678901 812345678901)
EAN8_BODIES=(9638507 4006381 5512345 2012345 7351353 0123456 8801234 3456789 6543210 1098765)

# ---- clean: module widths 1..10, margins wide enough for the reading budget ----
for m in 1 2 3 4 5 6 7 8 9 10; do
    body=${EAN13_BODIES[m - 1]}
    code=$(ean13 "$body")
    render "$body" "$m" "$work/c.png"
    pad "$work/c.png" "$work/p.png" $((12 * m + 12)) 16
    emit clean "ean13-$code-m$m" "$work/p.png" "$code+"

    body=${EAN8_BODIES[m - 1]}
    code="$body$(check_digit "$body")"
    render "$body" "$m" "$work/c.png"
    pad "$work/c.png" "$work/p.png" $((40 * m + 12)) 16
    emit clean "ean8-$code-m$m" "$work/p.png" "$code      "
done

# ---- turned: 180 degrees and mirrored ----
for m in 2 3 5; do
    body=${EAN13_BODIES[m]}
    code=$(ean13 "$body")
    render "$body" "$m" "$work/c.png"
    pad "$work/c.png" "$work/p.png" $((12 * m + 12)) 16
    convert "$work/p.png" -rotate 180 "$work/t.png"
    emit turned "ean13-$code-m$m-rot180" "$work/t.png" "$code+"
    convert "$work/p.png" -flop "$work/t.png"
    emit turned "ean13-$code-m$m-mirror" "$work/t.png" "$code+"

    body=${EAN8_BODIES[m]}
    code="$body$(check_digit "$body")"
    render "$body" "$m" "$work/c.png"
    pad "$work/c.png" "$work/p.png" $((40 * m + 12)) 16
    convert "$work/p.png" -rotate 180 "$work/t.png"
    emit turned "ean8-$code-m$m-rot180" "$work/t.png" "$code      "
    convert "$work/p.png" -flop "$work/t.png"
    emit turned "ean8-$code-m$m-mirror" "$work/t.png" "$code      "
done

# ---- skew: rotations within what the start guard's skew measurement follows ----
i=0
for angle in 3 -3 8 -8 15 -15 25 -25 35 -35; do
    m=$((3 + i % 3))
    body=${EAN13_BODIES[i % 10]}
    code=$(ean13 "$body")
    render "$body" "$m" "$work/c.png"
    pad "$work/c.png" "$work/p.png" $((12 * m + 12)) 24
    convert "$work/p.png" -background white -rotate "$angle" +repage "$work/t.png"
    emit skew "ean13-$code-m$m-rot$angle" "$work/t.png" "$code+"
    i=$((i + 1))
done
for angle in 10 -20; do
    body=${EAN8_BODIES[i % 10]}
    code="$body$(check_digit "$body")"
    render "$body" 4 "$work/c.png"
    pad "$work/c.png" "$work/p.png" 172 24
    convert "$work/p.png" -background white -rotate "$angle" +repage "$work/t.png"
    emit skew "ean8-$code-m4-rot$angle" "$work/t.png" "$code      "
    i=$((i + 1))
done


# ---- photo: the code on a paper label in a photo-like scene ----
# photo SET SUFFIX BODY MODULE SEED "LABEL EFFECTS" "SCENE EFFECTS" [W H]
# Label effects, applied to the label before it is laid on the scene:
#   rot:A (degrees)  flop  persp:K (keystone, K pixels narrower at the top)
# Scene effects, in order: light:P (ramp from P% to full light left to right),
#   spot:P (dark corners, P% at the rim), blur:S (Gaussian sigma),
#   noise:A (Gaussian brightness noise strength), jpeg:Q (JPEG quality).
photo() {
    local set=$1 suffix=$2 body=$3 m=$4 seed=$5 label_fx=$6 scene_fx=$7 w=${8:-480} h=${9:-320}
    local code text kind fx lw lh k need
    if [ ${#body} -eq 12 ]; then
        code=$(ean13 "$body"); text="$code+"; kind=ean13; need=$((160 * m + 40))
    else
        code="$body$(check_digit "$body")"; text="$code      "; kind=ean8; need=$((190 * m + 40))
    fi
    # The reading may take about 110 modules after the start guard, whichever
    # end it starts from: the scene leaves that much room on both sides.
    ((w < need)) && w=$need
    render "$body" "$m" "$work/c.png"
    # Warm paper instead of white, dark ink instead of black, a paper margin.
    convert "$work/c.png" +level-colors "#1c1a22,#f4efe4" -bordercolor "#f4efe4" -border "$((3 * m))x$((3 * m))" \
        -alpha set "$work/l.png"
    for fx in $label_fx; do
        case $fx in
        rot:*) convert "$work/l.png" -background none -rotate "${fx#rot:}" +repage "$work/l.png" ;;
        flop) convert "$work/l.png" -flop "$work/l.png" ;;
        persp:*)
            k=${fx#persp:}
            lw=$(identify -format %w "$work/l.png")
            lh=$(identify -format %h "$work/l.png")
            convert "$work/l.png" -virtual-pixel transparent -background none \
                -distort Perspective "0,0 $k,$((k / 2))  $lw,0 $((lw - k)),$((k / 2))  0,$lh 0,$lh  $lw,$lh $lw,$lh" \
                +repage "$work/l.png"
            ;;
        *) echo "unknown label effect $fx" >&2; exit 1 ;;
        esac
    done
    background "$w" "$h" "$seed" "khaki-sienna" "$work/s.png"
    lw=$(identify -format %w "$work/l.png")
    lh=$(identify -format %h "$work/l.png")
    place "$work/s.png" "$work/l.png" $(((w - lw) / 2)) $(((h - lh) / 2)) "$work/s.png"
    for fx in $scene_fx; do
        case $fx in
        light:*)
            convert -size "${h}x${w}" "gradient:gray(${fx#light:}%)-white" -rotate -90 "$work/g.png"
            convert "$work/s.png" "$work/g.png" -compose Multiply -composite "$work/s.png"
            ;;
        spot:*)
            convert -size "${w}x${h}" "radial-gradient:white-gray(${fx#spot:}%)" "$work/g.png"
            convert "$work/s.png" "$work/g.png" -compose Multiply -composite "$work/s.png"
            ;;
        blur:*) convert "$work/s.png" -gaussian-blur "0x${fx#blur:}" "$work/s.png" ;;
        noise:*)  # sensor noise, in brightness only
            convert "$work/s.png" \( +clone -fill gray50 -colorize 100 -seed "$seed" -attenuate "${fx#noise:}" \
                +noise Gaussian -colorspace gray \) -compose Overlay -composite "$work/s.png"
            ;;
        jpeg:*)
            convert "$work/s.png" -quality "${fx#jpeg:}" "$work/s.jpg"
            convert "$work/s.jpg" "$work/s.png"
            ;;
        *) echo "unknown scene effect $fx" >&2; exit 1 ;;
        esac
    done
    emit "$set" "$kind-$code-m$m-$suffix" "$work/s.png" "$text"
}

photo photo plain 590123412345 3 11 "" ""
photo photo persp 400638133393 3 12 "persp:16" ""
photo photo blur 978020137962 3 13 "" "blur:0.8"
photo photo blur2 123456789012 4 14 "" "blur:1.3"
photo photo noise 202345678901 3 15 "" "noise:0.5"
photo photo jpeg30 312345678901 3 16 "" "jpeg:30"
photo photo jpeg15 612345678901 4 17 "" "jpeg:15"
photo photo light 712345678901 3 18 "" "light:45"
photo photo spot 812345678901 3 19 "" "spot:40"
photo photo rot6-blur 012345678901 3 20 "rot:6" "blur:0.7"
photo photo rot-12-noise 590123412345 3 21 "rot:-12" "noise:0.4"
photo photo rot180-light 400638133393 3 22 "rot:180" "light:55 jpeg:50"
photo photo mirror-blur 978020137962 2 23 "flop" "blur:0.5"
photo photo jpeg60 123456789012 2 24 "" "jpeg:60"
photo photo all 202345678901 5 25 "rot:4 persp:10" "light:60 blur:1.0 noise:0.3 jpeg:50" 720 480
photo photo all2 312345678901 3 26 "rot:-7" "spot:50 blur:0.7 noise:0.3 jpeg:40"
photo photo blur 9638507 3 27 "" "blur:0.8" 480 280
photo photo rot180-noise 4006381 3 28 "rot:180" "noise:0.3" 480 280
photo photo persp-jpeg40 5512345 3 29 "persp:10" "jpeg:40" 480 280
photo photo rot-5-light 2012345 3 30 "rot:-5" "light:50" 480 280
photo photo jpeg10 712345678901 3 31 "" "jpeg:10"
photo photo rot-30-persp 812345678901 4 32 "rot:-30 persp:20" "blur:0.8"

# ---- wrongcheck: the printed check digit is wrong ----
for wrong in "590123412345 3 0" "400638133393 2 180" "978020137962 4 0" "612345678901 5 180"; do
    read -r body m turn <<<"$wrong"
    printed=$(render_wrong "$body" "$m" "$work/c.png")
    pad "$work/c.png" "$work/p.png" $((12 * m + 12)) 16
    convert "$work/p.png" -rotate "$turn" "$work/t.png"
    emit wrongcheck "ean13-$printed-m$m-rot$turn" "$work/t.png" "$NOTFOUND"
done

# ---- nocode: pictures without an EAN symbol ----
zcode() {  # zcode SYMBOLOGY DATA MODULE OUT: another symbology on white
    zint -b "$1" -d "$2" --scale="$(awk "BEGIN{print $3/2}")" --height=60 -o "$work/z.png" >/dev/null
    convert "$work/z.png" -bordercolor white -border 40x20 -type truecolor "$4"
}
zcode 20 "ZORVA-0123456789" 2 "$work/n.png"; emit nocode code128 "$work/n.png" "$NOTFOUND"
zcode 8 "EAN13TEST" 3 "$work/n.png"; emit nocode code39 "$work/n.png" "$NOTFOUND"
zcode 3 "12345678901231" 2 "$work/n.png"; emit nocode itf14 "$work/n.png" "$NOTFOUND"
zcode 18 "A1234567890B" 3 "$work/n.png"; emit nocode codabar "$work/n.png" "$NOTFOUND"
background 480 360 31 "khaki-sienna" "$work/n.png"; emit nocode plasma "$work/n.png" "$NOTFOUND"
background 480 360 32 "" "$work/n.png"; emit nocode plasma-colour "$work/n.png" "$NOTFOUND"
convert -size 320x240 -seed 33 xc:gray50 -attenuate 3 +noise Uniform -type truecolor "$work/n.png"
emit nocode noise "$work/n.png" "$NOTFOUND"
convert -size 400x200 pattern:verticalsaw -type truecolor "$work/n.png"; emit nocode saw "$work/n.png" "$NOTFOUND"
convert -size 400x200 pattern:checkerboard -type truecolor "$work/n.png"; emit nocode checkerboard "$work/n.png" "$NOTFOUND"
convert -size 400x200 pattern:vertical3 -type truecolor "$work/n.png"; emit nocode stripes "$work/n.png" "$NOTFOUND"
convert -size 480x200 xc:white -fill black -font DejaVu-Sans -pointsize 28 \
    -annotate +20+60 "5 901234 123457" -annotate +20+120 "||| |||| | || |||" -type truecolor "$work/n.png"
emit nocode text "$work/n.png" "$NOTFOUND"
# Only the start guard and a few bars: a code cut off after its third digit.
render 590123412345 3 "$work/c.png"
convert "$work/c.png" -crop "$((35 * 3))x100000+0+0" +repage -bordercolor white -border 200x16 "$work/n.png"
emit nocode ean13-cut "$work/n.png" "$NOTFOUND"

# ---- limits: the exact reader's stated limits; the libraries read all but the narrow crop ----
for m in 11 12; do
    body=${EAN13_BODIES[m - 10]}
    code=$(ean13 "$body")
    render "$body" "$m" "$work/c.png"
    pad "$work/c.png" "$work/p.png" $((12 * m + 12)) 16
    emit limits "ean13-$code-m$m" "$work/p.png" "$code+"
done
code=$(ean13 590123412345)
render 590123412345 2 "$work/c.png"
pad "$work/c.png" "$work/p.png" 36 0
convert "$work/p.png" -gravity north -crop x51+0+0 +repage "$work/t.png"
emit limits "ean13-$code-m2-height51" "$work/t.png" "$code+"
convert "$work/p.png" -gravity center -crop 16x+0+0 +repage "$work/t.png"
emit limits "ean13-$code-m2-width16" "$work/t.png" "$NOTFOUND"

# ---- beyond: outside the exact method's design, read by the libraries ----
render 400638133393 3 "$work/c.png"
pad "$work/c.png" "$work/p.png" 48 16
code=$(ean13 400638133393)
convert "$work/p.png" -rotate 90 "$work/t.png"
emit beyond "ean13-$code-m3-rot90" "$work/t.png" "$code+"
convert "$work/p.png" -background white -rotate 60 "$work/t.png"
emit beyond "ean13-$code-m3-rot60" "$work/t.png" "$NOTFOUND"
# Bars only 40 rows tall: too short for the 44-row bar-edge check.
render 978020137962 2 "$work/c.png" 20
pad "$work/c.png" "$work/p.png" 36 40
code=$(ean13 978020137962)
emit beyond "ean13-$code-m2-short" "$work/p.png" "$code+"
# EAN-8 with ordinary quiet zones only: the reading budget of about 110
# modules after the start guard runs past the picture's edge.
body=7351353
code="$body$(check_digit "$body")"
render "$body" 3 "$work/c.png"
pad "$work/c.png" "$work/p.png" 8 16
emit beyond "ean8-$code-m3-tight" "$work/p.png" "$code      "

# Photos past what a run-length reader with a fixed contrast rule can take.
# Blur wider than about 0.4 module merges the one-module guard elements.
photo beyond blur1.5 590123412345 3 41 "" "blur:1.5"
photo beyond blur1.0 9638507 2 42 "" "blur:1.0" 480 280
# Light so dim at the sides that the paper before the start guard is darker
# than the contrast rule's fixed middle grey.
photo beyond spot10 590123412345 4 43 "" "spot:10"
# Strong keystone on two-pixel modules.
photo beyond persp50 400638133393 2 44 "persp:50" "blur:0.8"

echo "corpus written to $here"
