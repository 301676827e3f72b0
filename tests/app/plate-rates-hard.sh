#!/usr/bin/env bash
# The harder generated plate corpus (tests/samples/plates-hard, scripts/make-plates.sh --hard) read by
# zorva-cli through scripts/plate-rates.sh: no picture without a plate may give a plate, and the rates may
# not fall below floors a little under what the shipped bases reach on it.
#   tests/app/plate-rates-hard.sh BUILD/bin/zorva-cli
set -uo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# shellcheck source=tests/app/check.sh
source "$source_dir/tests/app/check.sh"
program_folder "$1"
export QT_QPA_PLATFORM=offscreen

# zorva-cli plate reads with the check after the reading, and reads turned what it finds no plate in (the
# reading alone: 6 plates, 159 characters; without the turned readings: 11 plates, 170 characters).
min_exact=24       # plates read exactly: 26 of 40 with the shipped bases and glyphs
min_characters=255 # characters read right at their position: 266 of 334

out=$("$source_dir/scripts/plate-rates.sh" "$source_dir/tests/samples/plates-hard" "$cli") || {
  echo "plate-rates.sh failed"; exit 1; }
echo "$out"
failed=0
if grep -q '^no plate expected' <<<"$out"; then echo "FAILED: a picture without a plate gave a plate"; failed=1; fi
summary=$(tail -n 1 <<<"$out")
read -r exact characters quiet none < <(sed -E 's/^plates: ([0-9]+) of [0-9]+ exact.*characters: ([0-9]+) of [0-9]+.*no plate: ([0-9]+) of ([0-9]+)$/\1 \2 \3 \4/' <<<"$summary")
if ! [[ "$exact" =~ ^[0-9]+$ && "$characters" =~ ^[0-9]+$ && "$none" -gt 0 ]]; then
  echo "FAILED: no rates in: $summary"; exit 1
fi
[ "$quiet" -eq "$none" ] || { echo "FAILED: $((none - quiet)) pictures without a plate gave a plate"; failed=1; }
[ "$exact" -ge "$min_exact" ] || { echo "FAILED: $exact plates read exactly, fewer than $min_exact"; failed=1; }
[ "$characters" -ge "$min_characters" ] || {
  echo "FAILED: $characters characters read right, fewer than $min_characters"; failed=1; }
exit "$failed"
