#!/usr/bin/env bash
# Dependencies run one way. Each rule names a folder and the headers its files must never
# include: a portable folder no Win32 header and nothing of the windowed layers; the
# framework nothing of the program; the painting and bar layers nothing of the shell; the
# file layer nothing above it. Handles are closed only by the types that own them (the
# second part), and files are opened, created and renamed only in the file layer (the third).
#   check_layers.sh SOURCE_ROOT     prints each violation; exits 1 if there is any
set -uo pipefail
root=${1:?usage: check_layers.sh SOURCE_ROOT}
cd "$root"

# The headers a folder owns, as an alternation for grep: "a\.h|b\.h".
headers_of() {
  local dir
  for dir in "$@"; do [ -d "$dir" ] && find "$dir" -maxdepth 1 -name '*.h' -printf '%f\n'; done |
    sed 's/\./\\./g' | paste -sd'|'
}
# The same for one folder, less the headers named: "headers_except lockedfile a.h b.h".
headers_except() {
  local dir=$1; shift
  find "$dir" -maxdepth 1 -name '*.h' -printf '%f\n' | grep -vxF "$(printf '%s\n' "$@")" | sed 's/\./\\./g' |
    paste -sd'|'
}
win32_headers='windows\.h|commctrl\.h|shellapi\.h|ole2\.h|oleidl\.h|commdlg\.h|objbase\.h|winuser\.h|wingdi\.h'

# folder | what its files may not include
rules=(
  "cipher|$win32_headers|$(headers_of lockedfile files framework shell caption toolbar res cli hardening)"
  "lockedfile|$win32_headers|$(headers_of files framework shell caption toolbar res cli hardening)"
  # Of the portable core the file layer takes the rule that cuts a path's last component,
  # the codec's stream interfaces, which its streams serve, and the code page names are in.
  "files|$(headers_of framework shell caption toolbar res cli cipher hardening)|$(headers_except lockedfile path_names.h locked_format.h code_page.h)"
  # Of the portable core the framework takes only the one wipe for secrets.
  "framework|$(headers_of shell res caption toolbar cli lockedfile)|$(headers_except cipher secret_bytes.h)"
  "caption|$(headers_of shell res toolbar files)"
  "toolbar|$(headers_of shell res caption files)"
  "cli|$(headers_of framework shell caption toolbar res)"
  # The start of both Windows executables stands below everything that runs after it.
  "hardening|$(headers_of cipher lockedfile files framework shell caption toolbar res cli)"
)

violations=0 checked=0
for rule in "${rules[@]}"; do
  dir=${rule%%|*}
  forbidden=${rule#*|}
  forbidden=${forbidden%|}
  [ -d "$dir" ] || continue
  while IFS= read -r file; do
    checked=$((checked + 1))
    [ -n "$forbidden" ] || continue
    while IFS= read -r hit; do
      # A folder's own header of the same name as another layer's is its own business.
      included=$(sed -E 's/.*[<"]([^">]*)[">].*/\1/' <<<"$hit")
      [ -f "$dir/$(basename "$included")" ] && continue
      echo "layer violation: $file includes ${hit#*:}"
      violations=$((violations + 1))
    done < <(grep -nE "^[[:space:]]*#[[:space:]]*include[[:space:]]*[<\"]([^\">]*/)?($forbidden)[\">]" "$file")
  done < <(find "$dir" -type f \( -name '*.h' -o -name '*.cpp' \))
done
echo "layers: $checked files checked, $violations violations"

# Every handle is closed by the type that owns it. No close or release call of the platform
# appears in the program's code outside the handle types; the few files that are handle
# types of their own kind are listed with the reason.
release_calls='DeleteObject|DeleteDC|ReleaseDC|UnhookWindowsHookEx|DestroyMenu|CloseHandle|ImageList_Destroy'
handle_types=(
  "framework/handle.h"            # the traits: every close function of the handle template
  "framework/com_ptr.h"           # the COM pointer gives back the reference it holds
  "framework/dc.cpp"              # window DCs go back to their window: ReleaseDC needs the window too
  "framework/ole_data_object.cpp" # a storage medium is released as its sender named (pUnkForRelease)
  "files/file_win32.cpp"          # the file layer's own handle, which kst and the framework's CFile share
)
handle_violations=0 handle_checked=0
while IFS= read -r file; do
  handle_checked=$((handle_checked + 1))
  printf '%s\n' "${handle_types[@]}" | grep -qxF "$file" && continue
  # Comments dropped; a call is global (::Name), or unqualified where an expression starts;
  # a member of the same name (wrapper.DeleteObject(), CGdiObject::DeleteObject) is not one.
  while IFS= read -r hit; do
    echo "handle released by hand: $file:$hit"
    handle_violations=$((handle_violations + 1))
  done < <(sed 's://.*$::' "$file" | grep -nE \
    "(^|[^A-Za-z0-9_])::($release_calls)[[:space:]]*\(|(^[[:space:]]*|[(=!,;{&|?][[:space:]]*|return[[:space:]]+)($release_calls)[[:space:]]*\(|->Release[[:space:]]*\([[:space:]]*\)")
done < <(find framework caption toolbar shell cli files -type f \( -name '*.h' -o -name '*.cpp' \) 2>/dev/null | sort)
echo "handles: $handle_checked files checked, $handle_violations released by hand"

# Files are opened, created, renamed and replaced only in files/: one place decides how a
# result is written, kept private and committed, for both faces. Calls the same way as
# above (global or std::, or where an expression starts; a member such as CFile::Open is
# none).
file_calls='CreateFile[AW]?|MoveFile(Ex)?[AW]?|GetTempFileName[AW]?|ReplaceFile[AW]?|open|openat|creat|rename|renameat2?|mkostemp|mkstemp|link|linkat'
file_violations=0 file_checked=0
while IFS= read -r file; do
  file_checked=$((file_checked + 1))
  while IFS= read -r hit; do
    echo "file opened or renamed outside files/: $file:$hit"
    file_violations=$((file_violations + 1))
  done < <(sed 's://.*$::' "$file" | grep -nE \
    "(^|[^A-Za-z0-9_])(std)?::($file_calls)[[:space:]]*\(|(^[[:space:]]*|[(=!,;{&|?][[:space:]]*|return[[:space:]]+)($file_calls)[[:space:]]*\(")
done < <(find cipher lockedfile framework caption toolbar shell cli -type f \( -name '*.h' -o -name '*.cpp' \) 2>/dev/null | sort)
echo "file calls: $file_checked files checked, $file_violations outside files/"

[ "$checked" -gt 0 ] && [ "$violations" -eq 0 ] && [ "$handle_checked" -gt 0 ] && [ "$handle_violations" -eq 0 ] &&
  [ "$file_checked" -gt 0 ] && [ "$file_violations" -eq 0 ]
