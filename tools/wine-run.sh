#!/usr/bin/env bash
# wine-run.sh BUILD PROGRAM [ARGS...]
# Runs a Windows program of BUILD (i686 or x86_64) under Wine in that build's
# prefix under the build tree, with the Japanese locale (ANSI code page 932).
# The 64-bit way calls the 64-bit loader itself: Debian's `wine` picks the
# 32-bit one whenever it is installed, even where the kernel cannot run it.
# The test runner sets DISPLAY and VIMBREL_WINEPREFIX; the defaults serve a
# program started by hand.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-}
case $build in
  i686) loader=/usr/lib/wine/wine ;;
  x86_64)
    loader=/usr/lib/wine/wine64
    export WINELOADER=$loader WINEARCH=win64
    ;;
  *)
    echo "usage: $0 i686|x86_64 PROGRAM [ARGS...]" >&2
    exit 2
    ;;
esac
shift
export WINEPREFIX=${VIMBREL_WINEPREFIX:-$here/build/wine/$build/prefix}
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree=}
exec "$loader" "$@"
