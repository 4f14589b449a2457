#!/usr/bin/env bash
# Runs check_shipped_file.py on the shipped installer (it must pass) and on
# altered copies, each of which must fail with exactly the differences made:
# a changed payload byte, a lost RCDATA id, an import missing from the list
# of functions known on Windows 2000, a manifest asking for no elevation, and
# one alteration each of the headers, version, icon and string tables.
# usage: check_shipped_file_test.sh <installer.exe> <payload folder> <payload.txt>
set -euo pipefail
source "$(dirname "$(readlink -f "$0")")/test_lib.sh"
here=$(cd "$(dirname "$0")" && pwd)
check="$here/check_shipped_file.py"
exe=$1 payload=$2 manifest=$3
make_scratch shipped-file-test


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

# alter <what> <file> <copy> [argument]: writes an altered copy of a file.
cat > "$work/alter.py" <<'EOF'
import struct, sys
import pefile
what, source, target = sys.argv[1:4]
data = bytearray(open(source, "rb").read())
def entry(kind, name):
    pe = pefile.PE(data=bytes(data))
    types = pe.DIRECTORY_ENTRY_RESOURCE.entries
    names = next(t for t in types if t.id == pefile.RESOURCE_TYPE[kind]).directory.entries
    return next(e for e in names if e.id == name).struct.get_file_offset()
def replace(old, new):
    assert data.count(old) == 1 and len(old) == len(new), old
    return data.replace(old, new)
if what == "last-byte":
    data[-1] ^= 0x01
elif what == "rcdata-id":  # the RCDATA id in argv[4] becomes argv[5]
    struct.pack_into("<I", data, entry("RT_RCDATA", int(sys.argv[4])), int(sys.argv[5]))
elif what == "icon-id":  # the group's first icon is carried under another id
    struct.pack_into("<I", data, entry("RT_ICON", 1), 99)
elif what == "nx":
    pe = pefile.PE(data=bytes(data))
    offset = pe.OPTIONAL_HEADER.get_field_absolute_offset("DllCharacteristics")
    struct.pack_into("<H", data, offset, pe.OPTIONAL_HEADER.DllCharacteristics & ~0x0100)
elif what == "level":
    data = replace(b'"requireAdministrator"', b'"asInvoker           "')
elif what == "product-code":  # in the first string table only
    code = "{6F1C2A90".encode("utf-16-le")
    at = data.find(code)
    data[at:at + len(code)] = "{7F1C2A90".encode("utf-16-le")
open(target, "wb").write(data)
EOF
alter() { /usr/bin/python3 "$work/alter.py" "$@"; }

"$check" "$exe" "$payload" "$manifest" > "$work/shipped.log" 2>&1 ||
  fail "the shipped installer does not pass: $(cat "$work/shipped.log")"
echo "ok: the shipped installer passes"

# The manifest's last row: its RCDATA id and file.
read -r _ last_id _ last_path < <(/usr/bin/python3 "$here/../../scripts/release/pe_resources.py" rows \
  "$manifest" | tail -n 1)

# One byte of a payload file differs from what the installer carries.
cp -r "$payload" "$work/payload"
alter last-byte "$payload/$last_path" "$work/payload/$last_path"
expect payload-byte 1 "RCDATA $last_id differs from $last_path" "$exe" "$work/payload" "$manifest"

# The installer carries the last file under an id no row has, the one after
# the highest, instead of its own.
unused_id=$(( $(/usr/bin/python3 "$here/../../scripts/release/pe_resources.py" rows "$manifest" |
                cut -d' ' -f2 | sort -n | tail -n 1) + 1 ))
alter rcdata-id "$exe" "$work/renamed.exe" "$last_id" "$unused_id"
expect missing-rcdata 2 "RCDATA $last_id ($last_path) is missing" "$work/renamed.exe" "$payload" "$manifest"
grep -qF "RCDATA $unused_id is carried but payload.txt has no row for it" "$work/missing-rcdata.log" ||
  fail "missing-rcdata: the stray id not named: $(cat "$work/missing-rcdata.log")"

# An imported function that nobody has confirmed on Windows 2000.
grep -vx 'KERNEL32.dll CreateProcessW' "$here/windows2000_functions.txt" > "$work/functions.txt"
expect unlisted-import 1 "KERNEL32.dll CreateProcessW is imported but not in $work/functions.txt: confirm that it exists on Windows 2000" \
  --functions "$work/functions.txt" "$exe" "$payload" "$manifest"

# The manifest asks for the caller's rights (same size: the sizes stay valid).
alter level "$exe" "$work/invoker.exe"
expect manifest-level 1 "requestedExecutionLevel level is 'asInvoker           ', not 'requireAdministrator'" \
  "$work/invoker.exe" "$payload" "$manifest"

# No data-execution protection.
alter nx "$exe" "$work/nx.exe"
expect no-nx 1 "lacks IMAGE_DLLCHARACTERISTICS_NX_COMPAT" "$work/nx.exe" "$payload" "$manifest"

# The icon group names an icon the image does not carry.
alter icon-id "$exe" "$work/icon.exe"
expect missing-icon 1 "icon 1 of group 115 is missing" "$work/icon.exe" "$payload" "$manifest"

# The product code differs between the two string tables.
alter product-code "$exe" "$work/code.exe"
expect product-code 2 "string 123 reads '{7F1C2A90-4B7E-4D35-9C21-0A8E5B3D7F64}' in 1033 and '{6F1C2A90" \
  "$work/code.exe" "$payload" "$manifest"

# installer.rc now names another maker: the image no longer matches it.
res=$(dirname "$manifest")
sed 's/VALUE "CompanyName", "[^"]*"/VALUE "CompanyName", "Other Maker"/' "$res/installer.rc" > "$work/installer.rc"
expect version-field 1 "StringFileInfo CompanyName is" \
  --strings "$res/strings.rc" "$exe" "$payload" "$manifest" "$work/installer.rc"
