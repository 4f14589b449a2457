#!/usr/bin/env bash
# Installs the sample payload with the 64-bit build under Wine on a private
# X display, and prints what the stand-in inner setup received and the
# installer's exit code.
#   scripts/wine/demo.sh [installer arguments...]
set -euo pipefail
cd "$(dirname "$0")/../.."
installer=build/win64/QuillaneSetup.exe
[ -f "$installer" ] || { echo "demo: build first (./build.sh)" >&2; exit 1; }

if [ -z "${QUILLANE_IN_DEMO:-}" ]; then
  QUILLANE_IN_DEMO=1 exec scripts/wine/wine-session.sh "$0" "$@"
fi

report=$(mktemp "${TMPDIR:-/tmp}/quillane-demo-report.XXXXXX")
trap 'rm -f "$report"' EXIT
export QUILLANE_SAMPLE_REPORT="Z:${report//\//\\}"
status=0
"$QUILLANE_WINE" "$installer" "$@" || status=$?

echo "== What the inner setup received (QuillaneSetup.exe $*)"
grep -E '^(command-line|link-class|raised|position)=' "$report" || echo "(the inner setup was not started)"
ports=$(sed -n 's/^ports-dat=//p' "$report")
if [ -n "$ports" ] && [ "$ports" != missing ]; then
  echo "-- PORTS.dat beside it:"
  printf '%s' "$ports" | perl -ne 'chomp; print pack("H*", $_)' | sed 's/\r$//; s/^/   /'
fi
echo "-- working tree: $(grep -c '^folder=' "$report" || true) folders, $(grep -c '^file=' "$report" || true) files"
echo "== Exit code: $status"
