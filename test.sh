#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs every test: the
# portable logic natively under the sanitizers (its tests, then a short fixed
# run of its fuzz targets), and the Windows programs under Wine on a private
# X display, on both architectures: the 64-bit build with its own tests, and
# the shipping 32-bit installer, run by the 32-bit test programs as 64-bit
# Windows runs it (WOW64). Exits non-zero on any failure.
#
#   ./test.sh [--coverage]
#
# --coverage then builds the installer's code with gcov counters, runs the
# suites again against it and fails below the coverage floor
# (scripts/coverage/coverage.sh).
set -euo pipefail
cd "$(dirname "$0")"
coverage=0
case "${1:-}" in
  "") ;;
  --coverage) coverage=1 ;;
  *) echo "usage: ./test.sh [--coverage]" >&2; exit 2 ;;
esac
# Each part says how long it took, for a look at where the time goes.
started=$SECONDS
part() { echo "== $1: $((SECONDS - started)) s"; started=$SECONDS; }

scripts/setup/install-deps.sh
part "packages"
scripts/setup/check-format.sh
part "format"
jobs=$(nproc)
# Configure with its warnings and the preset's settings shown, without the
# progress lines.
configure() { cmake --preset "$1" | { grep -v -e '^-- ' -e '^$' || true; }; }

configure host
cmake --build --preset host -j"$jobs"
ctest --preset host
part "host build and tests"

configure fuzz
cmake --build --preset fuzz -j"$jobs"
ctest --preset fuzz
part "fuzz build and runs"

configure win32
cmake --build --preset win32 -j"$jobs"
part "shipping 32-bit build"

configure win64
cmake --build --preset win64 -j"$jobs"
part "64-bit build"
scripts/wine/wine-session.sh ctest --preset win64
part "64-bit Wine suite"

configure win32-tests
cmake --build --preset win32-tests -j"$jobs"
part "32-bit test build"
QUILLANE_WINE=/usr/lib/wine/wine scripts/wine/wine-session.sh ctest --preset win32-tests
part "32-bit Wine suite"

if [ "$coverage" -eq 1 ]; then
  scripts/coverage/coverage.sh
  part "coverage build, runs and report"
fi
