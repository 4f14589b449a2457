#!/usr/bin/env bash
# Starts 32-bit Linux programs (Debian's 32-bit Wine loader) through an i386
# emulator on machines whose kernel refuses them, without changing the machine:
#
#   scripts/wine/wine32-emulator.sh path
#       Prints the path of the cached qemu-i386, fetching it first when it is
#       not cached: the 10.x qemu-user package of the backports suite of the
#       Debian archive this machine already uses, taken through a private APT
#       configuration, of which only usr/bin/qemu-i386 (a static program) is
#       kept, in ${XDG_CACHE_HOME:-$HOME/.cache}/quillane-setup/qemu-user-<version>/
#       (the version's ":" written as "_"). A cached emulator is used as it is.
#
#   scripts/wine/wine32-emulator.sh run <command> [args...]
#       Runs the command in a private user and mount namespace whose own
#       binfmt_misc (Linux 6.7 and later) sends every 32-bit x86 ELF program to
#       that emulator (entry "quillane-i386", flag F), and exits with the
#       command's status; 125 when the namespace cannot be set up. The command
#       runs with the caller's own user and group ids. Nothing outside the
#       namespace changes.
#
#   scripts/wine/wine32-emulator.sh native [loader]
#       Exits 0 when the loader (default /usr/lib/wine/wine) starts natively
#       here, 1 when it does not (Exec format error); fetches nothing.
set -euo pipefail

readonly entry_name=quillane-i386
readonly keyring=/usr/share/keyrings/debian-archive-keyring.gpg
readonly package=qemu-user
# A 32-bit little-endian ELF (ident bytes 0-6; the OS ABI byte and padding
# ignored) of type 2 or 3 (executable or position-independent) for machine 3
# (i386). binfmt_misc reads the \x escapes itself.
readonly elf_magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
readonly elf_mask='\xff\xff\xff\xff\xff\xff\xff\x00\x00\x00\x00\x00\x00\x00\x00\x00\xfe\xff\xff\xff'

self=$(readlink -f "${BASH_SOURCE[0]}")
cache_root="${XDG_CACHE_HOME:-$HOME/.cache}/quillane-setup"

die() { echo "wine32-emulator: $*" >&2; exit "${die_status:-1}"; }

usage() {
  sed -n '2,/^set -euo/{/^set -euo/d;s/^# \{0,1\}//;p}' "$self" >&2
  exit 2
}

# "1:10.0.2+ds-2" -> "10.0.2+ds"
upstream_version() { local v=${1#*:}; echo "${v%-*}"; }

# A cached emulator of a 10.x package that answers --version as such.
is_good_emulator() {
  local answer
  [ -x "$1" ] && answer=$("$1" --version 2> /dev/null) && [[ $answer == "qemu-i386 version 10."* ]]
}

cached_emulator() {
  local candidate candidates=("$cache_root/$package"-*/qemu-i386)
  [ -e "${candidates[0]}" ] || return 1
  while IFS= read -r candidate; do
    if is_good_emulator "$candidate"; then echo "$candidate"; return 0; fi
  done < <(printf '%s\n' "${candidates[@]}" | sort -rV)
  return 1
}

# The URI of the Debian archive that this machine takes its release (the suite
# whose codename is the release's own) from, as apt itself reads its sources.
archive_uri() {
  apt-get indextargets --format '$(SITE)' 'Created-By: Packages' "Codename: $1" 2> /dev/null |
    sort -u
}

fetch_emulator() {
  local codename uri suite work apt version deb safe final keep arch
  arch=$(dpkg --print-architecture) || die "cannot tell this machine's Debian architecture"
  codename=$(awk -F= '$1 == "VERSION_CODENAME" { gsub(/["\047]/, "", $2); print $2 }' /etc/os-release 2> /dev/null) || codename=
  [ -n "$codename" ] || die "cannot tell this Debian release's codename from /etc/os-release"
  suite="$codename-backports"
  uri=$(archive_uri "$codename" | head -n1)
  [ -n "$uri" ] || die "apt knows no package list of '$codename' (apt-get update not run?): cannot tell which Debian archive to take $suite from"
  [ -r "$keyring" ] || die "$keyring is missing: cannot check the archive's signature"
  echo "wine32-emulator: fetching $package from $suite (${uri%/}) into $cache_root" >&2

  # Outside the cache, which may lie in a home folder that apt's own download
  # user cannot enter.
  work=$(mktemp -d "${TMPDIR:-/tmp}/quillane-qemu.XXXXXX")
  # shellcheck disable=SC2064 # the folder is fixed now
  trap "rm -rf $(printf %q "$work")" EXIT
  chmod 755 "$work"
  mkdir -p "$work/lists/partial" "$work/cache/archives/partial" "$work/parts" "$work/dl" "$work/root"
  : > "$work/status"
  echo "deb [signed-by=$keyring] $uri $suite main" > "$work/sources.list"
  apt=(-o "Dir::Etc::SourceList=$work/sources.list" -o "Dir::Etc::SourceParts=$work/parts"
       -o "Dir::Etc::Preferences=/dev/null" -o "Dir::Etc::PreferencesParts=$work/parts"
       -o "Dir::State=$work" -o "Dir::State::Lists=$work/lists" -o "Dir::State::status=$work/status"
       -o "Dir::Cache=$work/cache" -o "APT::Architecture=$arch" -o "APT::Architectures=$arch"
       -o "Acquire::Languages=none" -q)

  # apt-get update warns, and still succeeds, when a list could not be had.
  if ! apt-get "${apt[@]}" update > "$work/update.log" 2>&1 ||
     grep -E '^(E|Err|W):' "$work/update.log" | grep -v unsandboxed > /dev/null; then
    die "cannot read the package list of $suite from $uri:
$(grep -E '^(E|Err|W):' "$work/update.log" || tail -n5 "$work/update.log")"
  fi
  version=$(apt-cache "${apt[@]}" policy "$package" | awk '$1 == "Candidate:" { print $2 }')
  [ -n "$version" ] && [ "$version" != "(none)" ] || die "$suite has no $package package"
  case $(upstream_version "$version") in
    10.*) ;;
    *) die "$suite offers $package $version, not a 10.x version" ;;
  esac

  # Run as root, apt downloads as its own user, into a folder that user can write.
  if [ "$(id -u)" -eq 0 ] && id _apt > /dev/null 2>&1; then chown _apt "$work/dl"; fi
  (cd "$work/dl" && apt-get "${apt[@]}" download "$package=$version") > "$work/download.log" 2>&1 ||
    die "downloading $package $version failed:
$(tail -n5 "$work/download.log")"
  deb=$(find "$work/dl" -name '*.deb' | head -n1)
  [ -n "$deb" ] || die "downloading $package $version left no package file"
  [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || die "the downloaded package is not $package $version"
  dpkg-deb -c "$deb" > "$work/contents" || die "cannot read the package file of $package $version"
  awk '{ print $6 }' "$work/contents" | grep -x './usr/bin/qemu-i386' > /dev/null ||
    die "$package $version holds no usr/bin/qemu-i386"
  dpkg-deb --fsys-tarfile "$deb" | tar -x -C "$work/root" ./usr/bin/qemu-i386 ||
    die "cannot extract usr/bin/qemu-i386 from $package $version"
  is_good_emulator "$work/root/usr/bin/qemu-i386" ||
    die "the qemu-i386 of $package $version does not run here as a 10.x emulator"

  safe=${version//:/_}
  final="$cache_root/$package-$safe"
  keep=$(mktemp -d "$cache_root/.new.XXXXXX")
  cp "$work/root/usr/bin/qemu-i386" "$keep/qemu-i386"
  chmod 755 "$keep" "$keep/qemu-i386"
  rm -rf "$final"
  mv -T "$keep" "$final"
  rm -rf "$work"
  trap - EXIT
  echo "wine32-emulator: cached $final/qemu-i386 ($package $version)" >&2
  emulator="$final/qemu-i386"
}

emulator_path() {
  local lock
  case $cache_root in
    *:*) die "the cache folder $cache_root holds a ':', which binfmt_misc cannot take in a path" ;;
  esac
  mkdir -p "$cache_root" || die "cannot create $cache_root"
  if emulator=$(cached_emulator); then return 0; fi
  # One fetch at a time; whoever waited finds the other's result.
  # The lock is let go before returning: what `run` starts must not hold it.
  exec {lock}> "$cache_root/.lock"
  flock "$lock"
  emulator=$(cached_emulator) || fetch_emulator
  exec {lock}>&-
}

kernel_has_private_binfmt() {
  local major minor
  IFS=. read -r major minor _ <<< "$(uname -r)"
  minor=${minor%%[!0-9]*}
  [ "${major:-0}" -gt 6 ] || { [ "${major:-0}" -eq 6 ] && [ "${minor:-0}" -ge 7 ]; }
}

command=${1:-}
[ $# -gt 0 ] && shift
case $command in
  path)
    [ $# -eq 0 ] || usage
    emulator_path
    echo "$emulator"
    ;;

  run)
    [ $# -gt 0 ] || usage
    die_status=125
    kernel_has_private_binfmt ||
      die "Linux $(uname -r) cannot give a namespace its own binfmt_misc (Linux 6.7 or later is needed)"
    emulator_path
    unshare --user --map-root-user --mount true 2> /dev/null ||
      die "cannot create a user and mount namespace here (unprivileged user namespaces disabled?)"
    exec unshare --user --map-root-user --mount --propagation private -- \
      "$self" __inside "$emulator" "$(id -u)" "$(id -g)" "$@"
    ;;

  __inside)
    # Root of a fresh user namespace with its own mount namespace.
    die_status=125
    emulator=$1 uid=$2 gid=$3
    shift 3
    mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2> /dev/null ||
      die "Linux $(uname -r) cannot mount a binfmt_misc of the namespace's own on /proc/sys/fs/binfmt_misc"
    printf '%s' ":$entry_name:M::$elf_magic:$elf_mask:$emulator:F" \
      > /proc/sys/fs/binfmt_misc/register 2> /dev/null ||
      die "registering $emulator with the namespace's binfmt_misc failed"
    export QUILLANE_WINE32_EMULATOR="$emulator"
    # Back to the caller's own ids, so that programs see the user who owns
    # their files (Wine checks its prefix's owner); the registration stays,
    # as a namespace without a binfmt_misc of its own uses its parent's.
    if [ "$uid" -ne 0 ]; then
      exec unshare --user --map-user="$uid" --map-group="$gid" -- "$@"
    fi
    exec "$@"
    ;;

  native)
    [ $# -le 1 ] || usage
    loader=${1:-/usr/lib/wine/wine}
    [ -e "$loader" ] || { echo "wine32-emulator: $loader does not exist" >&2; exit 1; }
    if timeout 60 "$loader" --version > /dev/null 2>&1; then exit 0; fi
    echo "wine32-emulator: $loader does not start natively here" >&2
    exit 1
    ;;

  *) usage ;;
esac
