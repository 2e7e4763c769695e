#!/usr/bin/env bash
# The release packages in dist/ (scripts/package.sh) as their users meet them: the portable
# zip and the Linux tarball unpacked and looked into, and the installer run silently under
# Wine in a fresh prefix of its own, the installed programs used, and the uninstaller run.
#   tests/packages/run.sh NATIVE_BUILD WIN32_BUILD [CASE...]
#                  prints one line "PASS name" or "FAIL name: why" per case (all cases, or
#                  only the case_ functions named, in the order given)
set -uo pipefail
native=$(cd "${1:?usage: run.sh NATIVE_BUILD WIN32_BUILD [CASE...]}" && pwd)
win32=$(cd "${2:?usage: run.sh NATIVE_BUILD WIN32_BUILD [CASE...]}" && pwd)
shift 2
only=("$@")
root=$(cd "$(dirname "$0")/../.." && pwd)
dist=$root/dist
# shellcheck source=../support/script_cases.sh
source "$root/tests/support/script_cases.sh"
# The Wine settings every test uses (no Mono or Gecko prompts, no menu builder, loader errors
# shown); the prefix is this script's own, made below.
# shellcheck source=../../scripts/wine-env.sh
source "$root/scripts/wine-env.sh"

version=$("$native/cli/kst" --version | awk 'NR == 1 { for (i = 1; i <= NF; i++) if ($i ~ /^[0-9]/) { print $i; exit } }')
zip_file=$dist/Kestrine-$version-win32.zip
setup_file=$dist/Kestrine-$version-setup.exe
tar_file=$dist/kst-$version-linux-$(uname -m).tar.gz

work=$(mktemp -d /tmp/kst-packages.XXXXXX)
own_prefix=
cleanup() {
  [ -n "$own_prefix" ] && wineserver -k >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT

problems=()
problem() { problems+=("$*"); }
# Reports the case with every problem found, so one run shows all that is wrong.
report_problems() {  # report_problems NAME
  local joined
  joined=$(printf '%s; ' "${problems[@]}")
  report "$1" "${joined%; }"
  problems=()
}
same_lines() {  # same_lines WHAT EXPECTED ACTUAL
  [ "$2" = "$3" ] || problem "$1: expected [$(tr '\n' ' ' <<<"$2")], found [$(tr '\n' ' ' <<<"$3")]"
}

# ---- the portable zip ----------------------------------------------------------------

case_zip() {
  if [ ! -f "$zip_file" ]; then report zip "no ${zip_file##*/} in dist/"; return; fi
  local top=Kestrine-$version
  same_lines "the zip's entries" "$(printf '%s\n' "$top/" "$top/README.txt" "$top/kestrine.exe" "$top/kst.exe")" \
    "$(unzip -Z1 "$zip_file" | LC_ALL=C sort)"
  mkdir -p "$work/zip"
  unzip -q "$zip_file" -d "$work/zip" || problem "unzip failed"
  local exe
  for exe in kestrine.exe:kestrine.exe kst.exe:cli/kst.exe; do
    cmp -s "$work/zip/$top/${exe%%:*}" "$win32/${exe#*:}" || problem "${exe%%:*} is not the one just built"
  done
  local text=$work/zip/$top/README.txt
  if grep -q $'[^\r]$' "$text" || grep -qx '' "$text"; then problem "README.txt has a line without CRLF"; fi
  cmp -s <(tr -d '\r' < "$text") "$root/README.md" || problem "README.txt is not the README"
  report_problems zip
}

# ---- the Linux tarball ---------------------------------------------------------------

tree=$work/tar/kst-$version
case_tarball() {
  if [ ! -f "$tar_file" ]; then report tarball "no ${tar_file##*/} in dist/"; return; fi
  same_lines "the tarball's files" "$(printf '%s\n' "kst-$version/bin/kst" "kst-$version/share/man/man1/kst.1")" \
    "$(tar -tzvf "$tar_file" | awk '$1 !~ /^d/ { print $NF }' | LC_ALL=C sort)"
  mkdir -p "$work/tar"
  tar -xzf "$tar_file" -C "$work/tar" || problem "tar could not unpack it"
  local shown
  shown=$("$tree/bin/kst" --version 2>&1) || problem "bin/kst --version failed: $shown"
  [[ " $shown " == *" $version "* ]] || problem "bin/kst --version says '$shown', not $version"

  local page=$tree/share/man/man1/kst.1 rendered
  rendered=$(MANWIDTH=80 man --warnings -l -P cat "$page" 2>"$work/man.err") || problem "man -l failed"
  [ -s "$work/man.err" ] && problem "man -l warns: $(head -3 "$work/man.err" | tr '\n' ' ')"
  local section
  for section in NAME SYNOPSIS DESCRIPTION COMMANDS OPTIONS "EXIT STATUS" ENVIRONMENT SECURITY EXAMPLES; do
    grep -qx "$section" <<<"$rendered" || problem "the page has no $section section"
  done
  local command
  for command in encrypt decrypt info shred; do
    grep -qE "^ +$command " <<<"$rendered" || problem "the page does not describe $command"
  done

  # The page and the program agree on the options: every option --help lists is on the
  # page, and every option the page names is one kst knows.
  local option
  while read -r option; do
    grep -qe "$option" <(sed 's/\\-/-/g' "$page") || problem "the page does not document $option"
  done < <("$tree/bin/kst" --help | grep -oE -- '--[a-z][a-z-]*' | sort -u)
  while read -r option; do
    [[ $("$tree/bin/kst" "$option" 2>&1) == *"unknown option"* ]] && problem "the page documents $option, which kst does not know"
  done < <(sed 's/\\-/-/g' "$page" | grep -oE -- '(^|[^a-z])--[a-z][a-z-]*' | grep -oE -- '--[a-z-]+' | sort -u)
  report_problems tarball
}

# ---- the installer under Wine, in a prefix of its own ----------------------------------

# Windows paths of this prefix, found once the prefix is made.
local_app_win= app_data_win= install_win= install_dir= shortcut=
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrine'
profile_key='HKCU\Software\Pellacore\Software\Kestrine'
classes='HKCU\Software\Classes'
probe() { wine "$win32/tests/e2e/kst_probe.exe" "$@" 2>/dev/null | tr -d '\r'; }
winpath() { printf 'Z:%s' "${1//\//\\}"; }
windows_variable() { wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'; }
# The values of a key as `reg query` lists them, one "NAME<tab>DATA" a line; the default
# value is named "(Default)". Fails when the key is not there.
reg_values() {  # reg_values KEY
  local shown
  shown=$(wine reg query "$1" 2>/dev/null) || return 1
  tr -d '\r' <<<"$shown" | sed -nE 's/^ {4}(.*) {4}REG_[A-Z_]+ {4}(.*)$/\1\t\2/p'
}
reg_value() {  # reg_value KEY [NAME]
  reg_values "$1" | awk -F '\t' -v name="${2:-(Default)}" '$1 == name { print $2; exit }'
}
key_exists() { wine reg query "$1" >/dev/null 2>&1; }

# A new prefix, and a home of its own: Wine links the profile's folders into $HOME, and its
# menu builder writes there when a shortcut is made even when it is switched off.
fresh_prefix() {
  own_prefix=$work/wineprefix
  export WINEPREFIX=$own_prefix HOME=$work/home
  export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share XDG_CACHE_HOME=$HOME/.cache
  export XDG_STATE_HOME=$HOME/.local/state XDG_DATA_DIRS=$HOME/.local/share
  mkdir -p "$HOME"
  # Wine's null display driver: the program's windows exist without an X server. The
  # desktop process reads it when it starts, so the session that wrote it has to end first.
  unset DISPLAY
  wineboot -i >/dev/null 2>&1 &&
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1 || return 1
  timeout 60 wineserver -w || wineserver -k
  local_app_win=$(windows_variable LOCALAPPDATA)
  app_data_win=$(windows_variable APPDATA)
  [ -n "$local_app_win" ] && [ -n "$app_data_win" ] || return 1
  install_win="$local_app_win\\Programs\\Kestrine"
  install_dir=$(winepath -u "$install_win" 2>/dev/null)
  shortcut=$(winepath -u "$app_data_win\\Microsoft\\Windows\\Start Menu\\Programs\\Kestrine.lnk" 2>/dev/null)
  [ -n "$install_dir" ] && [ -n "$shortcut" ]
}

# Whether the file holds TEXT, stored as ANSI or as UTF-16 (a shell link may keep either).
holds_text() {  # holds_text FILE TEXT
  tr -d '\0' < "$1" | grep -qaF "$2"
}

installed_files=$(printf '%s\n' README.txt kestrine.exe kst.exe uninstall.exe)
# The user's registration: the file type and the two Explorer entries.
registration_keys=(
  "$classes\\.kst"
  "$classes\\Kestrine.Document"
  "$classes\\*\\shell\\Kestrine.Encrypt"
  "$classes\\*\\shell\\Kestrine.Shred"
)

case_silent_install() {
  if [ ! -f "$setup_file" ]; then report silent_install "no ${setup_file##*/} in dist/"; return; fi
  if ! fresh_prefix; then report silent_install "could not make a Wine prefix"; return; fi
  # A program that the installer waits for and that never ends would hold the test forever.
  timeout 300 wine "$setup_file" /S >/dev/null 2>&1
  local rc=$?
  [ $rc -eq 0 ] || problem "the installer exited with $rc"

  same_lines "the installed files" "$installed_files" \
    "$(ls -A "$install_dir" 2>/dev/null | LC_ALL=C sort)"
  cmp -s "$install_dir/kestrine.exe" "$win32/kestrine.exe" || problem "the installed kestrine.exe is not the one built"
  if [ ! -f "$shortcut" ]; then
    problem "no Start menu shortcut"
  elif ! holds_text "$shortcut" "Programs\\Kestrine\\kestrine.exe"; then
    problem "the shortcut does not lead to the installed kestrine.exe"
  fi

  local name expected shown values
  values=$(reg_values "$uninstall_key")
  local -A entry=(
    [DisplayName]=Kestrine
    [DisplayVersion]=$version
    [Publisher]=Pellacore
    [DisplayIcon]="$install_win\\kestrine.exe,0"
    [InstallLocation]=$install_win
    [UninstallString]="\"$install_win\\uninstall.exe\""
    [QuietUninstallString]="\"$install_win\\uninstall.exe\" /S"
  )
  for name in "${!entry[@]}"; do
    expected=${entry[$name]}
    shown=$(awk -F '\t' -v name="$name" '$1 == name { print $2; exit }' <<<"$values")
    [ "$shown" = "$expected" ] || problem "uninstall entry $name is '$shown', not '$expected'"
  done

  # The installed copy registered itself: every entry names the installed program.
  [ "$(reg_value "$classes\\.kst")" = Kestrine.Document ] || problem ".kst is not registered"
  local command
  for command in "$classes\\Kestrine.Document\\shell\\open\\command" \
                 "$classes\\*\\shell\\Kestrine.Encrypt\\command" "$classes\\*\\shell\\Kestrine.Shred\\command"; do
    [[ $(reg_value "$command") == *"\"$install_win\\kestrine.exe\""* ]] ||
      problem "${command#"$classes\\"} is '$(reg_value "$command")', not the installed program"
  done
  report_problems silent_install
}

case_installed_program() {
  local exe=$install_dir/kestrine.exe
  if [ ! -f "$exe" ]; then report installed_program "nothing installed"; return; fi
  if [ ! -f "$win32/tests/e2e/kst_probe.exe" ]; then report installed_program "kst_probe.exe is not built"; return; fi
  wine "$exe" >/dev/null 2>&1 &
  local pid=$!
  if ! probe wait "Kestrine " 60000 >/dev/null; then
    kill "$pid" 2>/dev/null
    report installed_program "its window did not appear"
    return
  fi
  # Setup or uninstall while the program runs would leave half an installation: each must
  # change nothing and fail. "_?=" keeps the uninstaller in place, so its exit status is its own.
  timeout 300 wine "$setup_file" /S >/dev/null 2>&1
  [ $? -ne 0 ] || problem "setup reported success while the program ran"
  timeout 300 wine "$install_dir/uninstall.exe" /S "_?=$install_win" >/dev/null 2>&1
  local refused=$?
  [ $refused -ne 0 ] || problem "the uninstaller reported success while the program ran"
  same_lines "the files after that uninstall" "$installed_files" \
    "$(ls -A "$install_dir" 2>/dev/null | LC_ALL=C sort)"
  key_exists "$uninstall_key" || problem "that uninstall removed the uninstall entry"
  [ "$(reg_value "$classes\\.kst")" = Kestrine.Document ] || problem "that uninstall removed the registration"

  probe close "Kestrine " >/dev/null
  local _
  for _ in $(seq 1 150); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null
    report installed_program "it did not end when its window was closed"
    return
  fi
  wait "$pid"
  local rc=$?
  [ $rc -eq 0 ] || problem "it exited with $rc"
  report_problems installed_program
}

# What the installed kst.exe locks, the tarball's kst unlocks.
case_installed_kst() {
  local kst=$tree/bin/kst
  [ -x "$kst" ] || kst=$native/cli/kst
  if [ ! -f "$install_dir/kst.exe" ]; then report installed_kst "nothing installed"; return; fi
  local dir=$work/exchange
  mkdir -p "$dir"
  printf 'a password\n' > "$dir/password"
  head -c 100003 /dev/urandom > "$dir/plain.bin"
  local said
  said=$(wine "$install_dir/kst.exe" encrypt "$(winpath "$dir/plain.bin")" -o "$(winpath "$dir/plain.kst")" \
         --password-file "$(winpath "$dir/password")" -q 2>&1) || problem "kst.exe encrypt failed: $said"
  said=$("$kst" decrypt "$dir/plain.kst" -o "$dir/back.bin" --password-file "$dir/password" -q 2>&1) ||
    problem "kst decrypt failed: $said"
  cmp -s "$dir/plain.bin" "$dir/back.bin" || problem "the decrypted file differs from the original"
  report_problems installed_kst
}

case_silent_uninstall() {
  if [ ! -f "$install_dir/uninstall.exe" ]; then report silent_uninstall "nothing installed"; return; fi
  wine "$install_dir/uninstall.exe" /S >/dev/null 2>&1
  local rc=$?
  [ $rc -eq 0 ] || problem "the uninstaller exited with $rc"
  # The uninstaller hands over to a copy of itself in the temporary folder and returns at
  # once: look until nothing is left, or for two minutes.
  local _
  for _ in $(seq 1 120); do
    [ -z "$(left_installed)" ] && break
    sleep 1
  done
  local left
  left=$(left_installed)
  [ -z "$left" ] || problem "left behind:${left%;}"
  report_problems silent_uninstall
}

# What is still there of the installation, each followed by ";".
left_installed() {
  [ -e "$install_dir" ] && printf ' in the install folder %s;' "$(ls -A "$install_dir" | tr '\n' ' ')"
  [ -e "$shortcut" ] && printf ' the Start menu shortcut;'
  local key
  for key in "$uninstall_key" "$profile_key" "${registration_keys[@]}"; do
    key_exists "$key" && printf ' %s;' "$key"
  done
  return 0
}

if [ ${#only[@]} -eq 0 ]; then
  only=(zip tarball silent_install installed_program installed_kst silent_uninstall)
fi
for name in "${only[@]}"; do
  run_case "$name"
done
# The test command trusts the counts only when this line closes the run.
finish_cases packages
