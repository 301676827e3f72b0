#!/usr/bin/env bash
# Reads the plate of every photo of a folder with `zorva-cli plate` and prints the hit rates: whole plates
# read exactly, characters read right at their position, and photos whose name is no plate text (which must
# give no plate).
#   scripts/plate-rates.sh FOLDER [ZORVA_CLI]     (default build/bin/zorva-cli)
set -euo pipefail
folder=$1
cli=${2:-build/bin/zorva-cli}
shopt -s nullglob nocaseglob
photos=("$folder"/*.jpg "$folder"/*.jpeg)
[ ${#photos[@]} -gt 0 ] || { echo "$folder: no photos" >&2; exit 1; }
"$cli" plate "${photos[@]}" 2>/dev/null | awk -F'\t' '
  {
    n = split($1, parts, "/"); name = parts[n]; sub(/\.[^.]*$/, "", name)
    result = $2
    if (name !~ /^[ABCEHKMOPTXY][0-9][0-9][0-9][ABCEHKMOPTXY][ABCEHKMOPTXY][0-9][0-9][0-9]?$/) {
      none++; if (substr(result, 1, 1) == "*") quiet++; else printf "no plate expected: %s read %s\n", name, result
      next
    }
    plates++
    read = result; sub(/ +$/, "", read)
    if (read == name) exact++; else printf "%-10s read %s\n", name, result
    for (i = 1; i <= length(name); ++i) { chars++; if (substr(result, i, 1) == substr(name, i, 1)) right++ }
  }
  END {
    printf "plates: %d of %d exact (%.1f %%), characters: %d of %d (%.1f %%)", exact, plates, 100 * exact / plates, right, chars, 100 * right / chars
    if (none) printf ", no plate: %d of %d", quiet, none
    printf "\n"
  }'
