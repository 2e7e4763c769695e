# Sourced by the build and test scripts: a Wine prefix inside a build tree and a
# headless X display. Nothing here touches $HOME or a display it did not start.
#   kst_wine_prefix BUILD_DIR   create (once) and select the prefix BUILD_DIR/wineprefix
#   kst_xvfb_start              start Xvfb on a free display and export DISPLAY
#   kst_wine_stop               end our wineserver and our Xvfb

export WINEARCH=win32
# mscoree/mshtml: no Mono or Gecko install prompts; winemenubuilder: registering ".kst"
# must not write .desktop or MIME files into the Linux home.
export WINEDLLOVERRIDES="mscoree,mshtml=,winemenubuilder.exe=d"
# err+module keeps loader errors visible (a missing DLL otherwise exits silently with 53).
export WINEDEBUG=-all,err+module

kst_wine_prefix() {
  local build
  build=$(cd "$1" && pwd)
  export WINEPREFIX="$build/wineprefix"
  [ -f "$WINEPREFIX/.kestrine-ready" ] && return 0
  echo "wine: creating prefix $WINEPREFIX"
  rm -rf "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  # Wine's own fonts (Marlett for caption buttons, MS Sans Serif for dialog metrics).
  cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
  # A virtual desktop: Wine then draws the non-client area itself, as Windows does.
  cat > "$WINEPREFIX/kestrine-setup.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"
REG
  wine regedit /S "$WINEPREFIX/kestrine-setup.reg" >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.kestrine-ready"
}

kst_xvfb_start() {
  local n=${KST_XVFB_FIRST:-90}
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  KST_XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X$n" ] && return 0
    sleep 0.1
  done
  echo "wine: Xvfb did not start on :$n" >&2
  return 1
}

kst_wine_stop() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true
  if [ -n "${KST_XVFB_PID:-}" ]; then
    kill "$KST_XVFB_PID" 2>/dev/null || true
    wait "$KST_XVFB_PID" 2>/dev/null || true
    KST_XVFB_PID=
  fi
}
