#!/usr/bin/env bash
# The figures of docs/performance.md: the native benchmarks, then the
# program's figures under Wine on a private Xvfb, with the 32-bit program
# where this machine runs it and the 64-bit one otherwise.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
echo "== native: row text codec and list file =="
"$root/build/bench/tests/bench/list_bench" --benchmark_color=false
echo
source "$root/tools/wine-session.sh"
trap wine_session_stop EXIT
wine_builds_to_run
build=${WINE_BUILDS[0]}
make --no-print-directory -C "$root" "win-$build"
bin=${WINE_BUILD_TREE[$build]}
echo "== Wine, the $build program: start-up and scrolling =="
[[ $build == i686 ]] || echo "   (the 32-bit program was not run: ${WINE_BUILDS_NOT_RUN[0]#i686: not run: })"
wine_session_start "$root/build/wine"
wine_prefix_use "$build" "$root/build/wine"
"$root/tools/wine-run.sh" "$build" "$bin/tests/bench/win32/wine_bench.exe"
echo
echo "== Wine, the $build program: tour overhead per row against the test browser =="
"$root/tools/wine-run.sh" "$build" "$bin/tests/e2e/e2e_tests.exe" \
  --gtest_also_run_disabled_tests --gtest_filter='TourBench.*'
