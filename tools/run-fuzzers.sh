#!/usr/bin/env bash
# Runs each fuzz target for SECONDS on a copy of its seeds; a crash, a failed
# invariant, a leak or a hang fails the run and leaves the input in build/fuzz.
set -uo pipefail
tree=$1
seconds=$2
root=$(cd "$(dirname "$0")/.." && pwd)
status=0
for target in row_text list_file; do
  corpus=$tree/corpus/$target
  mkdir -p "$corpus"
  cp -n "$root/tests/fuzz/corpus/$target/"* "$corpus/" 2>/dev/null
  if "$tree/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$tree/$target-" -print_final_stats=1 "$corpus" >"$tree/$target.log" 2>&1; then
    echo "fuzz $target: $(grep -E '^stat::number_of_executed_units' "$tree/$target.log" | awk '{print $2}') runs, no failure"
  else
    status=1
    echo "fuzz $target: FAILED"
    grep -E 'invariant failed|ERROR|SUMMARY' "$tree/$target.log" | head -n 5
  fi
done
exit $status
