#!/usr/bin/env bash
# Checks the floors of the common code, then builds everything and runs the whole test suite
# once, under AddressSanitizer and UndefinedBehaviorSanitizer:
# - default (optimised): the platform, the deliverables, the host and the benchmarks, for the
#   main job and the speed measurements; its tests are not built here (ctest --preset default
#   runs them, each on its own, when wanted);
# - asan: everything (libraries, host, tests, fuzzers); each test program runs whole, as one
#   process, in a fixed shuffled order (so no test is broken by an earlier one and none
#   leans on the order of its file), and the tests that are not test programs' (the fuzz
#   corpora, the generators' checks) run through ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
# The floors of the common code: a folder of src/common includes only folders below it.
python3 scripts/check_floors.py
jobs=$(nproc)
cmake --preset default >/dev/null
product=(src/platform/all src/common/all src/code32/gr2k/all src/code32/ui2k/all src/code32/exclude/all
         tools/drvhost/all tools/outside/all bench/all)
cmake --build --preset default --target "${product[@]}"
cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan -j "$jobs" --label-exclude unit
# The programs run side by side, the host tests first: they drive the built host end to end
# (a sanitized process per call) and take the longest.
programs=()
for program in build/asan/tests/host_tests build/asan/tests/*_tests; do
  if [ -x "$program" ] && [[ " ${programs[*]} " != *" $program "* ]]; then programs+=("$program"); fi
done
printf '%s\n' "${programs[@]}" | xargs -P "$jobs" -I{} bash -c \
  '"$1" --gtest_brief=1 --gtest_shuffle --gtest_random_seed=7 >"$1.whole.log" 2>&1 || { echo "test: $1 failed as a whole process"; tail -20 "$1.whole.log"; exit 1; }' _ {}
