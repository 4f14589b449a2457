#!/usr/bin/env bash
# The timing stage of bench/unpack.sh, run inside scripts/wine/wine-session.sh (one
# prefix, created once, for every Wine process of the run):
#   measure.sh <scratch> <runs> <warm-up runs> <rounds> <scales> [<scale with the 0x1000 variant>]
# First one untimed run of each installer, checked: exit code 0, setup.exe
# started from a tree holding every file of the install set at its size, and
# no tree left. Then, for each scale, <rounds> hyperfine runs one after the
# other (their times are pooled), each timing side by side:
#   quillane  QuillaneSetup.exe -u1 (unpack, PORTS.dat, setup.exe, removal)
#   nsis      the NSIS installer of the same tree (extract, setup.exe, removal)
#   cp        cp -r of the tree, then rm -rf
# each at the scale and from one-byte files, plus the 0x1000-aligned
# installer where asked.
set -euo pipefail
scratch=$1
runs=$2
warmup=$3
rounds=$4
scales=$5
aligned_scale=${6:-}
bench=$(cd "$(dirname "$0")" && pwd)
manifest="$bench/../Packager/res/payload.txt"
installers="$scratch/installers"
: "${QUILLANE_WINE:?run through scripts/wine/wine-session.sh}"
: "${WINEPREFIX:?run through scripts/wine/wine-session.sh}"
wine=$QUILLANE_WINE
wineserver="$(dirname "$wine")/wineserver"

# One server for the whole run: without -p it would end a few seconds after
# the last program and the next run would pay for its start.
"$wineserver" -p
temp="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Temp"
quillane_tree="$temp/{6F1C2A90-4B7E-4D35-9C21-0A8E5B3D7F64}"
nsis_tree="$temp/QuillaneBenchTree"
copy_target="$scratch/copy"

tab=$'\t'
fail() { echo "measure.sh: $*" >&2; exit 1; }

# The install set as "<path with backslashes>\t<bytes>" lines, sorted.
expected_tree() {
  local name=$1 path
  python3 "$bench/make_payload.py" --manifest "$manifest" --list-install | while IFS= read -r path; do
    printf '%s\t%s\n' "${path//\//\\}" "$(stat -c %s "$scratch/payload/$name/$path")"
  done | LC_ALL=C sort
}

# check <label> <tree folder> <extra file in the tree or ""> <payload name> <command...>
check() {
  local label=$1 tree=$2 extra=$3 name=$4
  shift 4
  local report="$scratch/logs/tree-$label.txt"
  rm -f "$report"
  local status=0
  QUILLANE_BENCH_TREE_REPORT="Z:${report//\//\\}" "$@" > "$scratch/logs/check-$label.log" 2>&1 ||
    status=$?
  # Wine hands over the low 8 bits of the exit code: 1001 arrives as 233.
  [ "$status" -eq 0 ] || fail "$label ended with status $status (see $scratch/logs/check-$label.log)"
  [ -s "$report" ] || fail "$label: setup.exe did not run, or saw no tree"
  local seen
  seen=$(tr -d '\r' < "$report" | { if [ -n "$extra" ]; then grep -v "^$extra$tab" || true; else cat; fi; } |
         LC_ALL=C sort)
  if [ -n "$extra" ] && ! grep -q "^$extra$tab" "$report"; then fail "$label: no $extra in the tree"; fi
  [ "$seen" = "$(expected_tree "$name")" ] ||
    fail "$label: the tree differs from the install set: $(diff <(echo "$seen") <(expected_tree "$name") | head -5)"
  [ ! -e "$tree" ] || fail "$label: the tree is still there: $tree"
  echo "  ok: $label unpacked the $(echo "$seen" | wc -l) files of the install set, ran setup.exe and removed the tree"
}

rm -f "$scratch"/logs/timed-*.log
names=(one-byte)
for scale in $scales; do names+=("x$scale"); done
echo "checking each installer once"
for name in "${names[@]}"; do
  check "quillane-$name" "$quillane_tree" PORTS.dat "$name" "$wine" "$installers/quillane-$name.exe" -u1
  check "nsis-$name" "$nsis_tree" "" "$name" "$wine" "$installers/nsis-$name.exe"
done
if [ -n "$aligned_scale" ]; then
  for name in one-byte "x$aligned_scale"; do
    check "quillane-falign4k-$name" "$quillane_tree" PORTS.dat "$name" \
      "$wine" "$installers/quillane-falign4k-$name.exe" -u1
  done
fi

q() { printf '%q' "$1"; }
# A Wine command as hyperfine runs it: what Wine writes goes to a log of its
# own (a file: a Wine service could hold a pipe open), kept for a failure.
wine_command() {
  local label=$1
  shift
  local words=() word
  for word in "$wine" "$@"; do words+=("$(q "$word")"); done
  echo "${words[*]} >> $(q "$scratch/logs/timed-$label.log") 2>&1"
}
for scale in $scales; do
  commands=()
  for name in "x$scale" one-byte; do
    commands+=(-n "quillane $name"
               "$(wine_command "quillane-$name" "$installers/quillane-$name.exe" -u1)")
    if [ "$scale" = "$aligned_scale" ]; then
      commands+=(-n "quillane-falign4k $name"
                 "$(wine_command "quillane-falign4k-$name" "$installers/quillane-falign4k-$name.exe" -u1)")
    fi
    commands+=(-n "nsis $name" "$(wine_command "nsis-$name" "$installers/nsis-$name.exe")")
    commands+=(-n "cp $name" "cp -r $(q "$scratch/tree/$name") $(q "$copy_target") && rm -rf $(q "$copy_target")")
  done
  rm -f "$scratch/results/x$scale".round*.json "$scratch/results/x$scale".round*.md
  for round in $(seq "$rounds"); do
    echo "timing at scale $scale, round $round of $rounds"
    rm -rf "$copy_target"
    hyperfine --style basic --warmup "$warmup" --runs "$runs" \
      --export-json "$scratch/results/x$scale.round$round.json" \
      --export-markdown "$scratch/results/x$scale.round$round.md" "${commands[@]}" ||
      fail "hyperfine stopped at a failed run; the temporary folder holds: $(ls -A "$temp")
what Wine wrote ($scratch/logs/timed-*.log):
$(tail -n 5 "$scratch"/logs/timed-*.log 2>/dev/null)"
  done
  [ ! -e "$quillane_tree" ] && [ ! -e "$nsis_tree" ] && [ ! -e "$copy_target" ] ||
    fail "a tree was left behind after the timed runs"
done
