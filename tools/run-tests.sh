#!/usr/bin/env bash
# Runs every suite: the native tests, the short fuzz runs, then the Windows
# tests and the end-to-end tests under Wine on a private Xvfb display, once
# for each build this machine can run (the 64-bit one always, the 32-bit one
# where 32-bit programs run). Ends with each runner's summary.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
logs=$build/test-logs
mkdir -p "$logs"
status=0
summary=()

# --- native ---
if ctest --test-dir "$build/native" --output-on-failure -j2 >"$logs/native.log" 2>&1; then :; else status=1; fi
summary+=("native:  $(grep -E 'tests passed|tests failed' "$logs/native.log" | tail -n 1)")
[[ $status -eq 0 ]] || tail -n 60 "$logs/native.log"

# --- fuzzing, a short run of each target ---
if fuzz_out=$("$root/tools/run-fuzzers.sh" "$build/fuzz" "${VIMBREL_FUZZ_SECONDS:-15}" 2>&1); then :; else status=1; fi
echo "$fuzz_out"
while read -r line; do summary+=("$line"); done <<<"$fuzz_out"

# --- Windows, under Wine ---
source "$root/tools/wine-session.sh"
small=$build/wine/small-drive
unmap_small_drive() {
  mountpoint -q "$small" 2>/dev/null && umount "$small"
}
trap 'unmap_small_drive; wine_session_stop' EXIT

# One summary line per build, also for a build that is not run and why.
print_summary() {
  echo
  printf '%s\n' "${summary[@]}"
}
wine_builds_to_run || { summary+=("windows: not run"); print_summary; exit 1; }
wine_session_start "$build/wine" || { summary+=("windows: not run: Xvfb did not start"); print_summary; exit 1; }

# A small drive for the tests of a full disk (only where this user may mount a
# tmpfs, as root in CI): 2 MB, room for a copy of the program, which the
# end-to-end test runs from there, and a little more; each test fills it up.
mkdir -p "$small"
small_drive=0
if { mountpoint -q "$small" && mount -o remount,size=2m "$small" 2>/dev/null; } ||
  mount -t tmpfs -o size=2m tmpfs "$small" 2>/dev/null; then
  small_drive=1
fi

# Runs every Windows suite of one build in that build's prefix.
run_windows_suites() {
  local arch=$1 log=$logs/windows-$1.log shots=$build/screenshots/$1
  wine_prefix_use "$arch" "$build/wine" || {
    summary+=("windows $arch: FAILED: no Wine prefix")
    return 1
  }
  unset VIMBREL_SMALL_DRIVE
  rm -f "$WINEPREFIX/dosdevices/s:"
  if [[ $small_drive -eq 1 ]]; then
    rm -rf "${small:?}"/*
    ln -sfn "$small" "$WINEPREFIX/dosdevices/s:"
    export VIMBREL_SMALL_DRIVE='S:\'
  fi
  # The end-to-end tests leave screenshots of the program as BMP files.
  mkdir -p "$shots"
  rm -f "$shots"/*.bmp "$shots"/*.png
  local result=0
  if ctest --test-dir "${WINE_BUILD_TREE[$arch]}" --output-on-failure -V >"$log" 2>&1; then :; else
    result=1
    grep -E '^\s*[0-9]+: ' "$log" | grep -E 'FAILED|Failure|error' | head -n 40
  fi
  WINEPREFIX=$VIMBREL_WINEPREFIX timeout 30 wineserver -k >/dev/null 2>&1
  for bmp in "$shots"/*.bmp; do
    [[ -f $bmp ]] || continue
    convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
  done
  # One line per test program, named: "windows x86_64 e2e_tests: [  PASSED  ] 12 tests."
  local -A test_names=()
  local number name line
  while read -r number name; do test_names[$number]=$name; done < <(
    sed -nE 's/^ *Start +([0-9]+): ([A-Za-z0-9_]+).*/\1 \2/p' "$log")
  while IFS=: read -r number line; do
    summary+=("windows $arch ${test_names[$number]:-test $number}:${line}")
  done < <(grep -E '^[0-9]+: \[  (PASSED|FAILED)  \] [0-9]+ test' "$log")
  summary+=("windows $arch: $(grep -E 'tests passed|tests failed' "$log" | tail -n 1)")
  [[ -z $(ls "$shots"/*.png 2>/dev/null) ]] || summary+=("screenshots $arch: $shots")
  return $result
}

for arch in "${WINE_BUILDS[@]}"; do
  run_windows_suites "$arch" || status=1
done
for line in "${WINE_BUILDS_NOT_RUN[@]}"; do
  [[ $line != i686:* || " ${WINE_BUILDS[*]} " != *" x86_64 "* ]] ||
    line+="; the same suites ran on the x86_64 program"
  summary+=("windows $line")
done

print_summary
exit $status
