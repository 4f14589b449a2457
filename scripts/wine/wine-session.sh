#!/usr/bin/env bash
# Runs a command with a fresh Wine prefix of its own on a private X display:
#   scripts/wine/wine-session.sh <command...>
# QUILLANE_WINE names the loader: /usr/lib/wine/wine64 (the default) or the
# 32-bit /usr/lib/wine/wine.
# The prefix is created once (wineboot) and shared by everything the command
# starts; it is removed, and its wineserver ended, when the command ends.
set -euo pipefail
: "${QUILLANE_WINE:=/usr/lib/wine/wine64}"
export QUILLANE_WINE

if [ -z "${QUILLANE_IN_XVFB:-}" ]; then
  # xvfb-run picks a free display and takes care of the X authority.
  QUILLANE_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$0" "$@"
fi

# The 32-bit loader, where this kernel does not start 32-bit programs (or
# QUILLANE_WINE32_EMULATED=1 asks for it), runs through an i386 emulator
# registered in a private namespace; the whole session lives there.
here=$(dirname "$(readlink -f "$0")")
if [ "$(basename "$QUILLANE_WINE")" = wine ] && [ -z "${QUILLANE_IN_EMULATION:-}" ] &&
   { [ "${QUILLANE_WINE32_EMULATED:-0}" = 1 ] || ! "$here/wine32-emulator.sh" native "$QUILLANE_WINE"; }; then
  QUILLANE_IN_EMULATION=1 exec "$here/wine32-emulator.sh" run "$0" "$@"
fi

session=$(mktemp -d "${TMPDIR:-/tmp}/quillane-wine.XXXXXX")
export WINEPREFIX="$session/prefix"
export WINEDEBUG=-all
# No Mono or Gecko prompts in a prefix that only runs test programs.
export WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  WINEPREFIX="$WINEPREFIX" "$(dirname "$QUILLANE_WINE")/wineserver" -k 2>/dev/null || true
  rm -rf "$session"
}
trap cleanup EXIT

wineserver="$(dirname "$QUILLANE_WINE")/wineserver"
# Always a 64-bit prefix: the 32-bit loader runs its programs there as
# 64-bit Windows runs a 32-bit program (WOW64).
wine64="$(dirname "$QUILLANE_WINE")/wine64"
"$wine64" wineboot -i >/dev/null 2>&1
# All windows on one Wine virtual desktop: without a window manager on the
# display, Wine waits for one whenever a window is shown or hidden, which
# measured twice the time of the end-to-end tests.
"$wine64" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
"$wine64" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f \
  >/dev/null 2>&1
"$wineserver" -k 2>/dev/null || true
"$wineserver" -w
"$@"
