#!/usr/bin/env bash
# Builds the shipping 32-bit installer from a payload folder the way a release
# engineer does, and checks what that build promises:
#   - a payload folder that lacks files stops the configure step with one
#     message naming every missing path;
#   - built from one-byte files, one for each row of the manifest, the
#     installer stays within 37 KiB, not counting the icon's own bytes;
#   - changing a payload file rebuilds the installer with the new bytes;
#   - two builds from the same sources and payload, in other folders and at
#     other times, are byte-identical; the PE time stamp is SOURCE_DATE_EPOCH
#     when it is set, and the PE checksum holds for the final bytes.
# usage: payload_build_test.sh <source folder> <scratch folder>
set -euo pipefail
source "$(dirname "$(readlink -f "$0")")/test_lib.sh"
source_dir=$(cd "$1" && pwd)
work=$2
budget=37888

rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)
payload="$work/payload folder"  # a blank in the path, as release machines have


# Every manifest path, from the manifest itself.
mapfile -t paths < <(/usr/bin/python3 "$source_dir/scripts/release/pe_resources.py" paths \
  "$source_dir/Packager/res/payload.txt")
for path in "${paths[@]}"; do
  mkdir -p "$(dirname "$payload/$path")"
  printf 'x' > "$payload/$path"
done

# 1. Missing files are all named, and nothing is configured from them: the
# manifest's first and last.
first=${paths[0]} last=${paths[-1]}
mv "$payload/$first" "$work/first.aside"
mv "$payload/$last" "$work/last.aside"
if cmake --preset win32 -S "$source_dir" -B "$work/missing" -DQUILLANE_PAYLOAD_DIR="$payload" \
     > "$work/missing.log" 2>&1; then
  fail "configure accepted a payload folder that lacks files"
fi
for path in "$first" "$last"; do
  grep -qF "$payload/$path" "$work/missing.log" || fail "$path not named: $(cat "$work/missing.log")"
done
mv "$work/first.aside" "$payload/$first"
mv "$work/last.aside" "$payload/$last"
echo "ok: a payload folder that lacks files is refused, naming each"

# 2. The size of the stub.
cmake --preset win32 -S "$source_dir" -B "$work/build" -DQUILLANE_PAYLOAD_DIR="$payload" > "$work/configure.log"
cmake --build "$work/build" -j"$(nproc)" > "$work/build.log" 2>&1 || { cat "$work/build.log"; fail "build"; }
exe="$work/build/QuillaneSetup.exe"
size=$(stat -c %s "$exe")
# The icon resource holds the .ico file's image, without its 22-byte header.
icon=$(( $(stat -c %s "$source_dir/Packager/res/installer.ico") - 22 ))
echo "installer: $size bytes, of which the icon $icon; budget $budget"
[ $(( size - icon )) -le $budget ] || fail "the installer is $(( size - icon )) bytes without its icon"
echo "ok: within the size budget"

# 2b. Reproducible: another folder, a later time, the same bytes.
sleep 1
cmake --preset win32 -S "$source_dir" -B "$work/again" -DQUILLANE_PAYLOAD_DIR="$payload" > /dev/null
cmake --build "$work/again" -j"$(nproc)" > "$work/again.log" 2>&1 || { cat "$work/again.log"; fail "second build"; }
cmp -s "$exe" "$work/again/QuillaneSetup.exe" || fail "two builds of the same sources and payload differ"
SOURCE_DATE_EPOCH=1234567890 cmake --preset win32 -S "$source_dir" -B "$work/dated" \
  -DQUILLANE_PAYLOAD_DIR="$payload" > /dev/null
cmake --build "$work/dated" -j"$(nproc)" > "$work/dated.log" 2>&1 || { cat "$work/dated.log"; fail "dated build"; }
stamp=$(i686-w64-mingw32-objdump -p "$work/dated/QuillaneSetup.exe" | awk '/^Time\/Date/ { $1 = ""; print }')
[ "$(date -u -d "$stamp" +%s)" = 1234567890 ] || fail "time stamp '$stamp' is not SOURCE_DATE_EPOCH"
/usr/bin/python3 -c 'import pefile, sys; sys.exit(0 if pefile.PE(sys.argv[1]).verify_checksum() else 1)' \
  "$work/dated/QuillaneSetup.exe" || fail "the PE checksum does not hold"
echo "ok: two builds are byte-identical; the time stamp is SOURCE_DATE_EPOCH; the checksum holds"

# 3. A changed payload file is carried by the next build.
marker="changed payload $(date +%s%N)"
printf '%s' "$marker" > "$payload/$last"
cmake --build "$work/build" -j"$(nproc)" > "$work/rebuild.log" 2>&1 || { cat "$work/rebuild.log"; fail "rebuild"; }
grep -qF "$marker" "$exe" || fail "the rebuilt installer does not carry the changed $last"
echo "ok: a changed payload file rebuilds the installer"
