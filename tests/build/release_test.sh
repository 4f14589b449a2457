#!/usr/bin/env bash
# The release workflow as a release engineer runs it, with a throw-away
# certificate made here (nothing is fetched):
#   - wrong inputs stop it with a message naming them, before any build;
#   - a PKCS#12 release and a PEM release verify, list their payload and
#     carry SHA256SUMS that hold; one changed payload byte breaks the
#     signature;
#   - the signed installer still runs the typical road under Wine.
# Runs in a Wine session (scripts/wine/wine-session.sh) for the last point.
# usage: release_test.sh <source folder> <payload folder> <scratch folder>
set -euo pipefail
source "$(dirname "$(readlink -f "$0")")/test_lib.sh"
source_dir=$(cd "$1" && pwd)
payload=$(cd "$2" && pwd)
work=$3
release="$source_dir/scripts/release/release.sh"
rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)
cd "$work"


# A throw-away code-signing certificate, as PEM and as PKCS#12.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Quillane test signer" \
  -addext "extendedKeyUsage=codeSigning" -keyout key.pem -out cert.pem 2> /dev/null
openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out other-key.pem 2> /dev/null
printf 'throw-away password\n' > password.txt
printf 'another password\n' > wrong-password.txt
openssl pkcs12 -export -inkey key.pem -in cert.pem -passout file:password.txt -out signer.p12

# 1. Wrong inputs: one message naming what is wrong, and nothing built.
refused() {
  local expected=$1
  shift
  if "$release" --out "$work/refused" "$@" > refused.log 2>&1; then fail "accepted: $*"; fi
  grep -qF -- "$expected" refused.log || fail "for $*: '$(cat refused.log)' does not say '$expected'"
  ! grep -q "building" refused.log || fail "built before refusing: $*"
}
cp -r "$payload" lacking
rm "lacking/setup.ini"
refused "payload folder $work/none does not exist" --payload "$work/none"
refused "lacks: setup.ini" --payload lacking
refused "cannot be read with the password in wrong-password.txt" --payload "$payload" \
  --pkcs12 signer.p12 --password-file wrong-password.txt
refused "password file missing.txt does not exist" --payload "$payload" --pkcs12 signer.p12 \
  --password-file missing.txt
refused "key other-key.pem does not belong to certificate cert.pem" --payload "$payload" \
  --cert cert.pem --key other-key.pem
refused "certificate password.txt is not a PEM certificate" --payload "$payload" \
  --cert password.txt --key key.pem
refused "--vid must be four hexadecimal digits" --payload "$payload" --vid 2D4
[ ! -e refused ] || fail "an output folder was made for refused inputs"
echo "ok: wrong inputs are refused by name before anything is built"

# 2. Signed releases, from a PKCS#12 file and from PEM files.
"$release" --payload "$payload" --out p12 --pkcs12 signer.p12 --password-file password.txt \
  --build-dir build > p12.log 2>&1 || { cat p12.log; fail "PKCS#12 release"; }
"$release" --payload "$payload" --out pem --cert cert.pem --key key.pem --build-dir build \
  > pem.log 2>&1 || { cat pem.log; fail "PEM release"; }
for out in p12 pem; do
  osslsigncode verify -in "$out/QuillaneSetup.exe" -CAfile cert.pem > "$out-verify.log" 2>&1 ||
    { cat "$out-verify.log"; fail "$out: the signature does not verify"; }
  grep -q "Message digest algorithm *: SHA256" "$out-verify.log" || fail "$out: not a SHA-256 digest"
  (cd "$out" && sha256sum -c --quiet SHA256SUMS) || fail "$out: SHA256SUMS does not hold"
  grep -qF "$(sha256sum "$payload/setup.exe" | cut -d' ' -f1)" "$out/payload-listing.txt" ||
    fail "$out: the listing does not name setup.exe's bytes"
done
echo "ok: signed from PKCS#12 and from PEM, verified, listed, summed"

# 3. One payload byte changed after signing: the signature no longer holds.
cp p12/QuillaneSetup.exe tampered.exe
offset=$(/usr/bin/python3 - "$work/tampered.exe" << 'EOF'
import sys, pefile
pe = pefile.PE(sys.argv[1])
for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
    if kind.id == pefile.RESOURCE_TYPE["RT_RCDATA"]:
        entry = kind.directory.entries[0]  # any carried file will do
        data = entry.directory.entries[0].data.struct
        print(pe.get_offset_from_rva(data.OffsetToData) + data.Size // 2)
EOF
)
[ -n "$offset" ] || fail "no RCDATA resource in the signed installer"
byte=$(od -An -tu1 -j "$offset" -N1 tampered.exe | tr -d ' ')
printf "\\x$(printf %02x $(( (byte + 1) % 256 )))" | dd of=tampered.exe bs=1 seek="$offset" conv=notrunc 2> /dev/null
cmp -s tampered.exe p12/QuillaneSetup.exe && fail "the byte was not changed"
if osslsigncode verify -in tampered.exe -CAfile cert.pem > tampered.log 2>&1; then
  fail "a changed payload byte still verifies"
fi
echo "ok: one changed payload byte fails verification"

# 4. The signed installer runs the typical road.
if [ -n "${WINEPREFIX:-}" ] && [ -n "${DISPLAY:-}" ]; then
  report="$work/report.txt"
  status=0
  QUILLANE_SAMPLE_RESULTS=7 QUILLANE_SAMPLE_REPORT="Z:${report//\//\\}" \
    "${QUILLANE_WINE:-/usr/lib/wine/wine}" p12/QuillaneSetup.exe -u1 > wine.log 2>&1 || status=$?
  [ "$status" -eq 7 ] || fail "the signed installer exited with $status, not the setup's 7"
  grep -q "^command-line=.*setup.exe /clone_wait" "$report" || fail "the setup did not run: $(cat "$report")"
  echo "ok: the signed installer runs the typical road under Wine"
else
  fail "no Wine session: run it through scripts/wine/wine-session.sh"
fi
