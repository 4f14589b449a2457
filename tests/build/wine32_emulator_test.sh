#!/usr/bin/env bash
# Checks scripts/wine/wine32-emulator.sh on this machine:
#   - `path` prints the same emulator twice, the second time without fetching
#     or touching the cache, and the path holds no ':';
#   - inside `run` the namespace's binfmt_misc has the i386 entry, enabled,
#     with flag F and that emulator, and the 32-bit Wine loader starts through
#     it (qemu's own syscall trace appears);
#   - `run` exits with the command's status and leaves the caller's
#     binfmt_misc as it was: no entry outside an emulated session, the
#     session's own entry unchanged inside one.
# usage: wine32_emulator_test.sh [source folder]   (default: this checkout)
# The first run fetches the emulator into the user's cache (about 11 MB kept).
# Exits 77 (skipped) where the 32-bit Wine loader is not installed.
set -euo pipefail
source "$(dirname "$(readlink -f "$0")")/test_lib.sh"
source_dir=$(cd "${1:-$(dirname "$0")/../..}" && pwd)
tool="$source_dir/scripts/wine/wine32-emulator.sh"
loader=/usr/lib/wine/wine
entry=/proc/sys/fs/binfmt_misc/quillane-i386
make_scratch wine32-emulator-test

[ -x "$loader" ] || { echo "skipped: $loader (wine32) is not installed"; exit 77; }

IFS=. read -r major minor _ <<< "$(uname -r)"
if [ "$major" -lt 6 ] || { [ "$major" -eq 6 ] && [ "${minor%%[!0-9]*}" -lt 7 ]; }; then
  status=0
  "$tool" run true 2> "$work/old.err" || status=$?
  [ "$status" -eq 125 ] && grep -q '6\.7' "$work/old.err" || fail "run on Linux $(uname -r): $status, $(cat "$work/old.err")"
  echo "ok: Linux $(uname -r) is refused with a message; skipped the rest"
  exit 77
fi

# 1. path, twice.
"$tool" path > "$work/first" || fail "path failed"
emulator=$(cat "$work/first")
[ -x "$emulator" ] || fail "path printed '$emulator', which is no program"
before=$(stat -c '%i %Y' "$emulator")
"$tool" path > "$work/second" 2> "$work/second.err" || fail "second path failed"
cmp -s "$work/first" "$work/second" || fail "path printed $(cat "$work/second") after $emulator"
[ ! -s "$work/second.err" ] || fail "second path did more than print: $(cat "$work/second.err")"
[ "$(stat -c '%i %Y' "$emulator")" = "$before" ] || fail "second path replaced $emulator"
case $emulator in *:*) fail "the emulator's path holds a ':': $emulator" ;; esac
"$emulator" --version > "$work/version"
grep -q '^qemu-i386 version 10\.' "$work/version" || fail "not a 10.x emulator: $(head -n1 "$work/version")"
echo "ok: path is $emulator, the same on a second call, which fetched nothing"

# 2. Inside run. Wine's output goes to files, never to a pipe.
"$tool" run sh -c '
  cat "$1" > "$2/entry" || exit 11
  "$3" --version > "$2/wine.out" 2>&1 || exit 12
  QEMU_STRACE=1 "$3" --version > /dev/null 2> "$2/trace" || exit 13
' sh "$entry" "$work" "$loader" || fail "run: the check inside ended with $?"
grep -qx enabled "$work/entry" || fail "entry not enabled: $(cat "$work/entry")"
grep -qx 'flags: F' "$work/entry" || fail "entry without flag F: $(cat "$work/entry")"
grep -qxF "interpreter $emulator" "$work/entry" || fail "entry names another emulator: $(cat "$work/entry")"
grep -q '^wine-' "$work/wine.out" || fail "$loader --version printed: $(cat "$work/wine.out")"
grep -q 'mmap2(' "$work/trace" || fail "$loader did not start through the emulator (no qemu trace)"
echo "ok: inside run the i386 entry names the emulator with flag F, and $loader starts through it"

# 3. Exit status, and the caller's binfmt_misc left as it was. The command
# removes the entry inside its namespace: were that the caller's binfmt_misc,
# the change would show here. This test may itself run inside a namespace of
# `run` (the 32-bit Wine session's emulated route), where the caller's view
# rightly holds that session's entry; natively it holds none.
binfmt_view() {
  local file
  for file in /proc/sys/fs/binfmt_misc/*; do
    case ${file##*/} in register | '*') continue ;; esac
    printf '== %s\n' "$file"
    cat "$file" 2> /dev/null || true
  done
}
before=$(binfmt_view)
status=0
"$tool" run sh -c 'echo -1 > "$1" && exit 7' sh "$entry" || status=$?
[ "$status" -eq 7 ] || fail "run returned $status for a command that exited 7"
[ "$(binfmt_view)" = "$before" ] || fail "run changed the caller's binfmt_misc:
$(binfmt_view)"
if [ -n "${QUILLANE_IN_EMULATION:-}" ]; then
  grep -qxF "interpreter $emulator" "$entry" ||
    fail "inside the emulated session, the session's own $entry is gone or changed"
  echo "ok: run returns the command's status; removing its entry inside left the session's own entry as it was"
else
  [ ! -e "$entry" ] || fail "$entry exists outside the namespace"
  echo "ok: run returns the command's status and leaves no entry outside"
fi
