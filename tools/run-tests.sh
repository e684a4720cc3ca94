#!/usr/bin/env bash
# Runs every suite: the native tests, then the Windows tests and the end-to-end
# tests under Wine on a private Xvfb display. Ends with each runner's summary.
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
wine_session_start "$build/wine" || { echo "could not start Xvfb and Wine" >&2; exit 1; }
trap 'unmap_small_drive; wine_session_stop' EXIT

# A small drive for the tests of a full disk (only where this user may mount a
# tmpfs, as root in CI): 2 MB, room for a copy of the program, which the
# end-to-end test runs from there, and a little more; each test fills it up.
small=$build/wine/small-drive
unmap_small_drive() {
  rm -f "$WINEPREFIX/dosdevices/s:"
  mountpoint -q "$small" 2>/dev/null && umount "$small"
}
mkdir -p "$small"
if { mountpoint -q "$small" && mount -o remount,size=2m "$small" 2>/dev/null; } ||
  mount -t tmpfs -o size=2m tmpfs "$small" 2>/dev/null; then
  ln -sfn "$small" "$WINEPREFIX/dosdevices/s:"
  export VIMBREL_SMALL_DRIVE='S:\'
fi

# The end-to-end tests leave screenshots of the program as BMP files.
shots=$build/screenshots
mkdir -p "$shots"
rm -f "$shots"/*.bmp
if ctest --test-dir "$build/win32" --output-on-failure -V >"$logs/windows.log" 2>&1; then :; else
  status=1
  grep -E '^\s*[0-9]+: ' "$logs/windows.log" | grep -E 'FAILED|Failure|error' | head -n 40
fi
for bmp in "$shots"/*.bmp; do
  [[ -f $bmp ]] || continue
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
# One line per test program, named: "windows e2e_tests: [  PASSED  ] 12 tests."
declare -A test_names=()
while read -r number name; do test_names[$number]=$name; done < <(
  sed -nE 's/^ *Start +([0-9]+): ([A-Za-z0-9_]+).*/\1 \2/p' "$logs/windows.log")
while IFS=: read -r number line; do
  summary+=("windows ${test_names[$number]:-test $number}:${line}")
done < <(grep -E '^[0-9]+: \[  (PASSED|FAILED)  \] [0-9]+ test' "$logs/windows.log")
summary+=("windows: $(grep -E 'tests passed|tests failed' "$logs/windows.log" | tail -n 1)")
[[ -z $(ls "$shots"/*.png 2>/dev/null) ]] || summary+=("screenshots: $shots")

echo
printf '%s\n' "${summary[@]}"
exit $status
