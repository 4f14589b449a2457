#!/usr/bin/env bash
# Runs scripts/release/payload-listing.py on a built installer and on altered copies
# of it and of its payload folder:
# - the listing names every RCDATA id of payload.txt with its size, the
#   SHA-256 that sha256sum gives for its payload file and the place below the
#   working root, both string tables' file names, the version resource and
#   the manifest;
# - --check passes on the true folder and on one with an extra file, and
#   names the difference for a changed byte, a missing file, a renumbered
#   RCDATA id and a file-name string changed in the 1033 table only;
# - an unreadable input ends with 2.
# usage: payload_listing_test.sh <installer.exe> <payload folder> <payload.txt>
set -euo pipefail
source "$(dirname "$(readlink -f "$0")")/test_lib.sh"
here=$(cd "$(dirname "$0")" && pwd)
listing="$here/../../scripts/release/payload-listing.py"
exe=$1 payload=$2 manifest=$3
reader="$here/../../scripts/release/pe_resources.py"
make_scratch payload-listing-test


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

# ---- the listing of the installer as built
run listing 0 "$exe"

rows=0 total=0
while read -r set id name_id path; do
  rows=$((rows + 1))
  size=$(stat -c %s "$payload/$path")
  total=$((total + size))
  sum=$(sha256sum "$payload/$path" | cut -d' ' -f1)
  line=$(rcdata listing | awk -v id="$id" '$1 == id')
  [ "$line" = "$(printf '%-5s %-5s %-7s %9s  %s  %s' "$id" 1033 "$set" "$size" "$sum" "${path//\//\\}")" ] ||
    fail "RCDATA $id ($path, $size bytes, SHA-256 $sum) is listed as: ${line:-nothing}"
  has listing "$(printf '%-5s %s' "$name_id" "${path##*/}")"
done < <(/usr/bin/python3 "$reader" rows "$manifest")
[ "$(rcdata listing | grep -cE '^[0-9]+ ')" -eq "$rows" ] || fail "not $rows RCDATA lines"
has listing "== RCDATA: $rows resources under $rows ids; payload.txt: $rows rows"
echo "ok: $rows RCDATA ids with the sizes, SHA-256 and places of their payload files"

has listing 'Working root: {6F1C2A90-4B7E-4D35-9C21-0A8E5B3D7F64}\ (string 123, language 1033)'
echo "ok: the working root"

mapfile -t name_ids < <(/usr/bin/python3 "$reader" name-ids "$manifest")
listed_ids=$(sed -n '/^== String tables/,/^$/p' "$work/listing" | grep -oE '^[0-9]+' | tr '\n' ' ')
[ "$listed_ids" = "${name_ids[*]} " ] || fail "the string tables list ids $listed_ids, not ${name_ids[*]}"
has listing "123   {6F1C2A90-4B7E-4D35-9C21-0A8E5B3D7F64}"
has listing "all ${#name_ids[@]} ids read the same in 1033 and 1041"
has listing "fixed file version: 7.1.7.0"
has listing "fixed product version: 7.1.0.0"
has listing "  OriginalFilename: QuillaneSetup.exe"
has listing "Translation: 0x0409 1200"
grep -qF '<requestedExecutionLevel level="requireAdministrator" uiAccess="false"/>' "$work/listing" ||
  fail "the manifest text is not listed"
echo "ok: string tables, version and manifest"

# ---- --check against payload folders
run true-folder 0 "$exe" --check "$payload"
has true-folder "no differences: $rows files, $total bytes"
cmp -s "$work/listing" <(head -n "$(wc -l < "$work/listing")" "$work/true-folder") ||
  fail "the listing changes with --check"
echo "ok: --check passes on the payload folder"

# The manifest's first and last rows stand for any: their RCDATA ids, string
# ids and files.
mapfile -t manifest_rows < <(/usr/bin/python3 "$reader" rows "$manifest")
read -r _ first_id _ first_path <<< "${manifest_rows[0]}"
read -r last_set last_id last_name_id last_path <<< "${manifest_rows[-1]}"
last_place=${last_path//\//\\}

cp -r "$payload" "$work/extra"
echo extra > "$work/extra/not-in-payload.txt"
run extra-file 0 "$exe" --check "$work/extra"
echo "ok: a file that payload.txt does not name is not looked at"

cp -r "$payload" "$work/byte"
changed="$work/byte/$first_path"
size=$(stat -c %s "$changed")
/usr/bin/python3 -c 'import sys
with open(sys.argv[1], "r+b") as f:
    f.seek(-1, 2); byte = f.read(1)[0]; f.seek(-1, 2); f.write(bytes([byte ^ 0x01]))' "$changed"
run changed-byte 1 "$exe" --check "$work/byte"
has changed-byte "difference: RCDATA $first_id differs from $first_path: $size bytes carried against $size in the folder, first difference at byte $((size - 1))"
[ "$(grep -c '^difference:' "$work/changed-byte")" -eq 1 ] || fail "changed-byte: not one difference"
echo "ok: a changed byte is named"

cp -r "$payload" "$work/missing"
rm "$work/missing/$last_path"
run missing-file 1 "$exe" --check "$work/missing"
has missing-file "difference: $last_path (RCDATA $last_id) is missing from $work/missing"
has missing-file "1 differences"
echo "ok: a missing file is named"

# alter <what> <copy> <id>: writes an altered copy of the installer.
alter() {
  /usr/bin/python3 - "$1" "$exe" "$2" "$3" <<'EOF'
import struct, sys
import pefile
what, source, target, number = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
data = bytearray(open(source, "rb").read())
pe = pefile.PE(data=bytes(data))
def names(kind):
    return next(t for t in pe.DIRECTORY_ENTRY_RESOURCE.entries
                if t.id == pefile.RESOURCE_TYPE[kind]).directory.entries
if what == "rcdata":  # carried under the id after the highest instead
    entries = names("RT_RCDATA")
    entry = next(e for e in entries if e.id == number)
    struct.pack_into("<I", data, entry.struct.get_file_offset(), max(e.id for e in entries) + 1)
elif what == "string":  # the string's first character becomes "~", in the 1033 table only
    block = next(e for e in names("RT_STRING") if e.id == number // 16 + 1)
    english = next(e for e in block.directory.entries if e.id == 1033).data.struct
    at = pe.get_offset_from_rva(english.OffsetToData)
    for _ in range(number % 16):
        at += 2 + 2 * struct.unpack_from("<H", data, at)[0]
    assert struct.unpack_from("<H", data, at)[0] > 0
    data[at + 2:at + 4] = "~".encode("utf-16-le")
open(target, "wb").write(data)
EOF
}

alter rcdata "$work/renumbered.exe" "$last_id"
next_id=$(( $(rcdata listing | grep -oE '^[0-9]+' | sort -n | tail -n 1) + 1 ))
run renumbered 1 "$work/renumbered.exe" --check "$payload"
has renumbered "difference: RCDATA $next_id is carried but payload.txt has no row for it"
has renumbered "difference: RCDATA $last_id ($last_path) is not carried"
has renumbered "2 differences"
rcdata renumbered | awk -v id="$last_id" -v set="$last_set" '$1 == id && $2 == "-" && $3 == set' |
  grep -qF "  $last_place  (not carried)" ||
  fail "renumbered: RCDATA $last_id not listed as not carried: $(rcdata renumbered | grep "^$last_id ")"
echo "ok: a renumbered RCDATA id is named twice"

alter string "$work/renamed.exe" "$last_name_id"
name=${last_path##*/}
renamed_place="${last_place%"$name"}~${name:1}"
run renamed 1 "$work/renamed.exe" --check "$payload"
has renamed "$(printf '%-5s DIFFERS  1033: "%s"  1041: "%s"' "$last_name_id" "~${name:1}" "$name")"
has renamed "1 of ${#name_ids[@]} ids differ between 1033 and 1041"
rcdata renamed | awk -v id="$last_id" '$1 == id' |
  grep -qF "  $renamed_place  (payload.txt: $last_path)" ||
  fail "renamed: RCDATA $last_id not listed at $renamed_place"
has renamed "difference: RCDATA $last_id lands at $renamed_place, the payload folder has it at $last_path"
has renamed "1 differences"
echo "ok: a file name that differs in the 1033 table is flagged and named"

# ---- inputs that cannot be read
run not-pe 2 "$manifest"
grep -qF "cannot read $manifest as a PE image" "$work/not-pe.err" || fail "not-pe: $(cat "$work/not-pe.err")"
run no-folder 2 "$exe" --check "$work/nowhere"
grep -qF "$work/nowhere is not a folder" "$work/no-folder.err" || fail "no-folder: $(cat "$work/no-folder.err")"
[ ! -s "$work/no-folder" ] || fail "no-folder: a listing was printed"
echo "ok: unreadable inputs end with 2"
