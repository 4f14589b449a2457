#!/usr/bin/env bash
# The installer in a Wine session that has no X display at all: its hidden
# window cannot be created, so it exits with 1001 and unpacks nothing. The
# NoDisplay tests of installer_tests run it and read its full exit code.
# usage: no_display_test.sh <installer_tests.exe>
set -euo pipefail
tests=$1
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
QUILLANE_NO_DISPLAY=1 "$QUILLANE_WINE" "$tests" --gtest_filter='NoDisplay.*'
