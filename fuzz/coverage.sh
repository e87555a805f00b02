#!/bin/sh
# Source coverage of the fuzz corpora: builds the targets with coverage
# instrumentation, replays every corpus in fuzz-corpus/, and prints the
# line and branch coverage of each tool's own code and the shared code.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$ROOT/build-fuzz-coverage
CORPUS=$ROOT/fuzz-corpus
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_CXX_COMPILER=clang++ -DFUZZ=ON -DFUZZ_COVERAGE=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build "$BUILD" -j "$(nproc)" > /dev/null
for target in "$BUILD"/fuzz/*_fuzz; do
  name=$(basename "$target" _fuzz)
  [ -d "$CORPUS/$name" ] || continue
  LLVM_PROFILE_FILE="$BUILD/$name.profraw" "$target" -runs=0 -detect_leaks=0 "$CORPUS/$name" > /dev/null 2>&1
  llvm-profdata merge -sparse "$BUILD/$name.profraw" -o "$BUILD/$name.profdata"
  echo "== $name"
  llvm-cov report "$target" -instr-profile="$BUILD/$name.profdata" \
    "$ROOT/tools/$name" "$ROOT/common" "$ROOT/compositing" "$ROOT/captions" | tail -n 1
done
