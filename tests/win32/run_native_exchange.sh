#!/usr/bin/env bash
# Locked files between the native kst and the program's jobs under Wine:
#   run_native_exchange.sh NATIVE_KST EXCHANGE_TESTS_EXE
# The native kst locks plain files; the Wine test decrypts them through the decrypt job and
# locks them again through the encrypt job; the native kst decrypts those and must give
# back the plain files, and its own files must equal the job's byte for byte.
set -uo pipefail
kst=$1 tests=$2
if [ ! -x "$kst" ]; then
  echo "native kst not found at $kst: build the native tree first (scripts/test.sh does)"
  exit 1
fi
dir=$(mktemp -d /tmp/kst-exchange-XXXXXX)
trap 'rm -rf "$dir"' EXIT
printf 'exchange secret\n' > "$dir/password"
passed=0 failed=0
check() {  # check WHAT COMMAND...
  local what=$1; shift
  if "$@"; then passed=$((passed + 1)); else echo "FAIL: $what"; failed=$((failed + 1)); fi
}

# Every tail count, and several of kst's pipeline chunks; odd lengths through the pipeline
# of threads, the others through the single-threaded codec.
for length in 0 1 7 8 13 16 100003 2097157; do
  head -c "$length" /dev/urandom > "$dir/plain$length"
  threads=$((length % 2 + 1))
  check "native kst encrypts $length bytes on $threads threads" \
    "$kst" encrypt "$dir/plain$length" --threads "$threads" --password-file "$dir/password" -q
done

wine_dir="Z:$(tr / '\\' <<<"$dir")"
check "the jobs read the native files and write their own" \
  env KST_EXCHANGE_DIR="$wine_dir" wine "$tests" --gtest_color=no --gtest_filter='NativeExchange.*'

for plain in "$dir"/plain*; do
  case $plain in *.*) continue ;; esac
  check "native kst decrypts the job's $(basename "$plain")" \
    "$kst" decrypt "$plain.job.kst" -o "$plain.back" --password-file "$dir/password" -q
  check "$(basename "$plain") comes back" cmp -s "$plain" "$plain.back"
  check "the job wrote native kst's bytes for $(basename "$plain")" cmp -s "$plain.kst" "$plain.job.kst"
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
