#!/usr/bin/env bash
# The installer in a Wine session that has no X display at all: its hidden
# window cannot be created, so it exits with 0 and unpacks nothing.
# usage: no_display_test.sh <installer.exe>
set -euo pipefail
installer=$1
: "${QUILLANE_WINE:=/usr/lib/wine/wine64}"
session=$(mktemp -d "${TMPDIR:-/tmp}/quillane-nodisplay.XXXXXX")
export WINEPREFIX="$session/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
cleanup() {
  "$(dirname "$QUILLANE_WINE")/wineserver" -k 2>/dev/null || true
  rm -rf "$session"
}
trap cleanup EXIT

# A 64-bit prefix, in which a 32-bit installer runs as on 64-bit Windows.
"$(dirname "$QUILLANE_WINE")/wine64" wineboot -i >/dev/null 2>&1 || true
"$(dirname "$QUILLANE_WINE")/wineserver" -w
status=0
"$QUILLANE_WINE" "$installer" -s1 >/dev/null 2>&1 || status=$?
# Only 0 is tested, so the 8-bit Unix status is enough.
[ "$status" -eq 0 ] || { echo "FAIL: exit status $status, expected 0"; exit 1; }
if find "$WINEPREFIX/drive_c" -name '{6F1C2A90-4B7E-4D35-9C21-0A8E5B3D7F64}' | grep -q .; then
  echo "FAIL: a working tree was unpacked"; exit 1
fi
echo "ok: without a display the installer exits with 0 and unpacks nothing"
