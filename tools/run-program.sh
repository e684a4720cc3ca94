#!/usr/bin/env bash
# `make run`: builds the program and starts it under Wine, the 32-bit program
# where this machine runs 32-bit programs, the 64-bit one otherwise, and says
# which. On a display it runs in a prefix of its own until closed; with no
# display it runs on a private Xvfb just long enough to photograph its window.
# Every way it can fail ends with one line that says what failed and what to try.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/tools/wine-session.sh"

fail() {
  echo "run: $*" >&2
  exit 1
}

trap wine_session_stop EXIT
wine_builds_to_run 2>/dev/null ||
  fail "no Windows build can run here (${WINE_BUILDS_NOT_RUN[*]}); check VIMBREL_WINE_ARCHS and that Wine is installed (make deps)"
build=${WINE_BUILDS[0]}
why=""
[[ $build == i686 ]] || why="; the 32-bit program is not started here: ${WINE_BUILDS_NOT_RUN[0]#i686: not run: }"

make --no-print-directory -C "$root" "program-$build" ||
  fail "building the $build program failed; see the compiler's messages above, or try 'make clean' and 'make run'"
program=${WINE_BUILD_TREE[$build]}/src/app/win32/vimbrel.exe
[[ -f $program ]] || fail "$program was not built; try 'make clean' and 'make run'"
echo "run: starting the $build program, $program$why"

if [[ -n ${DISPLAY:-} ]] && xdpyinfo >/dev/null 2>&1; then
  # A prefix of its own, so that a tour by hand never meets the test browser.
  wine_prefix_use "$build" "$root/build/wine" on-display ||
    fail "Wine could not prepare its $build prefix; try 'rm -rf build/wine/$build/run-prefix' and 'make run'"
  "$root/tools/wine-run.sh" "$build" "$program" ||
    fail "the program ended with status $?; try 'rm -rf build/wine/$build/run-prefix' and 'make run'"
  exit 0
fi

wine_session_start "$root/build/wine" 2>/dev/null ||
  fail "Xvfb did not start (see build/wine/xvfb.log); check that xvfb is installed (make deps)"
wine_prefix_use "$build" "$root/build/wine" ||
  fail "Wine could not prepare its $build prefix (see build/wine/$build/prefix-wineboot.log); try 'rm -rf build/wine' and 'make run'"
log=$root/build/wine/$build/run.log
"$root/tools/wine-run.sh" "$build" "$program" >"$log" 2>&1 &
shots=$root/build/screenshots
mkdir -p "$shots"
shown=0
for _ in $(seq 1 100); do
  if xdotool search --name '^Vimbrel$' >/dev/null 2>&1; then
    shown=1
    break
  fi
  sleep 0.2
done
[[ $shown -eq 1 ]] || fail "the program showed no window within 20 s (see $log); try 'rm -rf build/wine' and 'make run'"
sleep 1
import -display "$DISPLAY" -window root "$shots/make-run.png" ||
  fail "could not photograph the screen (ImageMagick's import); check that imagemagick is installed (make deps)"
echo "run: no display here; started the $build program on a private Xvfb and saved a screenshot:"
echo "     $shots/make-run.png"
