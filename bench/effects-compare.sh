#!/usr/bin/env bash
# Times every effect beside a plain pass over the same bytes and beside OpenCV on one thread, all in one run of
# zorva_bench_effects, and prints the ratios.
#
# Usage: bench/effects-compare.sh [path/to/zorva_bench_effects]
# Each figure is the best of RUNS repetitions (default 5), taken in random
# interleaved order so that a busy moment of the machine falls on all
# benchmarks alike. "pass" is the op's time over the plain pass (in place,
# or memcpy from a copy for the ops that read one): at most 1.5 is the goal.
# "OpenCV" is OpenCV's time over zorva's: above 1, zorva is faster.
set -euo pipefail

bench=${1:-build/bin/zorva_bench_effects}
runs=${RUNS:-5}
json=$(mktemp)
trap 'rm -f "$json"' EXIT

"$bench" --benchmark_format=json --benchmark_repetitions="$runs" --benchmark_enable_random_interleaving=true \
    > "$json" 2> /dev/null

/usr/bin/python3 - "$json" <<'PY'
import json, sys
best = {}
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b.get("run_type") != "iteration":
        continue
    name = b["run_name"].replace("BM_", "").replace("/real_time", "")
    best[name] = min(best.get(name, float("inf")), b["real_time"])

rows = [  # label, zorva, plain pass, OpenCV
    ("grey", "Grey", "Pass", "CvGrey"),
    ("negative", "Negative", "Pass", "CvInvert"),
    ("tone (from the copy)", "Tone", "Copy", None),
    ("threshold (from the copy)", "Threshold", "Copy", None),
    ("colour enhancement", "Enhance", "Pass", None),
    ("engraving preview step", "EngravePreview", "Pass", None),
    ("plate threshold (into plane)", "PlateThreshold", "Pass", None),
    ("local means", "LocalMeans", "Pass", None),
    ("engraving: means + preview", "Engrave", "Pass", "CvAdaptive"),
    ("blur light", "Blur/{}/0", "Pass", "CvBoxBlur/{}/3/1"),
    ("blur medium", "Blur/{}/1", "Pass", "CvBoxBlur/{}/5/1"),
    ("blur strong (3 x medium)", "Blur/{}/2", "Pass", "CvBoxBlur/{}/5/3"),
    ("blur very strong (3 x 9x9)", "Blur/{}/3", "Pass", "CvBoxBlur/{}/9/3"),
    ("Sobel", "Sobel", "Pass", "CvSobel"),
    ("Карандаш Т", "PencilHard", "Pass", "CvSobel"),
    ("Карандаш М", "PencilSoft", "Pass", "CvSobel"),
    ("sharpen", "Sharpen", "Pass", "CvUnsharp"),
]

def key(name, size):
    return name.format(size) if "{}" in name else "%s/%d" % (name, size)

for size, title in ((0, "12 MP, 4000 x 3000"), (1, "2 MP, 1731 x 1155 (odd width)")):
    print("== %s" % title)
    print("%-28s %9s %9s %6s %10s %7s" % ("", "zorva ms", "pass ms", "pass", "OpenCV ms", "OpenCV"))
    for label, ours, passName, cv in rows:
        t = best.get(key(ours, size))
        p = best.get(key(passName, size))
        c = best.get(key(cv, size)) if cv else None
        if t is None:
            continue
        print("%-28s %9.2f %9.2f %6.2f %10s %7s" % (
            label, t, p, t / p, "%.2f" % c if c else "", "%.2f" % (c / t) if c else ""))
PY
