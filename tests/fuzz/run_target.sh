#!/usr/bin/env bash
# Runs one fuzz target over its committed seeds and then a fixed number of
# generated inputs from a fixed random seed. Inputs it finds go to a scratch
# folder, never into the committed seeds; an input that breaks a promise is
# kept there as findings/crash-*.
#   run_target.sh <target binary> <seed folder> <scratch folder> <runs> [libFuzzer options...]
set -euo pipefail
binary=$1 seeds=$2 scratch=$3 runs=$4
shift 4
rm -rf "$scratch"
mkdir -p "$scratch/corpus" "$scratch/findings"
exec "$binary" -seed=1 -runs="$runs" -timeout=10 -print_final_stats=1 \
  -artifact_prefix="$scratch/findings/" "$@" "$scratch/corpus" "$seeds"
