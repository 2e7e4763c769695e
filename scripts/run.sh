#!/usr/bin/env bash
# Builds Kestrine and starts it under Wine, in Wine's virtual desktop. Without a display
# it starts a headless one and saves a screenshot of the desktop a few seconds in.
#   bash scripts/run.sh [FILE]     FILE is handed to Kestrine as its command line
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup-machine.sh
if [ ! -f build/win32/CMakeCache.txt ]; then
  cmake -S . -B build/win32 -G Ninja -DCMAKE_BUILD_TYPE=Release --toolchain cmake/mingw-i686.cmake >/dev/null
fi
cmake --build build/win32 --target kestrine kst_probe

source scripts/wine-env.sh
kst_wine_prefix build/win32
headless=0
if [ -z "${DISPLAY:-}" ]; then
  kst_xvfb_start
  headless=1
  trap kst_wine_stop EXIT
fi

args=()
[ $# -gt 0 ] && args=("$(winepath -w "$1")")
echo "Kestrine: starting on DISPLAY=$DISPLAY"
wine build/win32/kestrine.exe "${args[@]}" &
app=$!

if [ $headless -eq 1 ]; then
  # Waits for the main window (the first start in a fresh prefix takes a while).
  wine build/win32/tests/e2e/kst_probe.exe wait Kestrine 60000 >/dev/null 2>&1 || true
  sleep 1
  shot="$root/build/win32/kestrine-screenshot.png"
  import -window root "$shot"
  echo "Kestrine: screenshot of the desktop saved to $shot"
  echo "Kestrine: running headless; press Ctrl+C to stop"
fi
wait "$app" || true
