#!/usr/bin/env bash
# Runs check_shipped_file.py on the shipped installer (it must pass) and on
# altered copies, each of which must fail with exactly the differences made:
# a changed payload byte, a lost RCDATA id, an import missing from the list
# of functions known on Windows 2000, and a manifest asking for no elevation.
# usage: check_shipped_file_test.sh <installer.exe> <payload folder> <payload.txt>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
check="$here/check_shipped_file.py"
exe=$1 payload=$2 manifest=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

# expect <case> <number of differences> <text of one of them> <checker arguments...>
expect() {
  local name=$1 count=$2 text=$3 code=0
  shift 3
  "$check" "$@" > "$work/$name.log" 2>&1 || code=$?
  [ "$code" -eq 1 ] || fail "$name: exit code $code, not 1: $(cat "$work/$name.log")"
  grep -qF -- "$text" "$work/$name.log" || fail "$name: '$text' not reported: $(cat "$work/$name.log")"
  [ "$(grep -c '^FAIL' "$work/$name.log")" -eq "$count" ] ||
    fail "$name: not $count differences: $(cat "$work/$name.log")"
  echo "ok: $name is refused"
}

"$check" "$exe" "$payload" "$manifest" > "$work/shipped.log" 2>&1 ||
  fail "the shipped installer does not pass: $(cat "$work/shipped.log")"
echo "ok: the shipped installer passes"

# The manifest's last row: its RCDATA id and file.
read -r _ _ last_id _ last_path < <(grep -E '^(install|cleanup)[[:space:]]' "$manifest" | tail -n 1)

# 1. One byte of a payload file differs from what the installer carries.
cp -r "$payload" "$work/payload"
/usr/bin/python3 - "$work/payload/$last_path" <<'EOF'
import sys
data = bytearray(open(sys.argv[1], "rb").read())
data[-1] ^= 0x01
open(sys.argv[1], "wb").write(data)
EOF
expect changed-payload-byte 1 "RCDATA $last_id differs from $last_path" "$exe" "$work/payload" "$manifest"

# 2. The installer carries the last file under the next id instead of its own.
/usr/bin/python3 - "$exe" "$work/renamed.exe" "$last_id" <<'EOF'
import struct, sys
import pefile
source, target, old = sys.argv[1], sys.argv[2], int(sys.argv[3])
pe = pefile.PE(source)
data = bytearray(pe.__data__)
rcdata = next(t for t in pe.DIRECTORY_ENTRY_RESOURCE.entries if t.id == pefile.RESOURCE_TYPE["RT_RCDATA"])
entry = next(e for e in rcdata.directory.entries if e.id == old)
struct.pack_into("<I", data, entry.struct.get_file_offset(), old + 1)
open(target, "wb").write(data)
EOF
expect missing-rcdata 2 "RCDATA $last_id ($last_path) is missing" "$work/renamed.exe" "$payload" "$manifest"
grep -qF "RCDATA $((last_id + 1)) is carried but payload.txt has no row for it" "$work/missing-rcdata.log" ||
  fail "missing-rcdata: the stray id not named: $(cat "$work/missing-rcdata.log")"

# 3. An imported function that nobody has confirmed on Windows 2000.
grep -vx 'KERNEL32.dll CreateProcessW' "$here/windows2000_functions.txt" > "$work/functions.txt"
expect unlisted-import 1 "KERNEL32.dll CreateProcessW is imported but not in $work/functions.txt: confirm that it exists on Windows 2000" \
  --functions "$work/functions.txt" "$exe" "$payload" "$manifest"

# 4. The manifest asks for the caller's rights (same size: the sizes stay valid).
/usr/bin/python3 - "$exe" "$work/invoker.exe" <<'EOF'
import sys
data = open(sys.argv[1], "rb").read()
old, new = b'"requireAdministrator"', b'"asInvoker           "'
assert data.count(old) == 1 and len(old) == len(new)
open(sys.argv[2], "wb").write(data.replace(old, new))
EOF
expect manifest-level 1 "requestedExecutionLevel level is 'asInvoker           ', not 'requireAdministrator'" \
  "$work/invoker.exe" "$payload" "$manifest"
