#!/bin/sh
# Builds the model description fuzzer with clang (libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs it for a bounded time on a corpus seeded with the
# model fixtures and the sample printer's model description. Not part of the test run.
#
#   tests/common/model/fuzz/run_model_fuzzer.sh [seconds]     (default 60)
#
# KOVA_FUZZ_BUILD overrides the build folder (default <source>/build-fuzz).
set -e
SRC=$(cd "$(dirname "$0")/../../../.." && pwd)
BUILD=${KOVA_FUZZ_BUILD:-$SRC/build-fuzz}
TIME=${1:-60}

cmake -S "$SRC" -B "$BUILD" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=Debug -DKOVA_SANITIZE=ON -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link >/dev/null
ninja -C "$BUILD" kovaplat
# The common objects go into an archive of their own, so that only what the reader needs is
# linked, even while an unrelated part of the common library does not build.
ninja -C "$BUILD" -k 0 kovacommon >/dev/null 2>&1 || true
rm -f "$BUILD/model_fuzz_deps.a"
find "$BUILD/src/common/CMakeFiles/kovacommon.dir" -name '*.o' -print0 | xargs -0 ar rcs "$BUILD/model_fuzz_deps.a"
clang++ -std=c++20 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I"$SRC/src/common" -I"$SRC/src/platform/include" -I"$SRC/src/platform/steering" \
  "$SRC/tests/common/model/fuzz/model_fuzz_target.cpp" "$BUILD/model_fuzz_deps.a" \
  -Wl,-rpath,"$BUILD/src/platform" "$BUILD/src/platform/libkovaplat.so" -ldl -o "$BUILD/model_fuzzer"

CORPUS="$BUILD/model_corpus"
mkdir -p "$CORPUS"
cp "$SRC"/tests/fixtures/model/*.kmd "$SRC/samples/KOVA1.KMD" "$CORPUS/"
# A large seed as well, so that inputs grow to the size of real model descriptions: the
# sample model followed by judges, items and transacts up to about 900 KB.
python3 - "$SRC/samples/KOVA1.KMD" "$CORPUS/large_generated.kmd" <<'PY'
import sys
parts = [open(sys.argv[1], encoding='latin-1').read()]
size = len(parts[0])
n = 1000
while size < 900 * 1024:
    n += 1
    block = (f"*Judge {n}: KPD_IDC_PRESET_CHOICE_PAPERSIZE == KDMPAPERSIZE_43 || KPD_RADIOLIST_1 == KDMORIENTATION_2\r\n"
             f"*Item {n}: {{\r\n  {{KDMPAPERSIZE_9 Judge{n} NULL NULL}}\r\n}}\r\n"
             f"*Action {n}: {{{{KPD_RADIOLIST_1 KDMORIENTATION_1}}}}\r\n"
             f"*Transact {n}: {{{{Judge{n} Action{n}}} {{NULL Action{n}}}}}\r\n")
    parts.append(block)
    size += len(block)
open(sys.argv[2], 'w', encoding='latin-1').write(''.join(parts))
PY
ROOT=$(mktemp -d)
trap 'rm -rf "$ROOT"' EXIT
KOVA_SYSTEM_ROOT="$ROOT" ASAN_OPTIONS=detect_leaks=1 \
  "$BUILD/model_fuzzer" -max_total_time="$TIME" -max_len=1048576 -timeout=10 -rss_limit_mb=2048 "$CORPUS"
