# Sourced: starts Xvfb on a free display and a Wine prefix under the build
# tree, and stops both again.
wine_session_start() {
  local dir
  dir=$(realpath -m "$1")  # Wine takes only an absolute WINEPREFIX
  mkdir -p "$dir"
  export VIMBREL_WINEPREFIX=$dir/prefix
  export WINEPREFIX=$VIMBREL_WINEPREFIX
  export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 WINEDEBUG=-all WINEDLLOVERRIDES=mscoree=
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
    wineboot -i >"$dir/wineboot.log" 2>&1 && wineserver -w && touch "$WINEPREFIX/.vimbrel-ready" || return 1
  fi
}

wine_session_stop() {
  wineserver -k >/dev/null 2>&1 || true
  [[ -n ${WINE_SESSION_XVFB:-} ]] && kill "$WINE_SESSION_XVFB" >/dev/null 2>&1
  wait "${WINE_SESSION_XVFB:-}" 2>/dev/null || true
}
