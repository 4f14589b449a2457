# Shared by the shell tests of the build: sourced, never run.
#   fail <text>           ends the test with "FAIL: <text>"
#   make_scratch <name>   sets $work to a new scratch folder, removed at exit

fail() { echo "FAIL: $*" >&2; exit 1; }

make_scratch() {
  work=$(mktemp -d "${TMPDIR:-/tmp}/$1.XXXXXX")
  trap 'rm -rf "$work"' EXIT
}
