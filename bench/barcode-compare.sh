#!/usr/bin/env bash
# Times zorva's barcode reader beside zbar on the same photos and counts both readers' decodes per sample set.
#
# Usage: bench/barcode-compare.sh [path/to/zorva_bench_barcode] [path/to/zorva-cli]
# Needs zbarimg (Debian zbar-tools) and ImageMagick. Every figure is measured
# in this one run: the best of RUNS runs (default 5). Ratios are zbar's time
# over zorva's (above 1: zorva is faster).
#   - in process: the benchmark's BM_Barcode against BM_Zbar (zbar's library
#     on the same picture's grey plane, EAN-13 and EAN-8 only) when the
#     benchmark was built with zbar;
#   - whole tool: zbarimg against zorva-cli barcode (process start, decoding
#     the BMP file and the search) when zorva-cli is given or found.
# Decode counts: every picture of tests/samples/barcode and, when present,
# of ../shared/corpus/barcode-public (measured only, never copied), turned
# into the same 24-bit BMP file for both readers. A decode counts when the
# digits equal the code printed on the picture (from its .txt, or for the
# project's corpus the digits in its name); "false" counts any other digits.
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

echo "Speed (best of $runs; ratio = zbar / zorva)"
printf '%-18s %12s %12s %7s   %14s %14s %7s\n' picture "zorva ms" "zbar lib ms" ratio "zorva-cli ms" "zbarimg ms" ratio
i=0
for name in barcode-12mp barcode-2mp nocode-12mp; do
    ours=$(bench_ms "BM_Barcode/photo:$i/real_time")
    theirs=$(bench_ms "BM_Zbar/photo:$i/real_time")
    lib_ratio=-
    [[ $theirs != - ]] && lib_ratio=$(ratio "$theirs" "$ours")
    tool_ours=- tool_ratio=-
    tool_theirs=$(best_ms "${zbar[@]}" "$work/$name.bmp")
    if [[ -n $cli ]]; then
        tool_ours=$(best_ms "$cli" barcode "$work/$name.bmp")
        tool_ratio=$(ratio "$tool_theirs" "$tool_ours")
    fi
    printf '%-18s %12s %12s %7s   %14s %14s %7s\n' "$name" "$ours" "$theirs" "$lib_ratio" "$tool_ours" "$tool_theirs" "$tool_ratio"
    i=$((i + 1))
done
rm -f "$work"/*.bmp

# ---- decode counts ----
# count SETNAME FOLDER KIND: KIND "own" takes the truth from the picture's
# name (none for names without "ean"), "public" from the first line of NAME.txt.
zbar_only=()
count() {
    local set=$1 folder=$2 kind=$3 n=0 ours_ok=0 ours_false=0 zbar_ok=0 zbar_false=0 picture name truth ours theirs
    mkdir -p "$work/bmp"
    rm -f "$work"/bmp/*
    for picture in "$folder"/*.png "$folder"/*.jpg; do
        [[ -e $picture ]] || continue
        name=$(basename "${picture%.*}")
        "$magick" "$picture" -background white -alpha remove -type truecolor "BMP3:$work/bmp/$name.bmp"
    done
    [[ -n $(ls "$work/bmp") ]] || return 0
    "$bench" --read "$work"/bmp/*.bmp > "$work/ours.txt"
    while IFS=$'\t' read -r path text; do
        name=$(basename "${path%.bmp}")
        if [[ $kind == own ]]; then
            truth=""
            [[ $name == ean* && $set != wrongcheck ]] && truth=$(cut -d- -f2 <<< "$name")
        else
            truth=$(head -n1 "$folder/$name.txt" | tr -d '\r ')
        fi
        ours=$(tr -d ' +*' <<< "$text")
        theirs=$("${zbar[@]}" "$path" 2> /dev/null | head -n1 | tr -d '\r' || true)
        n=$((n + 1))
        if [[ -n $ours ]]; then
            if [[ $ours == "$truth" ]]; then ours_ok=$((ours_ok + 1)); else ours_false=$((ours_false + 1)); fi
        fi
        if [[ -n $theirs ]]; then
            if [[ $theirs == "$truth" ]]; then zbar_ok=$((zbar_ok + 1)); else zbar_false=$((zbar_false + 1)); fi
        fi
        if [[ -n $truth && $theirs == "$truth" && $ours != "$truth" ]]; then zbar_only+=("$set/$name"); fi
    done < "$work/ours.txt"
    printf '%-24s %8d %10s %8s %10s %8s\n' "$set" "$n" "$ours_ok" "$ours_false" "$zbar_ok" "$zbar_false"
}

echo
echo "Decodes (pictures with a code: decoded correctly; false: other digits reported)"
printf '%-24s %8s %10s %8s %10s %8s\n' set pictures "zorva ok" false "zbar ok" false
for folder in "$root"/tests/samples/barcode/*/; do
    count "$(basename "$folder")" "${folder%/}" own
done
if [[ -d $public ]]; then
    for folder in "$public"/*/; do
        count "public/$(basename "$folder")" "${folder%/}" public
    done
fi
echo
echo "Read by zbar, not by zorva:"
for item in "${zbar_only[@]}"; do echo "  $item"; done
