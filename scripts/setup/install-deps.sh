#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need; does nothing when
# they are all present. Safe to run any number of times.
#
# The shipping program is 32-bit: Debian's 32-bit Wine (wine32, from the i386
# architecture) runs it beside wine64. Where this machine's kernel does not
# start 32-bit Linux programs, or QUILLANE_WINE32_EMULATED=1 asks for that
# route, an i386 emulator is fetched into a cache folder as well
# (scripts/wine/wine32-emulator.sh); nothing else of the machine changes for it.
set -euo pipefail
cd "$(dirname "$0")"
packages=(cmake g++ make g++-mingw-w64-i686 g++-mingw-w64-x86-64 googletest wine wine64 wine32:i386
          xvfb xauth clang clang-format libclang-rt-dev python3-pefile python3-pil openssl
          osslsigncode gcovr)

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)

new_architecture=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "Adding the i386 architecture for the 32-bit Wine"
  "${sudo[@]}" dpkg --add-architecture i386
  new_architecture=1
fi

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
# A mirror in the middle of a sync can serve one index that does not match its
# Release file (seen: bookworm-security's i386 list); apt-get update then fails
# although every other list is fresh. It is tried again, and the install goes
# on with what was read.
update_lists() {
  local attempt
  for attempt in 1 2 3; do
    "${sudo[@]}" apt-get update -qq && return 0
    [ "$attempt" -eq 3 ] || sleep 10
  done
  echo "install-deps: some package lists could not be read; going on with the others" >&2
}

# Without one suite's i386 list, the amd64 libraries may have a newer version
# there than any i386 twin, and apt refuses the pair. The release's own suite
# has both, so the second try takes every package from it.
install_packages() {
  local codename
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "$@" && return 0
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  [ -n "$codename" ] &&
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq -t "$codename" "$@"
}

if [ ${#missing[@]} -gt 0 ] || [ "$new_architecture" -eq 1 ]; then
  echo "Installing: ${missing[*]}"
  update_lists
  if [ ${#missing[@]} -gt 0 ]; then
    install_packages "${missing[@]}" ||
      { echo "install-deps: could not install ${missing[*]}" >&2; exit 1; }
  fi
fi

if [ "${QUILLANE_WINE32_EMULATED:-0}" = 1 ] || ! ../wine/wine32-emulator.sh native; then
  ../wine/wine32-emulator.sh path >/dev/null
fi
