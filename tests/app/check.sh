# shellcheck shell=bash
# The pass/fail count of the shell tests in this folder, sourced by each of them:
#   check NAME COMMAND...   runs one check; prints its name when it fails
#   summary                 prints the count; succeeds only when nothing failed (end the script with it)
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
