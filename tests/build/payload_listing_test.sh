#!/usr/bin/env bash
# Runs scripts/release/payload-listing.py on a built installer and on altered copies
# of it and of its payload folder:
# - the listing names every RCDATA id of payload.txt with its size, the
#   SHA-256 that sha256sum gives for its payload file and the place below the
#   working root (a few places written out here by hand), both string tables'
#   file names, the version resource and the manifest;
# - --check passes on the true folder and on one with an extra file, and
#   names the difference for a changed byte, a missing file, a renumbered
#   RCDATA id and a file-name string changed in the 1033 table only;
# - an unreadable input ends with 2.
# usage: payload_listing_test.sh <installer.exe> <payload folder> <payload.txt>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
listing="$here/../../scripts/release/payload-listing.py"
exe=$1 payload=$2 manifest=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

# run <log> <expected exit code> <listing arguments...>
run() {
  local log=$1 want=$2 code=0
  shift 2
  "$listing" "$@" --manifest "$manifest" > "$work/$log" 2> "$work/$log.err" || code=$?
  [ "$code" -eq "$want" ] ||
    fail "$log: exit code $code, not $want: $(cat "$work/$log" "$work/$log.err")"
}
has() { grep -qxF -- "$2" "$work/$1" || fail "$1: no line '$2'"; }
# The RCDATA section of a listing.
rcdata() { sed -n '/^== RCDATA/,/^$/p' "$work/$1"; }
# The place listed for an RCDATA id under language 1033 (the sixth column).
place() { rcdata listing | awk -v id="$1" '$1 == id && $2 == 1033 { print $6 }'; }

# ---- the listing of the installer as built
run listing 0 "$exe"

rows=0 total=0
while read -r set id _ path; do
  rows=$((rows + 1))
  size=$(stat -c %s "$payload/$path")
  total=$((total + size))
  sum=$(sha256sum "$payload/$path" | cut -d' ' -f1)
  line=$(rcdata listing | awk -v id="$id" '$1 == id')
  [ "$line" = "$(printf '%-5s %-5s %-7s %9s  %s  %s' "$id" 1033 "$set" "$size" "$sum" "${path//\//\\}")" ] ||
    fail "RCDATA $id ($path, $size bytes, SHA-256 $sum) is listed as: ${line:-nothing}"
done < <(/usr/bin/python3 "$here/../../scripts/release/pe_resources.py" rows "$manifest")
[ "$rows" -eq 42 ] || fail "payload.txt has $rows rows, not 42"
[ "$(rcdata listing | grep -cE '^[0-9]+ ')" -eq 42 ] || fail "not 42 RCDATA lines"
has listing "== RCDATA: 42 resources under 42 ids; payload.txt: 42 rows"
echo "ok: 42 RCDATA ids with the sizes and SHA-256 of their payload files"

for expected in "104 setup.exe" "146 0x0804.ini" "147 0x0404.ini" "141 kpcomusb\\x86\\VrnCe.sys" \
                "140 kpcomusb\\x64\\VrnCe.sys" "127 kpusb\\KPUSB64\\DPInst.exe" \
                "137 kpusb\\KPUSBXP\\KPUSB90.INF" "119 manual\\EN\\Quillane_User'sManual.pdf" \
                "145 manual\\SC\\ReadMeE.txt" "150 KPCOMUSBCLN.dll"; do
  [ "$(place "${expected%% *}")" = "${expected#* }" ] ||
    fail "RCDATA ${expected%% *} lands at '$(place "${expected%% *}")', not '${expected#* }'"
done
has listing 'Working root: {6F1C2A90-4B7E-4D35-9C21-0A8E5B3D7F64}\ (string 123, language 1033)'
echo "ok: the places below the working root"

[ "$(grep -cE '^(114|11[6-9]|1[2-4][0-9]|15[0-7]) ' <(sed -n '/^== String tables/,/^$/p' "$work/listing"))" -eq 43 ] ||
  fail "the string tables do not list 43 ids"
has listing "123   {6F1C2A90-4B7E-4D35-9C21-0A8E5B3D7F64}"
has listing "150   0x0804.ini"
has listing "all 43 ids read the same in 1033 and 1041"
has listing "fixed file version: 7.1.7.0"
has listing "fixed product version: 7.1.0.0"
has listing "  OriginalFilename: QuillaneSetup.exe"
has listing "Translation: 0x0409 1200"
grep -qF '<requestedExecutionLevel level="requireAdministrator" uiAccess="false"/>' "$work/listing" ||
  fail "the manifest text is not listed"
echo "ok: string tables, version and manifest"

# ---- --check against payload folders
run true-folder 0 "$exe" --check "$payload"
has true-folder "no differences: 42 files, $total bytes"
cmp -s "$work/listing" <(head -n "$(wc -l < "$work/listing")" "$work/true-folder") ||
  fail "the listing changes with --check"
echo "ok: --check passes on the payload folder"

cp -r "$payload" "$work/extra"
echo extra > "$work/extra/manual/EN/notes.txt"
run extra-file 0 "$exe" --check "$work/extra"
echo "ok: a file that payload.txt does not name is not looked at"

cp -r "$payload" "$work/byte"
changed="$work/byte/kpcomusb/x86/VrnCe.sys"
/usr/bin/python3 -c 'import sys
with open(sys.argv[1], "r+b") as f:
    f.seek(100); byte = f.read(1)[0]; f.seek(100); f.write(bytes([byte ^ 0x01]))' "$changed"
run changed-byte 1 "$exe" --check "$work/byte"
has changed-byte "difference: RCDATA 141 differs from kpcomusb/x86/VrnCe.sys: $(stat -c %s "$changed") bytes carried against $(stat -c %s "$changed") in the folder, first difference at byte 100"
[ "$(grep -c '^difference:' "$work/changed-byte")" -eq 1 ] || fail "changed-byte: not one difference"
echo "ok: a changed byte is named"

cp -r "$payload" "$work/missing"
rm "$work/missing/manual/JA/ReadMeJ.txt"
run missing-file 1 "$exe" --check "$work/missing"
has missing-file "difference: manual/JA/ReadMeJ.txt (RCDATA 120) is missing from $work/missing"
has missing-file "1 differences"
echo "ok: a missing file is named"

# alter <what> <copy>: writes an altered copy of the installer.
alter() {
  /usr/bin/python3 - "$1" "$exe" "$2" <<'EOF'
import struct, sys
import pefile
what, source, target = sys.argv[1:4]
data = bytearray(open(source, "rb").read())
pe = pefile.PE(data=bytes(data))
def names(kind):
    return next(t for t in pe.DIRECTORY_ENTRY_RESOURCE.entries
                if t.id == pefile.RESOURCE_TYPE[kind]).directory.entries
if what == "rcdata-150":  # carried as RCDATA 151 instead
    entry = next(e for e in names("RT_RCDATA") if e.id == 150)
    struct.pack_into("<I", data, entry.struct.get_file_offset(), 151)
elif what == "string-150":  # "0x0804.ini" becomes "0x0805.ini" in the 1033 table only
    block = next(e for e in names("RT_STRING") if e.id == 150 // 16 + 1)
    english = next(e for e in block.directory.entries if e.id == 1033).data.struct
    start = pe.get_offset_from_rva(english.OffsetToData)
    old, new = "0x0804.ini".encode("utf-16-le"), "0x0805.ini".encode("utf-16-le")
    at = data.find(old, start, start + english.Size)
    assert at >= 0
    data[at:at + len(old)] = new
open(target, "wb").write(data)
EOF
}

alter rcdata-150 "$work/renumbered.exe"
run renumbered 1 "$work/renumbered.exe" --check "$payload"
has renumbered "difference: RCDATA 151 is carried but payload.txt has no row for it"
has renumbered "difference: RCDATA 150 (KPCOMUSBCLN.dll) is not carried"
has renumbered "2 differences"
rcdata renumbered | grep -qE '^150 +- +cleanup .*KPCOMUSBCLN\.dll  \(not carried\)$' ||
  fail "renumbered: RCDATA 150 not listed as not carried"
echo "ok: a renumbered RCDATA id is named twice"

alter string-150 "$work/renamed.exe"
run renamed 1 "$work/renamed.exe" --check "$payload"
has renamed '150   DIFFERS  1033: "0x0805.ini"  1041: "0x0804.ini"'
has renamed "1 of 43 ids differ between 1033 and 1041"
rcdata renamed | grep -qE '^146 +1033 +install +[0-9]+  [0-9a-f]{64}  0x0805\.ini  \(payload\.txt: 0x0804\.ini\)$' ||
  fail "renamed: RCDATA 146 not listed at 0x0805.ini"
has renamed "difference: RCDATA 146 lands at 0x0805.ini, the payload folder has it at 0x0804.ini"
has renamed "1 differences"
echo "ok: a file name that differs in the 1033 table is flagged and named"

# ---- inputs that cannot be read
run not-pe 2 "$manifest"
grep -qF "cannot read $manifest as a PE image" "$work/not-pe.err" || fail "not-pe: $(cat "$work/not-pe.err")"
run no-folder 2 "$exe" --check "$work/nowhere"
grep -qF "$work/nowhere is not a folder" "$work/no-folder.err" || fail "no-folder: $(cat "$work/no-folder.err")"
[ ! -s "$work/no-folder" ] || fail "no-folder: a listing was printed"
echo "ok: unreadable inputs end with 2"
