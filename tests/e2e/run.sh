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
mounted=
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
  wineserver -k >/dev/null 2>&1
  [ -n "$mounted" ] && { umount "$mounted" 2>/dev/null || umount -l "$mounted" 2>/dev/null; }
  rm -rf "$work"
  [ $own_display -eq 1 ] && kst_wine_stop
}
trap cleanup EXIT

# The main window's text is the title and the (empty) document title; message boxes carry
# the bare program name.
main_window="Kestrine "
probe() { wine "$build/tests/e2e/kst_probe.exe" "$@" 2>/dev/null | tr -d '\r'; }
winpath() { printf 'Z:%s' "${1//\//\\}"; }
# shellcheck source=../support/script_cases.sh
source "$root/tests/support/script_cases.sh"

start_app() {
  wine "$exe" "$@" >/dev/null 2>&1 &
  app_pid=$!
}
# Closes the running program through its window and waits for the process to end.
stop_app() {
  probe close "$main_window" >/dev/null
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

# Command ids of the tool bar buttons; where they are comes from the bar itself.
declare -A button_id=([Encrypt]=32771 [Decrypt]=32772 [Shred]=32773 [About]=57664)
click_button() {
  local centre x y
  probe wait "$main_window" 20000 >/dev/null || return 1
  centre=$(probe button "$main_window" "${button_id[$1]}" | awk '/^button/ {print $2, $3}')
  [ -n "$centre" ] || return 1
  read -r x y <<<"$centre"
  xdotool mousemove "$x" "$y" click 1
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
wait_status() { probe wait "$main_window" "${2:-60000}" "$1" >/dev/null; }

password=Kestrel-42

# The refusal of a file that is not locked: waits for it (MS ms) and presses its button.
not_locked="This file was not encrypted with Kestrine."
wait_not_locked() { probe wait Kestrine "$1" "$not_locked" >/dev/null; }
dismiss_not_locked() {
  probe press Kestrine 2 "$not_locked" >/dev/null || probe press Kestrine 1 "$not_locked" >/dev/null
}
# Starts a second program with PATH and waits for it to hand the file over and end;
# fails (and stops it) when it does not end within 30 s.
second_start_ends() {
  wine "$exe" "$(winpath "$1")" >/dev/null 2>&1 &
  local second=$!
  for _ in $(seq 1 300); do
    kill -0 "$second" 2>/dev/null || return 0
    sleep 0.1
  done
  kill "$second" 2>/dev/null
  return 1
}

# --- started without arguments: the window with an empty status line -------------------
case_start_plain() {
  start_app
  local shown
  shown=$(probe wait "$main_window" 60000) || { report start_without_arguments "no main window"; return; }
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

# --- the caption: shaded to black when active, flat when another window is active -------
# Row 0 of the caption (inside the 3-pixel dialog frame) shows only the background.
pixel() {  # pixel IMAGE X Y: "r g b"
  convert "$1" -format "%[fx:int(255*p{$2,$3}.r+0.5)] %[fx:int(255*p{$2,$3}.g+0.5)] %[fx:int(255*p{$2,$3}.b+0.5)]" info:
}
colours_in_row() {  # colours_in_row IMAGE X Y WIDTH: how many different colours
  convert "$1" -crop "${4}x1+$2+$3" +repage -format '%k' info:
}
shoot() {  # shoot GEOMETRY FILE
  import -window root "$work/desktop.png" && convert "$work/desktop.png" -crop "$1" +repage "$2"
}
case_caption() {
  local shown x y w h geometry active inactive
  shown=$(probe wait "$main_window" 20000) || { report caption_shaded_and_flat "no main window"; return; }
  read -r x y w h <<<"$(awk '/^window/ {print $2, $3, $4, $5}' <<<"$shown")"
  geometry="${w}x${h}+${x}+${y}"
  xdotool mousemove $((x + w - 20)) $((y + h - 10)) click 1  # into the view: the window is active
  sleep 1.5
  shoot "$geometry" "$build/kestrine-caption-active.png"
  probe hold "Kestrine e2e holder" 8000 &
  local holder=$!
  probe wait "Kestrine e2e holder" 20000 >/dev/null
  sleep 1.5
  shoot "$geometry" "$build/kestrine-caption-inactive.png"
  wait "$holder"
  echo "screenshots: $build/kestrine-caption-active.png $build/kestrine-caption-inactive.png" >&2

  active=$(probe syscolor 2)
  inactive=$(probe syscolor 3)
  local a="$build/kestrine-caption-active.png" i="$build/kestrine-caption-inactive.png" why=""
  local cx=$((w - 6)) x0=$((5 * (w - 6) / 6))
  [ "$(pixel "$a" 3 3)" = "0 0 0" ] || why="active left end is $(pixel "$a" 3 3), not black"
  [ -z "$why" ] && [ "$(colours_in_row "$a" $((3 + x0)) 3 $((cx - x0)))" = 1 ] &&
    [ "$(pixel "$a" $((3 + cx - 1)) 3)" = "$active" ] || why=${why:-"active right sixth is not all $active"}
  [ "$(colours_in_row "$i" 3 3 "$cx")" = 1 ] && [ "$(pixel "$i" 3 3)" = "$inactive" ] ||
    why=${why:-"inactive caption is not flat $inactive"}
  echo "caption pixels: active left $(pixel "$a" 3 3), active right $(pixel "$a" $((3 + cx - 1)) 3) (caption colour $active);" \
    "inactive $(colours_in_row "$i" 3 3 "$cx") colour(s), $(pixel "$i" 3 3) (caption colour $inactive)" >&2
  report caption_shaded_and_flat "$why"
}

# --- encrypt through the tool bar and the dialogs, then decrypt back ----------------------
toolbar_encrypt() {  # toolbar_encrypt SOURCE DEST: the tool bar's Encrypt with the tests' password
  click_button Encrypt &&
    answer_file_dialog "Select File to Encrypt" "$1" &&
    answer_file_dialog "Encrypted File" "$2" &&
    answer_password "$password" "$password" &&
    wait_status "Done Encrypting"
}
case_encrypt_decrypt() {
  head -c 100003 /dev/urandom >"$work/report.bin"
  toolbar_encrypt "$work/report.bin" "$work/report.kst" || { report encrypt_with_toolbar "flow did not finish"; return; }
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

# --- a locked file dragged onto the view from another process: the decrypt flow ---------
# The drag source is a second Wine process running OLE's drag loop over the view (xdotool
# cannot drag); its drag loop returns as the drop is taken, and the flow follows.
case_drop_on_view() {
  wine "$build/tests/e2e/kst_drag.exe" "$main_window" "$(winpath "$work/report.kst")" >"$work/drag.out" 2>/dev/null &
  local drag=$!
  # The dialogs are answered through their controls: keystrokes go to the foreground
  # window, which the drag source's process may still hold.
  probe wait "Decrypted File" 60000 >/dev/null &&
    probe settext "Decrypted File" 1148 "$(winpath "$work/report.dropped")" &&
    probe press "Decrypted File" 1 &&
    probe wait "Password Protection" 30000 >/dev/null &&
    probe settext "Password Protection" 1003 "$password" &&
    probe press "Password Protection" 1 &&
    wait_status "Done Decrypting" || { kill "$drag" 2>/dev/null; report drop_on_view "flow did not finish ($(tr -d '\r\n' <"$work/drag.out"))"; return; }
  for _ in $(seq 1 300); do
    kill -0 "$drag" 2>/dev/null || break
    sleep 0.1
  done
  kill "$drag" 2>/dev/null
  if ! grep -q '^effect 1 ' "$work/drag.out"; then
    report drop_on_view "the drag source did not see its drop taken: $(tr -d '\r\n' <"$work/drag.out")"
  elif ! cmp -s "$work/report.bin" "$work/report.dropped"; then
    report drop_on_view "decrypted bytes differ from the original"
  else
    report drop_on_view ""
  fi
}

# --- the program a file is dragged from is free before the drop's first dialog --------
case_drop_frees_source() {
  [ -n "$app_pid" ] || start_app
  probe wait "$main_window" 30000 >/dev/null
  printf 'words to lock\n' >"$work/dropped.txt"
  wine "$build/tests/e2e/kst_drag.exe" "$main_window" "$(winpath "$work/dropped.txt")" >"$work/drag2.out" 2>/dev/null &
  local drag=$! returned=0 still_open=0
  if ! probe wait "Encrypted File" 60000 >/dev/null; then
    kill "$drag" 2>/dev/null
    report drop_frees_source "no Encrypted File dialog ($(tr -d '\r\n' <"$work/drag2.out"))"
    return
  fi
  # The dialog is up: the drag source has left its drag loop and ends (Wine takes a moment).
  for _ in $(seq 1 50); do
    kill -0 "$drag" 2>/dev/null || { returned=1; break; }
    sleep 0.1
  done
  [ "$(probe count "Encrypted File")" -ge 1 ] 2>/dev/null && still_open=1
  probe press "Encrypted File" 2 >/dev/null
  probe gone "Encrypted File" 20000 >/dev/null
  kill "$drag" 2>/dev/null
  if [ $returned -eq 0 ]; then
    report drop_frees_source "the drag source was still in its drag loop while the dialog was open"
  elif [ $still_open -eq 0 ]; then
    report drop_frees_source "the dialog was gone before the drag source was seen to end"
  elif ! grep -q '^effect 1 ' "$work/drag2.out"; then
    report drop_frees_source "the drag source did not see its drop taken: $(tr -d '\r\n' <"$work/drag2.out")"
  else
    report drop_frees_source ""
  fi
}

# --- a second start with a file hands it to the running program ------------------------
case_second_start() {
  printf 'plain words\n' >"$work/notes.txt"
  if ! second_start_ends "$work/notes.txt"; then
    report second_start_hands_over "the second start did not end"
    return
  fi
  if ! wait_not_locked 30000; then
    report second_start_hands_over "the running program did not check the file"
    return
  fi
  dismiss_not_locked
  sleep 1
  local windows
  windows=$(probe count "$main_window")
  if [ "$windows" = 1 ]; then report second_start_hands_over ""; else report second_start_hands_over "$windows windows"; fi
}

# --- Explorer's entries, run on a file as Explorer runs them, with the program running ---
# "Encrypt with Kestrine" leads through the encrypt flow to the same locked file as the tool
# bar's Encrypt; "Shred with Kestrine" answered No leaves the file as it was.
running_program() {  # starts the program unless it runs already
  [ "$(probe count "$main_window")" = 1 ] && return 0
  start_app
  probe wait "$main_window" 60000 >/dev/null
}
wait_same() {  # wait_same FILE FILE: until both hold the same bytes (60 s)
  for _ in $(seq 1 600); do
    cmp -s "$1" "$2" && return 0
    sleep 0.1
  done
  return 1
}
case_explorer_verbs() {
  running_program || { report explorer_encrypt "no main window"; return; }
  head -c 70001 /dev/urandom >"$work/minutes.bin"
  cp "$work/minutes.bin" "$work/minutes.copy"
  toolbar_encrypt "$work/minutes.bin" "$work/minutes-toolbar.kst" ||
    { report explorer_encrypt "the tool bar's encryption did not finish"; return; }
  # The dialogs are answered through their controls: keystrokes go to the foreground
  # window, which the started command's process may still hold.
  probe explorer Kestrine.Encrypt "$(winpath "$work/minutes.bin")" >&2 &&
    probe wait "Encrypted File" 60000 >/dev/null &&
    probe settext "Encrypted File" 1148 "$(winpath "$work/minutes-explorer.kst")" &&
    probe press "Encrypted File" 1 &&
    probe wait "Password Protection" 30000 >/dev/null &&
    probe settext "Password Protection" 1003 "$password" &&
    probe settext "Password Protection" 1004 "$password" &&
    probe press "Password Protection" 1 || { report explorer_encrypt "flow did not come up"; return; }
  if wait_same "$work/minutes-toolbar.kst" "$work/minutes-explorer.kst"; then
    report explorer_encrypt ""
  else
    report explorer_encrypt "the locked file differs from the tool bar's"
  fi

  local question="Shred minutes.bin? Its contents will be overwritten with zeros and cannot be recovered."
  probe explorer Kestrine.Shred "$(winpath "$work/minutes.bin")" >&2 &&
    probe wait Kestrine 60000 "$question" >/dev/null || { report explorer_shred_no "no question"; return; }
  probe press Kestrine 7 "$question" >/dev/null  # No
  probe gone Kestrine 10000
  sleep 2
  if cmp -s "$work/minutes.bin" "$work/minutes.copy"; then report explorer_shred_no ""; else
    report explorer_shred_no "the file changed"; fi
}

# --- the keys: Ctrl+E on the active window opens the encrypt flow ----------------------
case_keyboard() {
  running_program || { report keyboard_ctrl_e "no main window"; return; }
  local x y w h
  read -r x y w h <<<"$(probe wait "$main_window" 20000 | awk '/^window/ {print $2, $3, $4, $5}')"
  xdotool mousemove $((x + w - 20)) $((y + h - 10)) click 1  # into the view: the window is active
  sleep 0.5
  xdotool key ctrl+e
  if probe wait "Select File to Encrypt" 30000 >/dev/null; then
    probe press "Select File to Encrypt" 2 >/dev/null
    report keyboard_ctrl_e ""
  else
    report keyboard_ctrl_e "no source dialog"
  fi
}

# --- a locked file on the command line: the decrypt flow before the window shows -------
case_command_line_locked() {
  start_app "$(winpath "$work/report.kst")"
  if ! probe wait "Decrypted File" 60000 >/dev/null; then
    report command_line_locked_file "no destination dialog"
    return
  fi
  local before
  before=$(probe count "$main_window")
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
  if ! wait_not_locked 60000; then
    report command_line_plain_file "no refusal"
    return
  fi
  dismiss_not_locked
  local shown
  shown=$(probe wait "$main_window" 30000 "") || { report command_line_plain_file "no main window"; return; }
  for _ in $(seq 1 50); do
    grep -q '^text 1004 $' <<<"$shown" && break
    sleep 0.2
    shown=$(probe wait "$main_window" 1000)
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
  if ! second_start_ends "$work/later.txt"; then
    report second_start_during_startup_flow "the second start did not hand its file over"
    return
  fi
  # The first program takes the file up once its own flow is over.
  probe press "Decrypted File" 2 >/dev/null
  if ! wait_not_locked 30000; then
    report second_start_during_startup_flow "the running program did not take the file"
    return
  fi
  dismiss_not_locked
  report second_start_during_startup_flow ""
}

# --- a full disk under a destination the user chose to replace -------------------------
# A small file system of its own holds the existing locked file; encrypting a larger file
# over it runs out of space. The old file stays byte for byte, and after the error and a
# close the program's process has ended within a few seconds.
case_full_disk() {
  local full="$work/full"
  mkdir -p "$full"
  if ! mount -t tmpfs -o size=64k kst-e2e-full "$full"; then
    report full_disk_keeps_destination "could not mount a small file system at $full"
    return
  fi
  mounted=$full
  head -c 200000 /dev/urandom >"$work/big.bin"
  head -c 20000 /dev/urandom >"$work/big.kst.before"
  cp "$work/big.kst.before" "$full/big.kst"
  local error="Error writing the encrypted file."
  start_app
  click_button Encrypt &&
    answer_file_dialog "Select File to Encrypt" "$work/big.bin" &&
    answer_file_dialog "Encrypted File" "$full/big.kst" &&
    probe wait "Encrypted File" 30000 "already exists" >/dev/null &&
    probe press "Encrypted File" 6 "already exists" >/dev/null &&
    answer_password "$password" "$password" &&
    probe wait Kestrine 60000 "$error" >/dev/null || { report full_disk_keeps_destination "no write error was shown"; return; }
  probe press Kestrine 2 "$error" >/dev/null || probe press Kestrine 1 "$error" >/dev/null
  wait_status "Encrypting failed." 30000 || { report full_disk_keeps_destination "the status does not say it failed"; return; }
  if ! cmp -s "$work/big.kst.before" "$full/big.kst"; then
    report full_disk_keeps_destination "the file chosen to be replaced was changed or lost"
  elif [ "$(ls -A "$full")" != big.kst ]; then
    report full_disk_keeps_destination "files were left beside it: $(ls -A "$full" | tr '\n' ' ')"
  else
    report full_disk_keeps_destination ""
  fi

  probe close "$main_window" >/dev/null
  local ended=0
  for _ in $(seq 1 100); do
    kill -0 "$app_pid" 2>/dev/null || { ended=1; break; }
    sleep 0.1
  done
  if [ $ended -eq 1 ]; then
    app_pid=
    report exit_after_failed_job ""
  else
    report exit_after_failed_job "the process was still there 10 s after the window closed"
  fi
  umount "$full" && mounted=
}

# --- ten files chosen in Explorer and shredded at once -----------------------------------
# Explorer starts the program once per file, all at the same moment. The starts take turns:
# one makes the window and the others hand their files to it; each file's question comes
# up in turn, and Yes to each leaves all ten files as zeros.
case_ten_shreds_at_once() {
  local i name seen why="" starts=()
  declare -A asked=()
  for i in $(seq 0 9); do head -c $((40000 + i)) /dev/urandom >"$work/ten_$i.bin"; done
  for i in $(seq 0 9); do
    wine "$exe" /shred "$(winpath "$work/ten_$i.bin")" >/dev/null 2>&1 &
    starts+=($!)
  done
  local deadline=$((SECONDS + 240))
  while [ ${#asked[@]} -lt 10 ] && [ $SECONDS -lt $deadline ]; do
    seen=$(probe wait Kestrine 5000 "Shred ten_") || continue
    name=$(grep -o 'Shred ten_[0-9]*\.bin?' <<<"$seen" | head -1)
    [ -n "$name" ] || continue
    [ -n "${asked[$name]:-}" ] && why=${why:-"asked twice: $name"}
    asked[$name]=1
    probe press Kestrine 6 "$name" >/dev/null  # Yes
    for _ in $(seq 1 100); do probe wait Kestrine 100 "$name" >/dev/null || break; done
  done
  [ ${#asked[@]} -eq 10 ] || why=${why:-"only ${#asked[@]} of the ten questions came up"}
  local zeros=0
  for _ in $(seq 1 600); do
    zeros=0
    for i in $(seq 0 9); do
      cmp -s "$work/ten_$i.bin" <(head -c $((40000 + i)) /dev/zero) && zeros=$((zeros + 1))
    done
    [ $zeros -eq 10 ] && break
    sleep 0.1
  done
  [ $zeros -eq 10 ] || why=${why:-"$((10 - zeros)) of the ten files kept their content"}
  local windows
  windows=$(probe count "$main_window")
  [ "$windows" = 1 ] || why=${why:-"$windows main windows for the ten starts"}
  report ten_shreds_at_once "$why"
  # Every start but the window's own has ended; the window's goes with its window.
  while [ "$(probe count "$main_window")" -gt 0 ] 2>/dev/null; do
    probe close "$main_window" >/dev/null
    sleep 1
    [ $SECONDS -lt $((deadline + 30)) ] || break
  done
  for i in "${starts[@]}"; do
    for _ in $(seq 1 100); do kill -0 "$i" 2>/dev/null || break; sleep 0.1; done
    kill "$i" 2>/dev/null
  done
}

# Each case with what it needs before it and the program it leaves to be closed.
# --- a file named outside the code page, from the command line ---------------------------
# "Отчёт 📄.txt" on a Western system: the program opens it by its wide name and stores the
# name as the code page has it, "_____ _.txt", as kst on Linux does for the same file.
case_command_line_wide_name() {
  local name="Отчёт 📄.txt"
  local kst="$root/build/native/cli/kst"
  mkdir -p "$work/wide"
  printf 'Quarterly figures, locked from the command line.\n' >"$work/wide/$name"
  printf '%s\n' "$password" >"$work/wide/password"
  if [ ! -x "$kst" ] ||
    ! LC_ALL=C.UTF-8 "$kst" encrypt "$work/wide/$name" -o "$work/wide/reference.kst" -q \
      --password-file "$work/wide/password"; then
    report command_line_wide_name "no reference from the native kst ($kst)"
    return
  fi
  # Wine hands the program its arguments as the locale's text says them.
  LC_ALL=C.UTF-8 wine "$exe" /encrypt "$(winpath "$work/wide/$name")" >/dev/null 2>&1 &
  app_pid=$!
  probe wait "Encrypted File" 60000 >/dev/null &&
    probe settext "Encrypted File" 1148 "$(winpath "$work/wide/locked.kst")" &&
    probe press "Encrypted File" 1 &&
    probe wait "Password Protection" 30000 >/dev/null &&
    probe settext "Password Protection" 1003 "$password" &&
    probe settext "Password Protection" 1004 "$password" &&
    probe press "Password Protection" 1 || { report command_line_wide_name "flow did not come up"; return; }
  if ! wait_status "Done Encrypting"; then
    report command_line_wide_name "the job did not finish"
  elif ! cmp -s "$work/wide/reference.kst" "$work/wide/locked.kst"; then
    report command_line_wide_name "the locked file differs from the reference"
  else
    report command_line_wide_name ""
  fi
}

run_cases() {
  run_case start_plain
  run_case caption
  run_case encrypt_decrypt
  run_case shred
  run_case drop_on_view
  run_case drop_frees_source
  run_case second_start
  run_case explorer_verbs
  run_case keyboard
  stop_app || echo "note: the first program had to be ended by force" >&2
  run_case command_line_locked
  stop_app || echo "note: the program had to be ended by force" >&2
  run_case command_line_plain
  stop_app || echo "note: the program had to be ended by force" >&2
  run_case command_line_wide_name
  stop_app || echo "note: the program had to be ended by force" >&2
  run_case second_start_during_startup_flow
  stop_app || echo "note: the program had to be ended by force" >&2
  run_case full_disk
  stop_app || echo "note: the program had to be ended by force" >&2
  run_case ten_shreds_at_once
}

if [ ${#only[@]} -eq 0 ]; then
  run_cases
else
  for name in "${only[@]}"; do
    run_case "$name"
    stop_app || echo "note: the program had to be ended by force" >&2
  done
fi
# The test command trusts the counts only when this line closes the run.
finish_cases e2e
