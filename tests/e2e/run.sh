#!/usr/bin/env bash
# End-to-end tests: starts kestrine.exe under Wine in the virtual desktop and uses it as a
# person would, clicking the tool bar and typing into the dialogs with xdotool. A small
# Windows helper (kst_probe) says where windows are and what they show.
#   tests/e2e/run.sh BUILD_DIR [CASE...]   prints one line "PASS name" or "FAIL name: why" per
#                                          case (all cases, or only the case_ functions named)
set -uo pipefail
build=$(cd "${1:?usage: run.sh BUILD_DIR [CASE...]}" && pwd)
shift
only=("$@")
root=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=../../scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
kst_wine_prefix "$build" >/dev/null
own_display=0
if [ -z "${DISPLAY:-}" ]; then
  kst_xvfb_start
  own_display=1
fi

exe="$build/kestrine.exe"
work=$(mktemp -d /tmp/kst-e2e.XXXXXX)
app_pid=
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
  wineserver -k >/dev/null 2>&1
  rm -rf "$work"
  [ $own_display -eq 1 ] && kst_wine_stop
}
trap cleanup EXIT

probe() { wine "$build/tests/e2e/kst_probe.exe" "$@" 2>/dev/null | tr -d '\r'; }
winpath() { printf 'Z:%s' "${1//\//\\}"; }
report() {  # report NAME FAILURE-REASON (empty: passed)
  if [ -z "$2" ]; then echo "PASS $1"; else echo "FAIL $1: $2"; fi
}

start_app() {
  wine "$exe" "$@" >/dev/null 2>&1 &
  app_pid=$!
}
# Closes the running program through its window and waits for the process to end.
stop_app() {
  probe close Kestrine >/dev/null
  for _ in $(seq 1 150); do
    kill -0 "$app_pid" 2>/dev/null || { app_pid=; return 0; }
    sleep 0.1
  done
  kill "$app_pid" 2>/dev/null
  wineserver -k >/dev/null 2>&1
  app_pid=
  return 1
}

type_keys() {  # keystrokes reach Wine's windows only while its desktop has the focus
  xdotool windowfocus "$(xdotool search --name 'Wine desktop' | head -1)" 2>/dev/null
  sleep 0.3
  xdotool type --delay 25 "$1"
}
press_key() { xdotool key "$1"; }

# Centres of the tool bar buttons in the frame's client area: 55-pixel buttons,
# 8-pixel separators after Decrypt and Shred.
declare -A button_x=([Encrypt]=29 [Decrypt]=84 [Shred]=147 [About]=210)
click_button() {
  local origin x y
  origin=$(probe wait Kestrine 20000 | awk '/^client/ {print $2, $3}')
  [ -n "$origin" ] || return 1
  read -r x y <<<"$origin"
  xdotool mousemove $((x + button_x[$1])) $((y + 29)) click 1
}

# Types PATH into the file dialog CAPTION once it is up and confirms it.
answer_file_dialog() {
  probe wait "$1" 30000 >/dev/null || return 1
  type_keys "$(winpath "$2")"
  press_key Return
}
answer_password() {  # answer_password PASSWORD [RETYPE]
  probe wait "Password Protection" 30000 >/dev/null || return 1
  type_keys "$1"
  if [ $# -gt 1 ]; then press_key Tab; type_keys "$2"; fi
  press_key Return
}
wait_status() { probe wait Kestrine "${2:-60000}" "$1" >/dev/null; }

password=Kestrel-42

# --- started without arguments: the window with an empty status line -------------------
case_start_plain() {
  start_app
  local shown
  shown=$(probe wait Kestrine 60000) || { report start_without_arguments "no main window"; return; }
  if ! grep -q '^text 1004 $' <<<"$shown"; then
    report start_without_arguments "status line not empty"
    return
  fi
  sleep 1
  local geometry
  geometry=$(awk '/^window/ {printf "%sx%s+%s+%s", $4, $5, $2, $3}' <<<"$shown")
  import -window root "$work/desktop.png" && convert "$work/desktop.png" -crop "$geometry" +repage \
    "$build/kestrine-main-window.png"
  echo "screenshot: $build/kestrine-main-window.png" >&2
  report start_without_arguments ""
}

# --- encrypt through the tool bar and the dialogs, then decrypt back ----------------------
case_encrypt_decrypt() {
  head -c 100003 /dev/urandom >"$work/report.bin"
  click_button Encrypt &&
    answer_file_dialog "Select File to Encrypt" "$work/report.bin" &&
    answer_file_dialog "Encrypted File" "$work/report.kst" &&
    answer_password "$password" "$password" &&
    wait_status "Done Encrypting" || { report encrypt_with_toolbar "flow did not finish"; return; }
  if [ "$(head -c 4 "$work/report.kst")" != BLOW ] || [ ! -s "$work/report.kst" ]; then
    report encrypt_with_toolbar "no locked file written"
  else
    report encrypt_with_toolbar ""
  fi

  click_button Decrypt &&
    answer_file_dialog "Select File to Decrypt" "$work/report.kst" &&
    answer_file_dialog "Decrypted File" "$work/report.out" &&
    answer_password "$password" &&
    wait_status "Done Decrypting" || { report decrypt_with_toolbar "flow did not finish"; return; }
  if cmp -s "$work/report.bin" "$work/report.out"; then
    report decrypt_with_toolbar ""
  else
    report decrypt_with_toolbar "decrypted bytes differ from the original"
  fi
}

# --- shred: same length, all zero ------------------------------------------------------
case_shred() {
  head -c 250001 /dev/urandom >"$work/secret.bin"
  click_button Shred &&
    answer_file_dialog "Select File to Shred" "$work/secret.bin" &&
    wait_status "Done Shredding" || { report shred_with_toolbar "flow did not finish"; return; }
  if [ "$(stat -c %s "$work/secret.bin")" = 250001 ] && cmp -s "$work/secret.bin" <(head -c 250001 /dev/zero); then
    report shred_with_toolbar ""
  else
    report shred_with_toolbar "file not overwritten with zeros in place"
  fi
}

# --- a second start with a file hands it to the running program ------------------------
case_second_start() {
  printf 'plain words\n' >"$work/notes.txt"
  wine "$exe" "$(winpath "$work/notes.txt")" >/dev/null 2>&1 &
  local second=$!
  local ended=1
  for _ in $(seq 1 300); do
    kill -0 "$second" 2>/dev/null || { ended=0; break; }
    sleep 0.1
  done
  if [ $ended -ne 0 ]; then
    kill "$second" 2>/dev/null
    report second_start_hands_over "the second start did not end"
    return
  fi
  if ! probe wait Kestrine 30000 "This file was not encrypted with Kestrine." >/dev/null; then
    report second_start_hands_over "the running program did not check the file"
    return
  fi
  probe press Kestrine 2 "This file was not encrypted with Kestrine." >/dev/null ||
    probe press Kestrine 1 "This file was not encrypted with Kestrine." >/dev/null
  sleep 1
  local windows
  windows=$(probe count Kestrine)
  if [ "$windows" = 1 ]; then report second_start_hands_over ""; else report second_start_hands_over "$windows windows"; fi
}

# --- a locked file on the command line: the decrypt flow before the window shows -------
case_command_line_locked() {
  start_app "$(winpath "$work/report.kst")"
  if ! probe wait "Decrypted File" 60000 >/dev/null; then
    report command_line_locked_file "no destination dialog"
    return
  fi
  local before
  before=$(probe count Kestrine)
  type_keys "$(winpath "$work/report.again")"
  press_key Return
  answer_password "$password" && wait_status "Done Decrypting" ||
    { report command_line_locked_file "flow did not finish"; return; }
  if [ "$before" != 0 ]; then
    report command_line_locked_file "the main window showed before the dialogs"
  elif ! cmp -s "$work/report.bin" "$work/report.again"; then
    report command_line_locked_file "decrypted bytes differ"
  else
    report command_line_locked_file ""
  fi
}

# --- a plain file on the command line: the refusal, then the empty window -------------
case_command_line_plain() {
  printf 'not locked at all\n' >"$work/plain.txt"
  start_app "$(winpath "$work/plain.txt")"
  if ! probe wait Kestrine 60000 "This file was not encrypted with Kestrine." >/dev/null; then
    report command_line_plain_file "no refusal"
    return
  fi
  probe press Kestrine 2 "This file was not encrypted with Kestrine." >/dev/null ||
    probe press Kestrine 1 "This file was not encrypted with Kestrine." >/dev/null
  local shown
  shown=$(probe wait Kestrine 30000 "") || { report command_line_plain_file "no main window"; return; }
  for _ in $(seq 1 50); do
    grep -q '^text 1004 $' <<<"$shown" && break
    sleep 0.2
    shown=$(probe wait Kestrine 1000)
  done
  if grep -q '^text 1004 $' <<<"$shown"; then report command_line_plain_file ""; else
    report command_line_plain_file "main window not shown empty"; fi
}

# --- a second start while the first still runs its start-up decrypt flow ---------------
case_second_start_during_startup_flow() {
  printf 'BLOW\005a.txt\000' >"$work/early.kst"
  printf 'plain words\n' >"$work/later.txt"
  start_app "$(winpath "$work/early.kst")"
  if ! probe wait "Decrypted File" 60000 >/dev/null; then
    report second_start_during_startup_flow "no destination dialog"
    return
  fi
  wine "$exe" "$(winpath "$work/later.txt")" >/dev/null 2>&1 &
  local second=$! ended=1
  for _ in $(seq 1 300); do
    kill -0 "$second" 2>/dev/null || { ended=0; break; }
    sleep 0.1
  done
  if [ $ended -ne 0 ]; then
    kill "$second" 2>/dev/null
    report second_start_during_startup_flow "the second start did not hand its file over"
    return
  fi
  # The first program takes the file up once its own flow is over.
  probe press "Decrypted File" 2 >/dev/null
  if ! probe wait Kestrine 30000 "This file was not encrypted with Kestrine." >/dev/null; then
    report second_start_during_startup_flow "the running program did not take the file"
    return
  fi
  probe press Kestrine 2 "This file was not encrypted with Kestrine." >/dev/null ||
    probe press Kestrine 1 "This file was not encrypted with Kestrine." >/dev/null
  report second_start_during_startup_flow ""
}

# Each case with what it needs before it and the program it leaves to be closed.
run_cases() {
  case_start_plain
  case_encrypt_decrypt
  case_shred
  case_second_start
  stop_app || echo "note: the first program had to be ended by force" >&2
  case_command_line_locked
  stop_app || echo "note: the program had to be ended by force" >&2
  case_command_line_plain
  stop_app || echo "note: the program had to be ended by force" >&2
  case_second_start_during_startup_flow
  stop_app || echo "note: the program had to be ended by force" >&2
}

if [ ${#only[@]} -eq 0 ]; then
  run_cases
else
  for name in "${only[@]}"; do
    "case_$name"
    stop_app || echo "note: the program had to be ended by force" >&2
  done
fi
