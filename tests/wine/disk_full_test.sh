#!/usr/bin/env bash
# The installer on a disk that fills up: a Wine session of its own, in a
# private user and mount namespace, whose Windows Temp folder (the working
# base) is a small tmpfs; the DiskFull tests of installer_tests fill it to
# the block before each run.
# usage: disk_full_test.sh <installer_tests.exe>
# Exits 77 (skipped) where the machine refuses such namespaces.
set -euo pipefail
tests=$1
: "${QUILLANE_WINE:=/usr/lib/wine/wine64}"
export QUILLANE_WINE

if [ -z "${QUILLANE_IN_SMALL_DISK:-}" ]; then
  if ! unshare --user --map-root-user --mount true 2> /dev/null; then
    echo "skipped: this machine refuses a private user and mount namespace"
    exit 77
  fi
  QUILLANE_IN_SMALL_DISK=1 exec unshare --user --map-root-user --mount --propagation private \
    bash "$0" "$@"
fi

session=$(mktemp -d "${TMPDIR:-/tmp}/quillane-diskfull.XXXXXX")
export WINEPREFIX="$session/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineserver="$(dirname "$QUILLANE_WINE")/wineserver"
cleanup() {
  "$wineserver" -k 2> /dev/null || true
  umount "$WINEPREFIX/drive_c/windows/temp" 2> /dev/null || true
  rm -rf "$session"
}
trap cleanup EXIT

# A 64-bit prefix, in which a 32-bit installer runs as on 64-bit Windows.
"$(dirname "$QUILLANE_WINE")/wine64" wineboot -i > /dev/null 2>&1 || true
"$wineserver" -w
mount -t tmpfs -o size=32m,mode=1777 quillane-small-disk "$WINEPREFIX/drive_c/windows/temp"
QUILLANE_SMALL_DISK=1 "$QUILLANE_WINE" "$tests" --gtest_filter='DiskFull.*'
