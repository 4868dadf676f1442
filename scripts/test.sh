#!/usr/bin/env bash
# Builds everything (library, host, tests, benchmarks, fuzzers) in the default and the
# sanitizer configuration and runs the whole test suite in both:
# - default (optimised): every test on its own, through ctest (one process per test, so no
#   test depends on an earlier one);
# - asan (AddressSanitizer and UndefinedBehaviorSanitizer): each test program whole, as one
#   process (so no test is broken by an earlier one), and the tests that are not test
#   programs' (the fuzz corpora, the generators' checks) through ctest.
# Every test thus runs once optimised and once under the sanitizers. The main job and the
# benchmarks run from the default build.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
jobs=$(nproc)
cmake --preset default >/dev/null
cmake --build --preset default
ctest --preset default -j "$jobs"
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
  '"$1" --gtest_brief=1 >"$1.whole.log" 2>&1 || { echo "test: $1 failed as a whole process"; tail -20 "$1.whole.log"; exit 1; }' _ {}
