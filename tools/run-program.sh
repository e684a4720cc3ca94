#!/usr/bin/env bash
# Starts the program under Wine. On a display it runs in a prefix of its own
# until closed; with no display it runs on a private Xvfb just long enough to
# photograph its window.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program=$(realpath "$1")
[[ -f $program ]] || { echo "run: $program does not exist yet" >&2; exit 1; }

if [[ -n ${DISPLAY:-} ]] && xdpyinfo >/dev/null 2>&1; then
  export VIMBREL_WINEPREFIX=$root/build/wine/run-prefix
  if [[ ! -f $VIMBREL_WINEPREFIX/.vimbrel-ready ]]; then
    echo "run: preparing a Wine prefix in $VIMBREL_WINEPREFIX (once)"
    WINEPREFIX=$VIMBREL_WINEPREFIX LANG=ja_JP.UTF-8 WINEDLLOVERRIDES=mscoree= WINEDEBUG=-all \
      wineboot -i >/dev/null 2>&1 && touch "$VIMBREL_WINEPREFIX/.vimbrel-ready"
    cp -n /usr/share/wine/fonts/* "$VIMBREL_WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  fi
  exec "$root/tools/wine-run.sh" "$program"
fi

source "$root/tools/wine-session.sh"
wine_session_start "$root/build/wine"
trap wine_session_stop EXIT
"$root/tools/wine-run.sh" "$program" &
shots=$root/build/screenshots
mkdir -p "$shots"
for _ in $(seq 1 50); do
  xdotool search --name '^Vimbrel$' >/dev/null 2>&1 && break
  sleep 0.2
done
sleep 1
import -display "$DISPLAY" -window root "$shots/make-run.png"
echo "run: no display here; started the program on a private Xvfb and saved a screenshot:"
echo "     $shots/make-run.png"
