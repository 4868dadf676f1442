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
done
