#!/usr/bin/env bash
# The counters and the entry's start-up hooks are in the coverage presets'
# builds only: each preset is configured into a scratch folder and its
# compile flags are read.
#   scripts/coverage/coverage_presets_test.sh
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$(mktemp -d "${TMPDIR:-/tmp}/quillane-coverage-presets.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# preset | file of flags under Packager/CMakeFiles | flag | expected: present or absent
rows=(
  "win32|QuillaneSetup.dir/flags.make|-DQUILLANE_COVERAGE|absent"
  "win32|quillane_win32.dir/flags.make|--coverage|absent"
  "win32|quillane_portable.dir/flags.make|--coverage|absent"
  "coverage-win32|QuillaneSetup.dir/flags.make|-DQUILLANE_COVERAGE|present"
  "coverage-win32|quillane_win32.dir/flags.make|--coverage|present"
  "coverage-win32|quillane_portable.dir/flags.make|--coverage|present"
  "win64|QuillaneSetup.dir/flags.make|-DQUILLANE_COVERAGE|absent"
  "win64|quillane_win32.dir/flags.make|--coverage|absent"
  "coverage-win64|QuillaneSetup.dir/flags.make|-DQUILLANE_COVERAGE|present"
  "coverage-win64|quillane_win32.dir/flags.make|--coverage|present"
  "host|quillane_portable.dir/flags.make|--coverage|absent"
  "host|quillane_portable.dir/flags.make|-fsanitize=address,undefined|present"
  "coverage-host|quillane_portable.dir/flags.make|--coverage|present"
  "coverage-host|quillane_portable.dir/flags.make|-fno-exceptions|present"
  "coverage-host|quillane_portable.dir/flags.make|-fsanitize=address,undefined|absent"
)
for row in "${rows[@]}"; do
  IFS='|' read -r preset file flag expected <<< "$row"
  build="$scratch/$preset"
  if [ ! -d "$build" ]; then
    cmake --preset "$preset" -S "$source_dir" -B "$build" > "$scratch/$preset.log" 2>&1 ||
      { cat "$scratch/$preset.log"; fail "configure $preset"; }
  fi
  flags="$build/Packager/CMakeFiles/$file"
  [ -f "$flags" ] || fail "$preset: no $file"
  if grep -qe "$flag" -- "$flags"; then found=present; else found=absent; fi
  [ "$found" = "$expected" ] || fail "$preset: $flag is $found in $file, expected $expected"
done
echo "ok: ${#rows[@]} rows"
