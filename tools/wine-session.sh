# Sourced: starts Xvfb on a free display and a Wine prefix under the build
# tree, and stops both again.
wine_session_start() {
  mkdir -p "$1"
  local dir
  dir=$(cd "$1" && pwd)
  export VIMBREL_WINEPREFIX=$dir/prefix
  export WINEPREFIX=$VIMBREL_WINEPREFIX
  export WINEDEBUG=-all WINEDLLOVERRIDES=mscoree=
  # The Japanese locale only for Wine's processes (tools/wine-run.sh sets it too).
  local jp=(env LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8)
  # -displayfd picks a free display number and tells it when the server is up.
  exec {displayfd}<> <(:)
  Xvfb -displayfd "$displayfd" -screen 0 1280x1024x24 -nolisten tcp >"$dir/xvfb.log" 2>&1 &
  WINE_SESSION_XVFB=$!
  local number=""
  read -r -t 20 number <&"$displayfd" || true
  exec {displayfd}>&-
  [[ -n $number ]] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=:$number
  if [[ ! -f $WINEPREFIX/.vimbrel-ready ]]; then
    rm -rf "$WINEPREFIX"
    "${jp[@]}" wineboot -i >"$dir/wineboot.log" 2>&1 && wineserver -w || return 1
    # Wine's own fonts (Marlett draws the frame buttons), which this Wine does
    # not find in its data folder by itself.
    cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    # A virtual desktop: Wine then draws the window frames itself and keeps the
    # foreground and keyboard focus to itself, whatever the X server does.
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 &&
      wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1 &&
      wineserver -w && touch "$WINEPREFIX/.vimbrel-ready" || return 1
  fi
}

wine_session_stop() {
  wineserver -k >/dev/null 2>&1 || true
  [[ -n ${WINE_SESSION_XVFB:-} ]] && kill "$WINE_SESSION_XVFB" >/dev/null 2>&1
  wait "${WINE_SESSION_XVFB:-}" 2>/dev/null || true
}
