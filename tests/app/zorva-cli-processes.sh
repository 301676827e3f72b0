#!/usr/bin/env bash
# zorva-cli as scripts run it: many copies at once, pipes, links and folders of photos.
#   tests/app/zorva-cli-processes.sh BUILD/bin/zorva-cli
# Each check prints its name when it fails; the last line counts them.
set -uo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen

# shellcheck source=tests/app/check.sh
source "$source_dir/tests/app/check.sh"
program_folder "$1"

"$cli" convert "$source_dir/tests/samples/plates/A495OE06.jpg" "$work/photo.bmp" || exit 1

# ---- many copies at once ----
# Eight copies started together, fifty runs each, every run undoing and
# redoing: no run may lose a step, and the copies that ended leave no
# folder or file of theirs behind.
many_copies() {
  "$cli" apply "$work/photo.bmp" -o "$work/expected.bmp" tool:pencil click:1,1 click:2,2 undo redo >/dev/null || return 1
  local pids=() copy
  for copy in 1 2 3 4 5 6 7 8; do
    (
      for run in $(seq 50); do
        "$cli" apply "$work/photo.bmp" -o "$work/o$copy.bmp" tool:pencil click:1,1 click:2,2 undo redo \
          >/dev/null 2>"$work/err$copy" || { echo "copy $copy run $run: $(cat "$work/err$copy")"; exit 1; }
        cmp -s "$work/o$copy.bmp" "$work/expected.bmp" || { echo "copy $copy run $run: wrong picture"; exit 1; }
      done
    ) &
    pids+=($!)
  done
  local ok=0
  for pid in "${pids[@]}"; do wait "$pid" || ok=1; done
  local left
  left=$(find "$work/bin" -mindepth 1 \( -type d -o -name '.*' \) | head -5)
  [ -z "$left" ] || { echo "left behind: $left"; ok=1; }
  return $ok
}
check "eight copies, fifty runs each, undo and redo" many_copies

# A script without undo or redo writes no snapshot file at all.
no_undo_files() {
  rm -f "$work"/bin/\$\$\$grVX*.bmp
  "$cli" apply "$work/photo.bmp" -o "$work/n.bmp" negative blur:2 || return 1
  [ -z "$(find "$work/bin" -name '$$$grVX*.bmp')" ]
}
check "no snapshot files without undo" no_undo_files

# ---- standard output ----
# The picture through a pipe holds the picture only; the status lines go to
# standard error.
picture_on_stdout() {
  "$cli" apply "$work/photo.bmp" -o "$work/seg.bmp" segment:2,5 >/dev/null || return 1
  "$cli" apply "$work/photo.bmp" -o /dev/stdout segment:2,5 2>"$work/lines" | cmp -s - "$work/seg.bmp" || return 1
  grep -q "^4	" "$work/lines" || return 1
  "$cli" apply "$work/photo.bmp" -o - segment:2,5 2>/dev/null | cmp -s - "$work/seg.bmp"
}
check "a picture on standard output" picture_on_stdout

# ---- a base that is a fifo ----
fifo_base() {
  mkdir -p "$work/fifo/bin" && cp "$cli" "$work/fifo/bin/" && mkfifo "$work/fifo/bin/BazaDan1.zdb"
  timeout 20 "$work/fifo/bin/zorva-cli" compare "$work/photo.bmp" 1 >/dev/null 2>&1
  [ $? -eq 1 ]
}
check "a fifo in place of a base" fifo_base

# ---- folders of photos side by side ----
# Four folders through GNU parallel, twice at once, report the same as one
# after another.
parallel_folders() {
  local k photos=("$source_dir"/tests/samples/plates/*.jpg)
  for k in 0 1 2 3; do
    mkdir -p "$work/seq/f$k" "$work/par1/f$k" "$work/par2/f$k"
    for f in "${photos[@]:$((k * 3)):3}"; do
      cp "$f" "$work/seq/f$k/"; cp "$f" "$work/par1/f$k/"; cp "$f" "$work/par2/f$k/"
    done
    "$cli" plates "$work/seq/f$k" >/dev/null 2>&1 || return 1
  done
  parallel -j4 "$cli" plates {} ::: "$work"/par1/f* >/dev/null 2>&1 &
  local first=$!
  parallel -j4 "$cli" plates {} ::: "$work"/par2/f* >/dev/null 2>&1 || return 1
  wait $first || return 1
  for k in 0 1 2 3; do
    cmp -s "$work/seq/f$k/1avto_num.txt" "$work/par1/f$k/1avto_num.txt" || return 1
    cmp -s "$work/seq/f$k/1avto_num.txt" "$work/par2/f$k/1avto_num.txt" || return 1
  done
}
check "plates in parallel folders" parallel_folders

summary
