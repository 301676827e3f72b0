#!/usr/bin/env bash
# Times whole runs of zorva-cli beside ImageMagick (convert-im6.q16), GraphicsMagick (gm) and libvips (vips) doing
# the same job on the same 12 MP photo, as BMP, JPEG and PNG, and prints min and median of each with the ratios.
#
# Usage: bench/process-compare.sh [path/to/zorva-cli]
# Every job writes a 24-bit BMP. The commands run round-robin, RUNS rounds (default 7), so that a busy moment of
# the shared machine falls on all of them alike. "/IM" is the time over ImageMagick's (the goal for zorva is at
# most 0.6); "peak MB" is the largest resident size of zorva-cli over the runs. A tool that is not installed is
# left out (scripts/deps.sh bench installs them). The 12 MP photo is made from data/sample.jpg here, each time.
set -euo pipefail
cd "$(dirname "$0")/.."

cli=$(realpath "${1:-build/bin/zorva-cli}")
runs=${RUNS:-7}
. bench/photo12.sh
photo12_work png

/usr/bin/python3 - "$cli" "$work" "$runs" <<'PY'
import os, shutil, statistics, subprocess, sys, time

cli, work, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])
out = os.path.join(work, "out.bmp")
gm = shutil.which("gm")
vips = shutil.which("vips")
magick = "/usr/bin/convert-im6.q16"

# zorva OP -> (ImageMagick / GraphicsMagick options, vips operation and arguments). The other tools' jobs are the
# nearest they offer: a Gaussian of the same reach for the box blur, their edge filter for Sobel.
jobs = {
    "negative": (["-negate"], ["invert"]),
    "grey": (["-colorspace", "Gray"], ["colourspace", "{in}", "{out}", "b-w"]),
    "blur:2": (["-blur", "0x1"], ["gaussblur", "{in}", "{out}", "1"]),
    "sobel": (["-edge", "1"], ["sobel"]),
    "rotate:right": (["-rotate", "90"], ["rot", "{in}", "{out}", "d90"]),
}

def vips_command(pattern, src):
    args = pattern if "{in}" in pattern else pattern + ["{in}", "{out}"]
    return [vips] + [a.replace("{in}", src).replace("{out}", out) for a in args]

def commands(fmt, op):
    src = os.path.join(work, "photo." + fmt)
    im, vp = jobs[op]
    rows = [("zorva", [cli, "apply", src, "-o", out, op]),
            ("ImageMagick", [magick, src] + im + [out])]
    if gm:
        rows.append(("GraphicsMagick", [gm, "convert", src] + im + [out]))
    if vips:
        rows.append(("vips", vips_command(vp, src)))
    return rows

def run(cmd):
    t0 = time.perf_counter()
    p = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(p.pid, 0)
    ms = (time.perf_counter() - t0) * 1000
    if status != 0:
        raise SystemExit("failed: " + " ".join(cmd))
    return ms, usage.ru_maxrss / 1024

groups = [("%s %s" % (fmt.upper(), op), commands(fmt, op)) for fmt in ("bmp", "jpg", "png") for op in jobs]
groups.append(("info on the BMP", [("zorva", [cli, "info", os.path.join(work, "photo.bmp")])]))

times = {}
peaks = {}
for cmd_list in [g[1] for g in groups]:  # one warm-up round: the files and programs in the page cache
    for _, cmd in cmd_list:
        run(cmd)
for _ in range(runs):
    for title, cmd_list in groups:
        for tool, cmd in cmd_list:
            ms, mb = run(cmd)
            times.setdefault((title, tool), []).append(ms)
            peaks[(title, tool)] = max(peaks.get((title, tool), 0), mb)

print("Whole process, 12 MP photo (4000 x 3000), BMP out; min / median of %d runs in ms; /IM = time over ImageMagick's"
      % runs)
print("%-22s %-15s %8s %8s %7s %7s %8s" % ("job", "tool", "min", "median", "/IM min", "/IM med", "peak MB"))
for title, cmd_list in groups:
    base = times.get((title, "ImageMagick"))
    for tool, _ in cmd_list:
        t = times[(title, tool)]
        lo, med = min(t), statistics.median(t)
        ratio = ("%7.2f %7.2f" % (lo / min(base), med / statistics.median(base))) if base else "%7s %7s" % ("", "")
        print("%-22s %-15s %8.1f %8.1f %s %8.1f" % (title, tool, lo, med, ratio, peaks[(title, tool)]))
PY
