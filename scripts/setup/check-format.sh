#!/usr/bin/env bash
# Fails, naming each file, when a C or C++ file of the tree is not as
# clang-format (Debian's, with .clang-format) writes it. --fix rewrites them.
set -euo pipefail
cd "$(dirname "$0")/../.."
if git rev-parse --is-inside-work-tree > /dev/null 2>&1; then
  mapfile -t sources < <(git ls-files '*.c' '*.cpp' '*.h')
else
  mapfile -t sources < <(find Packager sample-payload tests bench -name '*.c' -o -name '*.cpp' -o -name '*.h')
fi
if [ "${1:-}" = --fix ]; then
  clang-format -i "${sources[@]}"
  exit 0
fi
unformatted=()
for source in "${sources[@]}"; do
  clang-format --dry-run --Werror "$source" > /dev/null 2>&1 || unformatted+=("$source")
done
if [ ${#unformatted[@]} -gt 0 ]; then
  printf 'not formatted (scripts/setup/check-format.sh --fix): %s\n' "${unformatted[@]}" >&2
  exit 1
fi
echo "ok: ${#sources[@]} C and C++ files formatted"
