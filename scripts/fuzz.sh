#!/usr/bin/env bash
# Fuzzes the driver: configures and builds the clang fuzz build (build-fuzz/, libFuzzer with
# AddressSanitizer, the libraries instrumented for coverage) and runs every fuzz target, or
# the ones named, for SECONDS each with its seeds (tests/fuzz/corpus/<name>/) and a scratch
# corpus that persists between runs (build-fuzz/fuzz/<target>/corpus/). For each target it
# reports the executions, the coverage (cov: edges, ft: features) and every finding, with the
# file that reproduces it (build-fuzz/fuzz/<target>/findings/) and the sanitizer's summary.
# The exit status is 1 when any target had a finding, 2 when a target could not run.
#
#   scripts/fuzz.sh [--keep-going] SECONDS [target...]
#
# A target stops at its first finding; with --keep-going it runs on after each one
# (libFuzzer's fork mode) and collects them all. KOVA_FUZZ_JOBS sets the build's parallel
# jobs (default 3).
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
  echo "usage: scripts/fuzz.sh [--keep-going] SECONDS [target...]" >&2
  exit 2
}

keep_going=0
if [ "${1:-}" = "--keep-going" ]; then
  keep_going=1
  shift
fi
seconds=${1:-}
[[ "$seconds" =~ ^[0-9]+$ ]] && [ "$seconds" -gt 0 ] || usage
shift

# The targets: one per tests/fuzz/*_fuzz.cpp.
all=()
for source in tests/fuzz/*_fuzz.cpp; do all+=("$(basename "$source" .cpp)"); done
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all[@]}")
for target in "${targets[@]}"; do
  if [[ " ${all[*]} " != *" $target "* ]]; then
    echo "fuzz: no target $target (targets: ${all[*]})" >&2
    exit 2
  fi
done

# What the build needs, and clang with libFuzzer's runtime.
./scripts/setup.sh
packages=(clang libclang-rt-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "fuzz: installing ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi

# The fuzz build: clang, debug information and assertions, optimised lightly so that each
# execution is quick.
build=build-fuzz
if [ -f "$build/CMakeCache.txt" ] && ! grep -q '^CMAKE_CXX_COMPILER:.*clang' "$build/CMakeCache.txt"; then
  echo "fuzz: $build was configured with another compiler; remove it first" >&2
  exit 2
fi
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_FLAGS_DEBUG="-g -O1" -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DKOVA_FUZZ_INSTRUMENT_COMMON=ON >/dev/null
cmake --build "$build" --target "${targets[@]}" -- -j "${KOVA_FUZZ_JOBS:-3}"

# The last value of a libFuzzer status field ("cov: 123") on its status lines, or "?".
field() {
  local value
  value=$(grep -E '^#[0-9]+' "$2" | grep -oE "$1:? [0-9]+" | tail -1 | grep -oE '[0-9]+$' || true)
  echo "${value:-?}"
}
# Findings reproduced one by one for their sanitizer summary, up to this many per target.
max_reproduced=40

found=0
failed=0
for target in "${targets[@]}"; do
  name=${target%_fuzz}
  work=$build/fuzz/$target
  mkdir -p "$work/corpus"
  rm -rf "$work/findings" "$work/tmp"
  mkdir -p "$work/findings" "$work/tmp"
  log=$work/run.log
  args=(-max_total_time="$seconds" -timeout=60 -print_final_stats=1 -artifact_prefix="$work/findings/")
  [ "$keep_going" -eq 0 ] || args+=(-fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1)
  echo "== $target: ${seconds}s"
  status=0
  started=$SECONDS
  # The targets' system roots go to a scratch folder, so that a crash leaves none behind.
  TMPDIR=$PWD/$work/tmp "$build/tests/fuzz/$target" "${args[@]}" "$work/corpus" "tests/fuzz/corpus/$name" \
    >"$log" 2>&1 || status=$?
  runs=$(grep -oE 'stat::number_of_executed_units: [0-9]+' "$log" | grep -oE '[0-9]+$' || true)
  [ -n "$runs" ] || runs=$(grep -oE '^#[0-9]+' "$log" | tail -1 | tr -d '#' || true)
  runs=${runs:-0}
  elapsed=$((SECONDS - started))
  [ "$elapsed" -gt 0 ] || elapsed=1
  echo "   executions: $runs in ${elapsed}s ($((runs / elapsed))/s), cov: $(field cov "$log"), ft: $(field ft "$log"), corpus: $(ls "$work/corpus" | wc -l) files"
  findings=("$work"/findings/*)
  if [ -e "${findings[0]}" ]; then
    found=1
    echo "   findings: ${#findings[@]} (by the sanitizer's summary; one file that reproduces each)"
    declare -A first=() count=()
    for finding in "${findings[@]:0:$max_reproduced}"; do
      summary=$(TMPDIR=$PWD/$work/tmp "$build/tests/fuzz/$target" "$finding" 2>&1 | grep -m1 '^SUMMARY:' || true)
      summary=${summary:-"(does not reproduce on its own)"}
      [ -n "${first[$summary]:-}" ] || first[$summary]=$finding
      count[$summary]=$(( ${count[$summary]:-0} + 1 ))
    done
    for summary in "${!first[@]}"; do
      echo "   ${count[$summary]} x $summary"
      echo "      ${first[$summary]}"
    done
    [ ${#findings[@]} -le $max_reproduced ] || echo "   (${#findings[@]} findings; the first $max_reproduced reproduced)"
    unset first count
  elif [ "$status" -ne 0 ]; then
    failed=1
    echo "   the target stopped with status $status without a finding; see $log" >&2
    tail -5 "$log" >&2
  else
    echo "   no finding"
  fi
  rm -rf "$work/tmp"
done

[ "$failed" -eq 0 ] || exit 2
[ "$found" -eq 0 ] || exit 1
