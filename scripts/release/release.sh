#!/usr/bin/env bash
# Builds a release of the installer in one command: the 32-bit
# QuillaneSetup.exe from a payload folder, signed when a certificate is given,
# its payload listing (checked against the folder), and SHA256SUMS, all in one
# output folder.
#
#   scripts/release/release.sh --payload <folder> --out <folder>
#                      [--vid <hex4>] [--pid <hex4>]
#                      [--pkcs12 <file.p12> --password-file <file>]
#                      [--cert <cert.pem> --key <key.pem> [--password-file <file>]]
#                      [--chain <certificates.pem>] [--timestamp-url <url>]
#                      [--description <text>] [--build-dir <folder>]
#
# The signing key comes from the files named, and its password from the
# password file: neither appears among the command line's visible arguments
# of any program started here. Every input is checked before anything is
# built; the first wrong one stops the run with one message naming it.
# The unsigned build is reproducible (see SOURCE_DATE_EPOCH in the README).
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)

die() { echo "release: $*" >&2; exit 1; }

payload= out= vid=2D4C pid=0105 pkcs12= password_file= cert= key= chain= timestamp_url=
description="Quillane Setup" build_dir=
while [ $# -gt 0 ]; do
  [ $# -ge 2 ] || die "$1 needs a value"
  case $1 in
    --payload) payload=$2 ;;
    --out) out=$2 ;;
    --vid) vid=$2 ;;
    --pid) pid=$2 ;;
    --pkcs12) pkcs12=$2 ;;
    --password-file) password_file=$2 ;;
    --cert) cert=$2 ;;
    --key) key=$2 ;;
    --chain) chain=$2 ;;
    --timestamp-url) timestamp_url=$2 ;;
    --description) description=$2 ;;
    --build-dir) build_dir=$2 ;;
    *) die "unknown option $1 (see the head of $0)" ;;
  esac
  shift 2
done

# --- The inputs, all before anything is built. --------------------------
[ -n "$payload" ] || die "no payload folder: give --payload <folder>"
[ -d "$payload" ] || die "payload folder $payload does not exist or is not a folder"
payload=$(cd "$payload" && pwd)
manifest_paths=$(/usr/bin/python3 "$source_dir/scripts/release/pe_resources.py" paths \
                   "$source_dir/Packager/res/payload.txt") || die "cannot read the payload manifest"
missing=()
while IFS= read -r path; do
  [ -f "$payload/$path" ] || missing+=("$path")
done <<< "$manifest_paths"
[ ${#missing[@]} -eq 0 ] || die "payload folder $payload lacks: ${missing[*]}"
[ -n "$out" ] || die "no output folder: give --out <folder>"
for number in vid pid; do
  [[ ${!number} =~ ^[0-9A-Fa-f]{4}$ ]] || die "--$number must be four hexadecimal digits, not '${!number}'"
done

readable() { [ -f "$2" ] && [ -r "$2" ] || die "$1 $2 does not exist or cannot be read"; }
signing=none
if [ -n "$pkcs12" ]; then
  [ -z "$cert$key" ] || die "give either --pkcs12 or --cert and --key, not both"
  readable "PKCS#12 file" "$pkcs12"
  [ -n "$password_file" ] || die "--pkcs12 needs --password-file"
  readable "password file" "$password_file"
  openssl pkcs12 -in "$pkcs12" -passin "file:$password_file" -noout 2> /dev/null ||
    die "PKCS#12 file $pkcs12 cannot be read with the password in $password_file (wrong password, or not PKCS#12)"
  signing=pkcs12
elif [ -n "$cert$key" ]; then
  [ -n "$cert" ] || die "--key needs --cert"
  [ -n "$key" ] || die "--cert needs --key"
  readable "certificate" "$cert"
  readable "key" "$key"
  openssl x509 -in "$cert" -noout 2> /dev/null || die "certificate $cert is not a PEM certificate"
  key_password=()
  if [ -n "$password_file" ]; then
    readable "password file" "$password_file"
    key_password=(-passin "file:$password_file")
  fi
  key_public=$(openssl pkey -in "$key" "${key_password[@]}" -pubout 2> /dev/null) ||
    die "key $key is not a PEM private key (or its password is not the one in the password file)"
  [ "$key_public" = "$(openssl x509 -in "$cert" -noout -pubkey)" ] ||
    die "key $key does not belong to certificate $cert"
  signing=pem
elif [ -n "$password_file" ]; then
  die "--password-file is given but nothing to sign with (--pkcs12, or --cert and --key)"
fi
if [ -n "$chain" ]; then
  readable "certificate chain" "$chain"
  openssl x509 -in "$chain" -noout 2> /dev/null || die "certificate chain $chain holds no PEM certificate"
  [ "$signing" != none ] || die "--chain is given but nothing to sign with"
fi
[ -z "$timestamp_url" ] || [ "$signing" != none ] || die "--timestamp-url is given but nothing to sign with"
[ -z "$timestamp_url" ] || [[ $timestamp_url =~ ^https?:// ]] || die "--timestamp-url must be an http(s) URL"
for tool in cmake openssl osslsigncode sha256sum; do
  command -v "$tool" > /dev/null || die "$tool is missing (scripts/setup/install-deps.sh installs it)"
done

# --- Build. ---------------------------------------------------------------
work=$(mktemp -d "${TMPDIR:-/tmp}/quillane-release.XXXXXX")
trap 'rm -rf "$work"' EXIT
[ -n "$build_dir" ] || build_dir="$work/build"
echo "release: building from $payload (USB $vid:$pid) in $build_dir"
cmake --preset win32 -S "$source_dir" -B "$build_dir" -DQUILLANE_PAYLOAD_DIR="$payload" \
  -DQUILLANE_USB_VID="$vid" -DQUILLANE_USB_PID="$pid" > "$work/configure.log" 2>&1 ||
  { cat "$work/configure.log" >&2; die "configure failed"; }
cmake --build "$build_dir" -j"$(nproc)" > "$work/build.log" 2>&1 ||
  { cat "$work/build.log" >&2; die "build failed"; }

mkdir -p "$out"
out=$(cd "$out" && pwd)
rm -f "$out/QuillaneSetup.exe" "$out/SHA256SUMS" "$out/payload-listing.txt"

# --- Sign and verify. -----------------------------------------------------
if [ "$signing" = none ]; then
  cp "$build_dir/QuillaneSetup.exe" "$out/QuillaneSetup.exe"
  echo "release: no certificate given: the installer is not signed"
else
  sign=(osslsigncode sign -h sha256 -n "$description" -in "$build_dir/QuillaneSetup.exe"
        -out "$out/QuillaneSetup.exe")
  trusted="$work/trusted.pem"
  if [ "$signing" = pkcs12 ]; then
    sign+=(-pkcs12 "$pkcs12" -readpass "$password_file")
    openssl pkcs12 -in "$pkcs12" -passin "file:$password_file" -nokeys -out "$trusted" 2> /dev/null
  else
    sign+=(-certs "$cert" -key "$key")
    [ -z "$password_file" ] || sign+=(-readpass "$password_file")
    cat "$cert" > "$trusted"
  fi
  if [ -n "$chain" ]; then
    sign+=(-ac "$chain")
    cat "$chain" >> "$trusted"
  fi
  [ -z "$timestamp_url" ] || sign+=(-ts "$timestamp_url")
  "${sign[@]}" > "$work/sign.log" 2>&1 || { cat "$work/sign.log" >&2; die "signing failed"; }
  # The signature holds for these bytes and the certificates given.
  osslsigncode verify -in "$out/QuillaneSetup.exe" -CAfile "$trusted" > "$work/verify.log" 2>&1 ||
    { cat "$work/verify.log" >&2; die "the signed installer does not verify"; }
  echo "release: signed with SHA-256 and verified"
fi

# --- What it carries, checked against the folder it was built from. -------
"$source_dir/scripts/release/payload-listing.py" "$out/QuillaneSetup.exe" --check "$payload" \
  > "$out/payload-listing.txt" || die "the installer does not carry exactly $payload (see $out/payload-listing.txt)"
(cd "$out" && sha256sum QuillaneSetup.exe payload-listing.txt > SHA256SUMS)
echo "release: $out holds QuillaneSetup.exe, payload-listing.txt and SHA256SUMS"
