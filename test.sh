#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs every test: the
# portable logic natively under the sanitizers (its tests, then a short fixed
# run of its fuzz targets), and the Windows programs under Wine on a private
# X display. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
jobs=$(nproc)

cmake --preset host >/dev/null
cmake --build --preset host -j"$jobs"
ctest --preset host

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$jobs"
ctest --preset fuzz

cmake --preset win32 >/dev/null
cmake --build --preset win32 -j"$jobs"

cmake --preset win64 >/dev/null
cmake --build --preset win64 -j"$jobs"
scripts/wine-session.sh ctest --preset win64
