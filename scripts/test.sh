#!/usr/bin/env bash
# Builds everything (library, host, tests, benchmarks, fuzzers) in the default and the
# sanitizer configuration and runs the whole test suite in both.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
for preset in default asan; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
  # Each test program once more as one process, so that no test depends on running alone.
  for program in build/"$preset"/tests/*_tests; do
    [ -x "$program" ] || continue
    "$program" --gtest_brief=1 >/dev/null || { echo "test: $program failed as a whole process"; "$program" --gtest_brief=1 | tail -20; exit 1; }
  done
done
