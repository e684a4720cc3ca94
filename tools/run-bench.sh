#!/usr/bin/env bash
# The figures of docs/performance.md: the native benchmarks, then the
# program's figures under Wine on a private Xvfb.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
echo "== native: row text codec and list file =="
"$root/build/bench/tests/bench/list_bench" --benchmark_color=false
echo
echo "== Wine: start-up and scrolling =="
source "$root/tools/wine-session.sh"
wine_session_start "$root/build/wine"
trap wine_session_stop EXIT
"$root/tools/wine-run.sh" "$root/build/win32/tests/bench/win32/wine_bench.exe"
echo
echo "== Wine: tour overhead per row against the test browser =="
"$root/tools/wine-run.sh" "$root/build/win32/tests/e2e/e2e_tests.exe" \
  --gtest_also_run_disabled_tests --gtest_filter='TourBench.*'

