#!/bin/sh
# Runs one Windows program under Wine for CTest. The loader is a parameter
# (QUILLANE_WINE), so the same tests can run a build of another architecture
# through another loader. The prefix and the X display come from the caller
# (see scripts/wine/wine-session.sh); nothing here creates them.
: "${QUILLANE_WINE:=/usr/lib/wine/wine64}"
if [ -z "${WINEPREFIX:-}" ] || [ -z "${DISPLAY:-}" ]; then
  echo "wine-run.sh: WINEPREFIX and DISPLAY must be set; run the tests through ./test.sh" >&2
  exit 2
fi
WINEDEBUG=${WINEDEBUG:--all}
export WINEDEBUG
exec "$QUILLANE_WINE" "$@"
