#!/usr/bin/env bash
# A folder that takes no new file while a file in it stays writable, for the tests that
# such a folder is named as the cause (Wine cannot make one itself):
#   run_with_refusing_folder.sh TESTS_EXE GTEST_FILTER
# The folder is made immutable where this user may (a superuser ignores permission bits),
# otherwise it loses its write permission. Where neither refuses a new file, the run is
# skipped (exit 77); a run whose cases were skipped or not run at all fails.
set -uo pipefail
tests=$1 filter=$2
dir=$(mktemp -d /tmp/kst-refusing-XXXXXX)
undo() {
  chattr -i "$dir" 2>/dev/null
  chmod 755 "$dir"
  rm -rf "$dir"
}
trap undo EXIT
printf 'writable\n' > "$dir/writable.txt"
chattr +i "$dir" 2>/dev/null || chmod 555 "$dir"
if touch "$dir/probe" 2>/dev/null; then
  echo "SKIP: no folder here refuses a new file to this user"
  exit 77
fi
log=$(KST_REFUSING_FOLDER="Z:$(tr / '\\' <<<"$dir")" wine "$tests" --gtest_color=no --gtest_filter="$filter" 2>&1)
status=$?
echo "$log"
if grep -q '^\[  SKIPPED \]' <<<"$log" || ! grep -qE '^\[  PASSED  \] [1-9]' <<<"$log"; then
  echo "FAIL: the cases did not run"
  exit 1
fi
[ "$(cat "$dir/writable.txt")" = writable ] || { echo "FAIL: the writable file was changed"; exit 1; }
exit "$status"
