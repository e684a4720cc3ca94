#!/usr/bin/env bash
# run-wine-suite.sh BUILD TEST [GTEST_FILTER]
# Runs one Windows test program of BUILD (i686 or x86_64; win32_tests,
# grid_tests, automation_tests or e2e_tests), or only its cases that match
# GTEST_FILTER, as `make test` runs it: on a private Xvfb display, in the
# build's own Wine prefix. Build it first (make windows, make win64).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[[ $# -ge 2 ]] || {
  echo "usage: $0 i686|x86_64 TEST [GTEST_FILTER]" >&2
  exit 2
}
build=$1 test=$2
source "$root/tools/wine-session.sh"
trap wine_session_stop EXIT
wine_session_start "$root/build/wine" || exit 1
wine_prefix_use "$build" "$root/build/wine" || exit 1
mkdir -p "$root/build/screenshots/$build"
[[ -n ${3:-} ]] && export GTEST_FILTER=$3
ctest --test-dir "${WINE_BUILD_TREE[$build]}" -R "^${test}\$" --output-on-failure -V
