# shellcheck shell=bash
# The pass/fail count of the shell tests in this folder, sourced by each of them:
#   check NAME COMMAND...   runs one check; prints its name when it fails
#   summary                 prints the count; succeeds only when nothing failed (end the script with it)
#   program_folder CLI      a copy of CLI with the shipped bases in a program folder of its own
passed=0
failed=0
check() {  # NAME COMMAND...: passes when the command succeeds
  local name=$1
  shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $name"; fi
}
summary() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
# program_folder CLI: $cli becomes a copy of CLI in a program folder of the test's own ($work/bin, beside
# the shipped symbol bases), so that the snapshot folders of the copies it runs are the only ones in it.
# Needs $source_dir and $work.
# shellcheck disable=SC2154,SC2034  # $work, $source_dir and $cli belong to the sourcing script
program_folder() {
  mkdir "$work/bin"
  cp "$1" "$work/bin/zorva-cli"
  cp "$source_dir"/data/bases/BazaDan*.zdb "$work/bin/"
  cli=$work/bin/zorva-cli
}
