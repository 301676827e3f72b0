#!/usr/bin/env bash
# Times "Открыть" in the real window (offscreen) on a 12 MP JPEG, from the open route to the end of the first paint
# of the picture, beside the decode alone of the same file in the same process, and prints min and median of each
# with the ratio (the goal is at most 1.3) and the process's peak resident size.
#
# Usage: bench/open-compare.sh [path/to/zorva_open_paint]
# The two are timed round after round, RUNS rounds (default 9), so that a busy moment of the shared machine falls
# on both alike. The photo is made from data/sample.jpg here, each time, as bench/process-compare.sh makes it.
set -euo pipefail
cd "$(dirname "$0")/.."

bench=$(realpath "${1:-build/bin/zorva_open_paint}")
runs=${RUNS:-9}
. bench/photo12.sh
photo12_work

QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$bench" "$work/photo.jpg" "$runs"
