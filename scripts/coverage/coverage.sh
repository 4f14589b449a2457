#!/usr/bin/env bash
# The coverage build: the installer's code of Packager/ with gcov counters,
# run by the project's own tests, and the lines and branches they reach.
#
#   scripts/coverage/coverage.sh
#
# Builds and runs, each in build/coverage/<name>:
#   host         the portable decisions natively, without sanitizers, under
#                their host tests (portable_tests);
#   win64        the 64-bit installer and its Wine suite;
#   win32        the 32-bit installer (the shipping configuration, with
#                counters), run by the 32-bit Wine suite of win32-tests.
# Branches are counted like for like: no branch that only an exception could
# take (the Windows builds have none) and none the compiler made unreachable.
# Prints lines and branches per build and merged, writes the merged report
# to build/coverage/index.html (with a page per file), coverage-lines.txt and
# coverage-branches.txt (what was not executed), and fails when the merged
# figures fall below the floor.
set -euo pipefail

# The floor of the merged figures, in percent.
line_floor=99.5
branch_floor=90.0

source_dir=$(cd "$(dirname "$0")/../.." && pwd)
cd "$source_dir"
out=build/coverage
jobs=$(nproc)
started=$SECONDS
part() { echo "== coverage, $1: $((SECONDS - started)) s"; started=$SECONDS; }
configure() { cmake --preset "$1" | { grep -v -e '^-- ' -e '^$' || true; }; }

# The floor's own judgement and which presets carry counters first: seconds,
# not worth a build.
/usr/bin/python3 -m unittest discover -s scripts/coverage -p "*_test.py"
scripts/coverage/coverage_presets_test.sh

# Counters of an earlier run would add to this one's.
clear_counters() { find "$out/$1" -name '*.gcda' -delete 2>/dev/null || true; }

# The Windows programs name their counter files by the build's absolute Unix
# paths; Wine reads a path beginning with "/" on the current drive, which is
# not Z: for every program the tests start, so the drive is put in front.
wine_session() { GCOV_PREFIX=Z: scripts/wine/wine-session.sh "$@"; }

configure coverage-host
cmake --build --preset coverage-host -j"$jobs"
clear_counters host
ctest --preset coverage-host
part "host build and tests"

configure coverage-win64
cmake --build --preset coverage-win64 -j"$jobs"
clear_counters win64
wine_session ctest --preset coverage-win64
part "64-bit build and Wine suite"

configure coverage-win32
cmake --build --preset coverage-win32 -j"$jobs"
configure coverage-win32-tests
cmake --build --preset coverage-win32-tests -j"$jobs"
clear_counters win32
clear_counters win32-tests
QUILLANE_WINE=/usr/lib/wine/wine wine_session ctest --preset coverage-win32-tests
# Counters must come from both kinds of process: the installer the driver
# starts (its entry is in main.cpp) and the test programs' own code.
for counters in "$out/win32/Packager/CMakeFiles/QuillaneSetup.dir/run/main.cpp.gcda" \
                "$out/win32-tests/Packager/CMakeFiles/quillane_win32.dir/run/run_sequence.cpp.gcda"; do
  [ -s "$counters" ] || { echo "FAIL: no counters written to $counters" >&2; exit 1; }
done
part "32-bit build and Wine suite"

# One gcovr reading per build, with that compiler's own gcov.
gcovr_common=(--root "$source_dir" --filter "$source_dir/Packager/"
              --exclude-throw-branches --exclude-unreachable-branches)
read_counters() {  # <name> <gcov> <build folders...>
  local name=$1 gcov=$2
  shift 2
  gcovr "${gcovr_common[@]}" --gcov-executable "$gcov" --json "$out/$name.json" \
    --json-summary "$out/$name-summary.json" "$@"
}
read_counters host gcov "$out/host"
read_counters win64 x86_64-w64-mingw32-gcov "$out/win64"
read_counters win32 i686-w64-mingw32-gcov "$out/win32" "$out/win32-tests"

tracefiles=(--add-tracefile "$out/host.json" --add-tracefile "$out/win64.json"
            --add-tracefile "$out/win32.json")
gcovr "${gcovr_common[@]}" "${tracefiles[@]}" --json-summary "$out/merged-summary.json" \
  --html-details "$out/index.html" --txt "$out/coverage-lines.txt"
gcovr "${gcovr_common[@]}" "${tracefiles[@]}" --branches --txt "$out/coverage-branches.txt"
part "reports"

/usr/bin/python3 scripts/coverage/coverage_floor.py "$out" "$line_floor" "$branch_floor"
