#!/usr/bin/env bash
# Times zorva's quantiser, labelling and tracing beside ImageMagick, OpenCV and potrace on the same 12 MP picture.
#
# Usage: bench/segment-compare.sh [path/to/zorva_bench_segment]
# Every figure is the best of RUNS runs (default 3), all measured in this one
# run of the script; the ratio is the other tool's time over zorva's (above 1:
# zorva is faster).
set -euo pipefail

bench=${1:-build/bin/zorva_bench_segment}
runs=${RUNS:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Debian's interpreter and ImageMagick, not whatever shadows them on PATH.
py=/usr/bin/python3
magick=/usr/bin/convert

"$bench" --write-pictures "$work"

# Best wall time of a command over $runs runs, in milliseconds.
best_ms() {
    local best=""
    for _ in $(seq "$runs"); do
        local t0 t1 ms
        t0=$(date +%s%N)
        "$@" > /dev/null 2>&1
        t1=$(date +%s%N)
        ms=$(( (t1 - t0) / 1000000 ))
        if [[ -z $best || $ms -lt $best ]]; then best=$ms; fi
    done
    echo "$best"
}

# zorva: the benchmark's own figures (best of the repetitions).
"$bench" --benchmark_format=json --benchmark_repetitions="$runs" \
    --benchmark_filter='BM_MedianCut32|BM_SegmentEightScan|BM_SegmentEightScanBinary|BM_SegmentEight5|BM_SegmentMedianCut/2|BM_Trace/2|BM_TraceAndSvg/2' \
    > "$work/zorva.json" 2> /dev/null
zorva_ms() {
    "$py" - "$work/zorva.json" "$1" <<'EOF'
import json, sys
runs = [b for b in json.load(open(sys.argv[1]))["benchmarks"]
        if b.get("run_name", "").replace("/real_time", "") == sys.argv[2] and b.get("run_type") == "iteration"]
print("%.1f" % min(b["real_time"] for b in runs))
EOF
}

ratio() { "$py" -c "print('%.2f' % (float('$1') / max(float('$2'), 0.001)))"; }

report() {  # name, zorva ms, other name, other ms
    printf '%-34s %9s ms   %-40s %9s ms   ratio %s\n' "$1" "$2" "$3" "$4" "$(ratio "$4" "$2")"
}

mc=$(zorva_ms BM_MedianCut32)
im=$(best_ms "$magick" "$work/photo.bmp" +dither -colors 32 "$work/im32.bmp")
report "zorva median cut, 32 colours" "$mc" "ImageMagick -colors 32 +dither" "$im"

scan=$(zorva_ms BM_SegmentEightScan)
binary=$(zorva_ms BM_SegmentEightScanBinary)
eight=$(zorva_ms BM_SegmentEight5)
if "$py" -c 'import cv2' 2> /dev/null; then
    # Labelling only: the black-and-white picture is read before the clock starts.
    cv=$("$py" - "$work/binary.bmp" "$runs" <<'EOF'
import sys, time, cv2
cv2.setNumThreads(1)  # one thread, as zorva labels
binary = cv2.imread(sys.argv[1], cv2.IMREAD_GRAYSCALE)
best = None
for _ in range(int(sys.argv[2])):
    t0 = time.perf_counter()
    cv2.connectedComponents(binary, connectivity=8)
    t = (time.perf_counter() - t0) * 1000
    best = t if best is None else min(best, t)
print("%.1f" % best)
EOF
)
    report "zorva 8-connected scan, black/white" "$binary" "OpenCV connectedComponents (8)" "$cv"
    report "zorva 8-connected scan, photo tol 2" "$scan" "OpenCV connectedComponents (8)" "$cv"
    report "zorva 8-connected, 5 repetitions" "$eight" "OpenCV connectedComponents (8)" "$cv"
else
    echo "OpenCV for python3 is not installed (apt-get install python3-opencv): labelling comparison skipped"
    printf '%-34s %9s ms\n' "zorva 8-connected scan, black/white" "$binary" "zorva 8-connected scan, photo tol 2" "$scan" \
        "zorva 8-connected, 5 repetitions" "$eight"
fi

seg2=$(zorva_ms BM_SegmentMedianCut/2)
trace=$(zorva_ms BM_Trace/2)
svg=$(zorva_ms BM_TraceAndSvg/2)
pt=$(best_ms potrace -s -k 0.5 "$work/two.bmp" -o "$work/two-potrace.svg")
report "zorva tracing, 2 colours" "$trace" "potrace -s on the 2-colour result" "$pt"
report "zorva tracing + SVG file, 2 colours" "$svg" "potrace -s on the 2-colour result" "$pt"
total=$("$py" -c "print('%.1f' % ($seg2 + $svg))")
report "zorva segmentation + tracing + SVG" "$total" "potrace -s on the 2-colour result" "$pt"
