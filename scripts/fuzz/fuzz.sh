#!/usr/bin/env bash
# Runs every fuzz target for longer than the test run does: each for the
# given number of seconds (default 60), one after the other, starting from
# its committed seeds and from what earlier runs of this script kept.
# New inputs go to build/fuzz/long/<piece>/corpus (never into the committed
# seeds); an input that breaks a promise, hangs or runs out of memory is kept
# in build/fuzz/long/<piece>/findings and named at the end, with the line
# that tells what broke. Exits non-zero when any target found something.
#   scripts/fuzz/fuzz.sh [seconds-per-target]
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-60}
if ! [[ $seconds =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: $0 [seconds-per-target]" >&2
  exit 2
fi
scripts/setup/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$(nproc)"

findings=0
for seeds in tests/fuzz/corpus/*/; do
  piece=$(basename "$seeds")
  binary=build/fuzz/tests/fuzz/${piece}_fuzz
  scratch=build/fuzz/long/$piece
  mkdir -p "$scratch/corpus"
  rm -rf "$scratch/findings"
  mkdir -p "$scratch/findings"
  echo "== $piece: ${seconds} s"
  status=0
  "$binary" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$scratch/findings/" "$scratch/corpus" "$seeds" >"$scratch/log" 2>&1 || status=$?
  if [ "$status" -eq 0 ]; then
    grep -E "^#[0-9]+[[:space:]]+DONE" "$scratch/log" | tail -1 || true
    echo "   nothing found ($(ls "$scratch/corpus" | wc -l) inputs kept in $scratch/corpus)"
    continue
  fi
  findings=$((findings + 1))
  echo "   FOUND (exit $status), log: $scratch/log"
  grep -m3 -E "broken promise|ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error|SUMMARY:" \
    "$scratch/log" | sed 's/^/   /' || true
  for input in "$scratch"/findings/*; do
    [ -e "$input" ] && echo "   input: $input (replay: $binary $input)"
  done
done

if [ "$findings" -ne 0 ]; then
  echo "$findings target(s) found something"
  exit 1
fi
echo "No target found anything."
