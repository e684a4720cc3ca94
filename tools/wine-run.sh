#!/usr/bin/env bash
# Runs a Windows program under Wine in the build tree's own prefix, with the
# Japanese locale (ANSI code page 932). The test runner sets DISPLAY and
# VIMBREL_WINEPREFIX; the defaults serve a program started by hand.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${VIMBREL_WINEPREFIX:-$here/build/wine/prefix}
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree=}
exec wine "$@"
