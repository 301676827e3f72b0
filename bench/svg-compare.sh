#!/usr/bin/env bash
# Times the whole SVG export run, `zorva-cli apply PHOTO segment:32,5 svg:1`, of two builds side by side in one run
# on the 12 MP photo (4000 x 3000 JPEG, made from data/sample.jpg as bench/process-compare.sh makes it), prints min
# and median of each, the ratio, and the peak resident size, and checks that both wrote the same SVG file.
#
# Usage: bench/svg-compare.sh OLD_ZORVA_CLI [NEW_ZORVA_CLI]   (RUNS=10 by default; needs hyperfine)
set -euo pipefail
cd "$(dirname "$0")/.."

old=$(realpath "$1")
new=$(realpath "${2:-build/bin/zorva-cli}")
runs=${RUNS:-10}
. bench/photo12.sh
photo12_work
mkdir "$work/old" "$work/new"
cp "$work/photo.jpg" "$work/old/photo.jpg"
cp "$work/photo.jpg" "$work/new/photo.jpg"

# Each build writes its SVG beside its own copy of the photo.
hyperfine -N -w 2 -r "$runs" --export-json "$work/times.json" \
  -n old "$old apply $work/old/photo.jpg segment:32,5 svg:1" \
  -n new "$new apply $work/new/photo.jpg segment:32,5 svg:1" > /dev/null

peak() {  # largest resident size in MB over three runs
  local most=0 kb
  for _ in 1 2 3; do
    kb=$(/usr/bin/time -f %M "$1" apply "$2" segment:32,5 svg:1 2>&1 > /dev/null | tail -1)
    ((kb > most)) && most=$kb
  done
  echo $((most / 1024))
}
peakOld=$(peak "$old" "$work/old/photo.jpg")
peakNew=$(peak "$new" "$work/new/photo.jpg")

/usr/bin/python3 - "$work/times.json" "$peakOld" "$peakNew" <<'PY'
import json, statistics, sys
results = {r["command"]: r["times"] for r in json.load(open(sys.argv[1]))["results"]}
peaks = {"old": sys.argv[2], "new": sys.argv[3]}
print("apply PHOTO segment:32,5 svg:1, 12 MP JPEG; %d runs each, ms" % len(results["old"]))
print("%-5s %8s %8s %8s %8s" % ("build", "min", "median", "max", "peak MB"))
for name in ("old", "new"):
    t = [s * 1000 for s in results[name]]
    print("%-5s %8.1f %8.1f %8.1f %8s" % (name, min(t), statistics.median(t), max(t), peaks[name]))
o = [s * 1000 for s in results["old"]]
n = [s * 1000 for s in results["new"]]
print("new/old: min %.2f, median %.2f" % (min(n) / min(o), statistics.median(n) / statistics.median(o)))
PY
if cmp -s "$work/old/photo.svg" "$work/new/photo.svg"; then
  echo "SVG files: identical ($(stat -c %s "$work/new/photo.svg") bytes)"
else
  echo "SVG files: DIFFER"
  exit 1
fi
