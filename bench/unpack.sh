#!/usr/bin/env bash
# The unpack benchmark (not a test): how long the shipping 32-bit installer
# takes to unpack its payload, start the setup and remove the tree, against
# an NSIS installer of the same tree doing the same and a native copy.
#
#   bench/unpack.sh [--runs N] [--warmup N] [--rounds N] [--scales "1 10"]
#                   [--scratch DIR] [--alignment-check] [--nice N]
#
# Builds, under the scratch folder (default /tmp/quillane-bench):
#   - the payloads: the manifest's files from a fixed seed at each scale
#     (about 19 MB at 1, the largest file 5.5 MB; 184 MiB at 10), and the
#     same of one byte each; setup.exe in every one is quick_setup.c, a real
#     program that ends at once;
#   - QuillaneSetup.exe from each, with the win32 preset and
#     QUILLANE_PAYLOAD_DIR, in one build folder of its own;
#   - an NSIS installer of each payload's install set (nsis_script.py);
#   - with --alignment-check, the installer from the largest and the one-byte
#     payload again, linked with --file-alignment=0x1000.
# Then, in one Wine prefix on a private X display (scripts/wine/wine-session.sh,
# 32-bit loader), it checks once that every installer unpacks the whole tree,
# runs setup.exe and removes the tree, and times them with hyperfine side by
# side with `cp -r` of the tree plus `rm -rf` (bench/measure.sh): at each
# scale --rounds hyperfine runs (default 3) one after the other, each with
# --warmup warm-up runs (default 3) and --runs timed runs (default 10) of
# every command, so that a busy spell of the machine does not fall on one
# command alone. It prints the medians of the pooled times, the net times
# (each tool's median minus its own one-byte median) and their ratios, and
# the same of the fastest runs (bench/summarize.py); the JSON and Markdown
# exports stay in the scratch folder's results/. About 4 minutes with the
# defaults and --alignment-check on 2 cores, builds included. --nice runs
# the Wine stage at that niceness (a negative one needs root): on a machine
# that others use, their programs then take less of the time measured.
#
# The helpers' tests: python3 -m unittest discover -s bench -p '*_test.py'
# Needs the Debian packages hyperfine and nsis beside the project's own.
set -euo pipefail
bench=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$bench/.." && pwd)

runs=10
warmup=3
rounds=3
scales="1 10"
scratch=/tmp/quillane-bench
alignment_check=0
niceness=0
while [ $# -gt 0 ]; do
  case $1 in
    --runs) runs=$2; shift 2 ;;
    --warmup) warmup=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    --scales) scales=$2; shift 2 ;;
    --scratch) scratch=$2; shift 2 ;;
    --alignment-check) alignment_check=1; shift ;;
    --nice) niceness=$2; shift 2 ;;
    -h|--help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) echo "unpack.sh: unknown argument '$1' (see --help)" >&2; exit 2 ;;
  esac
done
for number in "$runs" "$warmup" "$rounds" $scales; do
  [[ $number =~ ^[0-9]+$ ]] || { echo "unpack.sh: '$number' is not a number" >&2; exit 2; }
done
[[ $niceness =~ ^-?[0-9]+$ ]] || { echo "unpack.sh: '$niceness' is not a niceness" >&2; exit 2; }
[ "$runs" -ge 2 ] && [ "$rounds" -ge 1 ] || { echo "unpack.sh: at least 2 runs and 1 round" >&2; exit 2; }
[ -n "${scales// }" ] || { echo "unpack.sh: no scale" >&2; exit 2; }

missing=()
for tool in hyperfine:hyperfine makensis:nsis cmake:cmake python3:python3 \
            i686-w64-mingw32-gcc-win32:gcc-mingw-w64-i686 /usr/lib/wine/wine:wine32:i386 \
            xvfb-run:xvfb; do
  command -v "${tool%%:*}" >/dev/null || missing+=("${tool#*:}")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "unpack.sh: install the Debian packages ${missing[*]} first (apt-get install)" >&2
  exit 1
fi

mkdir -p "$scratch"
scratch=$(cd "$scratch" && pwd)
manifest="$source_dir/Packager/res/payload.txt"
installers="$scratch/installers"
mkdir -p "$installers" "$scratch/results" "$scratch/logs"
started=$(date +%s)
step() { echo "[$(( $(date +%s) - started )) s] $*"; }

step "the setup program"
i686-w64-mingw32-gcc-win32 -std=c11 -Wall -Wextra -Werror -Os -s -static -mwindows -municode \
  -o "$scratch/quick_setup.exe" "$bench/quick_setup.c"

# payload <name> <make_payload.py size arguments...>
payload() {
  local name=$1
  shift
  python3 "$bench/make_payload.py" --manifest "$manifest" --setup "$scratch/quick_setup.exe" \
    "$@" "$scratch/payload/$name"
}

# build_installer <build folder> <payload name> <installer name> [cmake arguments...]
build_installer() {
  local build=$1 name=$2 out=$3
  shift 3
  cmake --preset win32 -S "$source_dir" -B "$build" -DQUILLANE_PAYLOAD_DIR="$scratch/payload/$name" \
    "$@" > "$scratch/logs/configure-$out.log" 2>&1 ||
    { cat "$scratch/logs/configure-$out.log" >&2; exit 1; }
  cmake --build "$build" -j"$(nproc)" > "$scratch/logs/build-$out.log" 2>&1 ||
    { cat "$scratch/logs/build-$out.log" >&2; exit 1; }
  cp "$build/QuillaneSetup.exe" "$installers/$out.exe"
}

names=(one-byte)
step "payloads"
payload one-byte --one-byte
for scale in $scales; do
  payload "x$scale" --scale "$scale"
  names+=("x$scale")
done

mapfile -t install_paths < <(python3 "$bench/make_payload.py" --manifest "$manifest" --list-install)
for name in "${names[@]}"; do
  step "installers from $name"
  build_installer "$scratch/build" "$name" "quillane-$name"
  python3 "$bench/nsis_script.py" --manifest "$manifest" --payload "$scratch/payload/$name" \
    --out-file "$installers/nsis-$name.exe" "$scratch/nsis-$name.nsi"
  makensis -V2 "$scratch/nsis-$name.nsi" > "$scratch/logs/makensis-$name.log" 2>&1 ||
    { cat "$scratch/logs/makensis-$name.log" >&2; exit 1; }
  # The tree as the installers leave it, for the native copy.
  rm -rf "$scratch/tree/$name"
  for path in "${install_paths[@]}"; do
    mkdir -p "$(dirname "$scratch/tree/$name/$path")"
    ln "$scratch/payload/$name/$path" "$scratch/tree/$name/$path"
  done
done

largest=
if [ "$alignment_check" = 1 ]; then
  largest=$(printf '%s\n' $scales | sort -n | tail -1)
  for name in one-byte "x$largest"; do
    step "installer from $name, file alignment 0x1000"
    build_installer "$scratch/build-falign4k" "$name" "quillane-falign4k-$name" \
      -DCMAKE_EXE_LINKER_FLAGS=-Wl,--file-alignment=0x1000
  done
fi

for name in "${names[@]}"; do
  printf '  %-22s %11s bytes\n' "quillane-$name.exe" "$(stat -c %s "$installers/quillane-$name.exe")"
  printf '  %-22s %11s bytes\n' "nsis-$name.exe" "$(stat -c %s "$installers/nsis-$name.exe")"
done
if [ -n "$largest" ]; then
  for name in one-byte "x$largest"; do
    printf '  %-22s %11s bytes\n' "quillane-falign4k-$name.exe" \
      "$(stat -c %s "$installers/quillane-falign4k-$name.exe")"
  done
fi

step "timing under Wine"
QUILLANE_WINE=/usr/lib/wine/wine nice -n "$niceness" "$source_dir/scripts/wine/wine-session.sh" \
  "$bench/measure.sh" "$scratch" "$runs" "$warmup" "$rounds" "$scales" "$largest"
for scale in $scales; do
  python3 "$bench/summarize.py" "scale $scale" "$scratch/results/x$scale".round*.json
done
step "done"
