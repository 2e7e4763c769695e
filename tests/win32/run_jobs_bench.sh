#!/usr/bin/env bash
# Runs the job benchmark under Wine (the jobs on one cipher thread and on one per processor,
# beside the raw cipher on one core in the same process), then times OpenSSL's native
# Blowfish (ECB) on files of the same sizes for comparison. Usage: tests/win32/run_jobs_bench.sh BUILD_DIR [MiB ...]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd); shift
sizes=("${@:-16 256}")
source "$root/scripts/wine-env.sh"
trap kst_wine_stop EXIT
kst_wine_prefix "$build"
kst_xvfb_start
# shellcheck disable=SC2068
wine "$build/tests/win32/jobs_bench.exe" ${sizes[@]}

tmp=$(mktemp -d)
for mib in ${sizes[@]}; do
  head -c "$((mib << 20))" /dev/urandom > "$tmp/plain"
  start=$(date +%s.%N)
  openssl enc -bf-ecb -provider legacy -provider default -K 62656e63686d61726b -nopad \
    -in "$tmp/plain" -out "$tmp/locked" 2>/dev/null
  end=$(date +%s.%N)
  awk -v s="$start" -v e="$end" -v m="$mib" \
    'BEGIN { printf "openssl enc -bf-ecb (native), %d MiB: %.2f s, %.1f MB/s\n", m, e - s, m * 1.048576 / (e - s) }'
done
rm -rf "$tmp"
