#!/usr/bin/env bash
# Builds Kestrine and runs every test: the portable core natively (plain and with
# sanitizers), the Windows side under Wine in a headless X display, and the
# end-to-end tests that drive kestrine.exe as a user would.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup-machine.sh
strict=()
[ -n "${CI:-}" ] && strict=(-DKST_WERROR=ON)

passed=0 failed=0
count_ctest() {  # adds the counts of a ctest log to the totals; no summary is a failure
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of' "$1" | tail -1)
  if [ -z "$line" ]; then failed=$((failed + 1)); return 0; fi
  local fail total
  fail=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$line")
  passed=$((passed + total - fail)); failed=$((failed + fail))
}
run_ctest() {  # run_ctest BUILD_DIR LABEL
  local log="$1/ctest.log" rc=0
  ctest --test-dir "$1" --output-on-failure 2>&1 | tee "$log" || rc=$?
  count_ctest "$log"
  [ $rc -eq 0 ] || echo "FAILED: $2 tests"
  return 0
}

echo "== native build"
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Release "${strict[@]}" >/dev/null
cmake --build build/native
run_ctest build/native native

echo "== native build with sanitizers"
cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKST_SANITIZE=ON "${strict[@]}" >/dev/null
cmake --build build/sanitize
run_ctest build/sanitize sanitize

echo "== Windows build"
toolchain=()
[ -f build/win32/CMakeCache.txt ] || toolchain=(--toolchain cmake/mingw-i686.cmake)
cmake -S . -B build/win32 -G Ninja -DCMAKE_BUILD_TYPE=Release "${toolchain[@]}" "${strict[@]}" >/dev/null
cmake --build build/win32

source scripts/wine-env.sh
trap kst_wine_stop EXIT
kst_wine_prefix build/win32
kst_xvfb_start
echo "== Windows tests under Wine (DISPLAY=$DISPLAY)"
run_ctest build/win32 win32

# A case-by-case run counts only when its script is there, runs to its closing line, exits
# cleanly and reports at least once for every case it ran; anything else is a failure.
run_cases() {  # run_cases LABEL LOG SCRIPT ARGS...
  local label=$1 log=$2 script=$3
  shift 3
  if [ ! -f "$script" ] || [ ! -x "$script" ]; then
    echo "FAILED: $script is missing or not executable"
    failed=$((failed + 1))
    return 0
  fi
  local rc=0
  "$script" "$@" 2>&1 | tee "$log" || rc=$?
  local pass fail closing cases
  pass=$(grep -c '^PASS ' "$log" || true)
  fail=$(grep -c '^FAIL ' "$log" || true)
  passed=$((passed + pass)); failed=$((failed + fail))
  closing=$(grep -E "^$label finished: [0-9]+ cases, [0-9]+ reports\$" "$log" | tail -1 || true)
  cases=$(sed -E 's/^[^ ]+ finished: ([0-9]+) cases.*/\1/' <<<"$closing")
  if [ "$rc" -ne 0 ] || [ -z "$closing" ] || [ $((pass + fail)) -lt "${cases:-1}" ] || [ $((pass + fail)) -eq 0 ]; then
    echo "FAILED: the $label run did not finish cleanly (exit $rc, ${closing:-no closing line})"
    failed=$((failed + 1))
  fi
}

echo "== end-to-end tests"
run_cases e2e build/win32/e2e.log tests/e2e/run.sh build/win32

echo "== release packages"
if bash scripts/package.sh; then
  run_cases packages build/packages.log tests/packages/run.sh build/native build/win32
else
  echo "FAILED: scripts/package.sh"
  failed=$((failed + 1))
fi

kst_wine_stop
trap - EXIT
echo "total: $passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
