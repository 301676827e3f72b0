#!/usr/bin/env bash
# Times zorva's barcode readers beside zbar on the same photos and counts each reader's decodes per sample set.
#
# Usage: bench/barcode-compare.sh [path/to/zorva_bench_barcode] [path/to/zorva-cli]
# Needs zbarimg (Debian zbar-tools) and ImageMagick. Every figure is measured
# in this one run: the best of RUNS runs (default 5). Ratios are zbar's time
# over zorva's (above 1: zorva is faster).
#   - in process: the benchmark's BM_BarcodeChain (the menu command's chain:
#     exact reader, then zxing-cpp, then zbar) and BM_Barcode (the exact
#     reader alone, "strict") against BM_Zbar (zbar's library on the same
#     picture's grey plane, every line, EAN-13 and EAN-8 only);
#   - whole tool: zbarimg against zorva-cli barcode and barcode --strict
#     (process start, decoding the BMP file, the undo snapshot and the
#     search) when zorva-cli is given or found.
# Six pictures, 12 and 2 megapixels: a code the exact reader reads
# (barcode-*), a code on its side that only the libraries read (turned-*),
# and no code (nocode-*, the worst case: every stage runs).
# Decode counts: every picture of tests/samples/barcode and, when present,
# of ../shared/corpus/barcode-public (measured only, never copied), turned
# into the same 24-bit BMP file for every reader. A decode counts when the
# digits equal the code printed on the picture (from its .txt, or for the
# project's corpus the digits in its name); "false" counts any other digits.
# The chain's decodes are split by the reader that made them.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
bench=${1:-$root/build/bin/zorva_bench_barcode}
cli=${2:-}
if [[ -z $cli && -x $(dirname "$bench")/zorva-cli ]]; then cli=$(dirname "$bench")/zorva-cli; fi
runs=${RUNS:-5}
public=${PUBLIC_CORPUS:-$root/../shared/corpus/barcode-public}
magick=/usr/bin/convert
py=/usr/bin/python3
for tool in zbarimg "$magick" "$py"; do
    command -v "$tool" > /dev/null || { echo "missing $tool (apt-get install zbar-tools imagemagick python3)" >&2; exit 1; }
done
[[ -x $bench ]] || { echo "no benchmark binary at $bench" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
zbar=(zbarimg -q --raw -Sdisable -Sean13.enable -Sean8.enable)

# Best wall time of a command over $runs runs, in milliseconds (one decimal).
best_ms() {
    local best="" t0 t1 us
    for _ in $(seq "$runs"); do
        t0=$(date +%s%N)
        "$@" > /dev/null 2>&1 || true
        t1=$(date +%s%N)
        us=$(((t1 - t0) / 1000))
        if [[ -z $best || $us -lt $best ]]; then best=$us; fi
    done
    "$py" -c "print('%.1f' % ($best / 1000))"
}
ratio() { "$py" -c "print('%.1f' % (float('$1') / max(float('$2'), 0.001)))"; }

# ---- speed ----
"$bench" --write-pictures "$work"
"$bench" --benchmark_format=json --benchmark_repetitions="$runs" > "$work/bench.json" 2> /dev/null
bench_ms() {  # run name -> best real time in ms, or "-" when absent
    "$py" - "$work/bench.json" "$1" <<'EOF'
import json, sys
runs = [b for b in json.load(open(sys.argv[1]))["benchmarks"]
        if b.get("run_name") == sys.argv[2] and b.get("run_type") == "iteration"]
print("%.2f" % min(b["real_time"] for b in runs) if runs else "-")
EOF
}

echo "Speed (best of $runs; ratio = zbar / zorva; chain: the menu command, strict: the exact reader alone)"
printf '%-13s %9s %9s %9s %6s   %9s %9s %9s %6s %6s\n' picture "chain ms" "strict ms" "zbar ms" ratio \
    "cli ms" "strict ms" "zbarimg" ratio strict
i=0
for name in barcode-12mp barcode-2mp turned-12mp turned-2mp nocode-12mp nocode-2mp; do
    chain=$(bench_ms "BM_BarcodeChain/photo:$i/real_time")
    strict=$(bench_ms "BM_Barcode/photo:$i/real_time")
    theirs=$(bench_ms "BM_Zbar/photo:$i/real_time")
    lib_ratio=$(ratio "$theirs" "$chain")
    tool_chain=- tool_strict=- tool_ratio=- strict_ratio=-
    tool_theirs=$(best_ms "${zbar[@]}" "$work/$name.bmp")
    if [[ -n $cli ]]; then
        tool_chain=$(best_ms "$cli" barcode "$work/$name.bmp")
        tool_strict=$(best_ms "$cli" barcode --strict "$work/$name.bmp")
        tool_ratio=$(ratio "$tool_theirs" "$tool_chain")
        strict_ratio=$(ratio "$tool_theirs" "$tool_strict")
    fi
    printf '%-13s %9s %9s %9s %6s   %9s %9s %9s %6s %6s\n' "$name" "$chain" "$strict" "$theirs" "$lib_ratio" \
        "$tool_chain" "$tool_strict" "$tool_theirs" "$tool_ratio" "$strict_ratio"
    i=$((i + 1))
done
rm -f "$work"/*.bmp

# ---- decode counts ----
# count SETNAME FOLDER KIND: KIND "own" takes the truth from the picture's
# name (none for names without "ean"), "public" from the first line of NAME.txt.
zbar_only=()
count() {
    local set=$1 folder=$2 kind=$3 n=0 picture name truth text reader strict theirs
    local strict_ok=0 strict_false=0 chain_ok=0 chain_false=0 by_exact=0 by_zxing=0 by_zbar=0 zbar_ok=0 zbar_false=0
    mkdir -p "$work/bmp"
    rm -f "$work"/bmp/*
    for picture in "$folder"/*.png "$folder"/*.jpg; do
        [[ -e $picture ]] || continue
        name=$(basename "${picture%.*}")
        "$magick" "$picture" -background white -alpha remove -type truecolor "BMP3:$work/bmp/$name.bmp"
    done
    [[ -n $(ls "$work/bmp") ]] || return 0
    "$bench" --read "$work"/bmp/*.bmp > "$work/chain.txt"
    "$bench" --read --strict "$work"/bmp/*.bmp > "$work/strict.txt"
    while IFS=$'\t' read -r path text reader; do
        name=$(basename "${path%.bmp}")
        if [[ $kind == own ]]; then
            truth=""
            [[ $name == ean* && $set != wrongcheck ]] && truth=$(cut -d- -f2 <<< "$name")
        else
            truth=$(head -n1 "$folder/$name.txt" | tr -d '\r ')
        fi
        text=$(tr -d ' +*' <<< "$text")
        strict=$(grep -F "$path"$'\t' "$work/strict.txt" | cut -f2 | tr -d ' +*')
        theirs=$("${zbar[@]}" "$path" 2> /dev/null | head -n1 | tr -d '\r' || true)
        n=$((n + 1))
        if [[ -n $strict ]]; then
            if [[ $strict == "$truth" ]]; then strict_ok=$((strict_ok + 1)); else strict_false=$((strict_false + 1)); fi
        fi
        if [[ -n $text ]]; then
            if [[ $text == "$truth" ]]; then
                chain_ok=$((chain_ok + 1))
                case $reader in
                    exact) by_exact=$((by_exact + 1)) ;;
                    zxing) by_zxing=$((by_zxing + 1)) ;;
                    zbar) by_zbar=$((by_zbar + 1)) ;;
                esac
            else
                chain_false=$((chain_false + 1))
            fi
        fi
        if [[ -n $theirs ]]; then
            if [[ $theirs == "$truth" ]]; then zbar_ok=$((zbar_ok + 1)); else zbar_false=$((zbar_false + 1)); fi
        fi
        if [[ -n $truth && $theirs == "$truth" && $text != "$truth" ]]; then zbar_only+=("$set/$name"); fi
    done < "$work/chain.txt"
    printf '%-22s %4d   %6s %5s   %6s %5s  %5s %5s %5s   %6s %5s\n' "$set" "$n" "$strict_ok" "$strict_false" \
        "$chain_ok" "$chain_false" "$by_exact" "$by_zxing" "$by_zbar" "$zbar_ok" "$zbar_false"
}

echo
echo "Decodes (pictures with a code: decoded correctly; false: other digits reported)"
printf '%-22s %4s   %6s %5s   %6s %5s  %5s %5s %5s   %6s %5s\n' set pics "strict" false chain false exact zxing zbar \
    zbarimg false
for folder in "$root"/tests/samples/barcode/*/; do
    count "$(basename "$folder")" "${folder%/}" own
done
if [[ -d $public ]]; then
    for folder in "$public"/*/; do
        count "public/$(basename "$folder")" "${folder%/}" public
    done
fi
echo
echo "Read by zbarimg, not by the chain:"
for item in "${zbar_only[@]}"; do echo "  $item"; done
