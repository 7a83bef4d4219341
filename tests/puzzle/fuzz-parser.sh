#!/bin/sh
# Builds the fuzz targets of the puzzle file reader and of the layout code
# reader through the CMake option CAVEL_FUZZ, with clang (libFuzzer,
# AddressSanitizer, UndefinedBehaviorSanitizer), and runs each briefly from
# the sample puzzles and the collection (the layout code target also reads
# them as puzzles and checks their codes). A crash fails: the fuzzer's own
# status decides.
# Usage: fuzz-parser.sh SOURCE_DIR WORK_DIR [RUNS]
set -eu
source=$1
work=$2
runs=${3:-20000}
mkdir -p "$work/corpus"
cmake -S "$source" -B "$work/build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCAVEL_FUZZ=ON -DBUILD_TESTING=OFF >"$work/configure.log" 2>&1 ||
  { cat "$work/configure.log"; exit 1; }
cmake --build "$work/build" --target PuzzleFileFuzz LayoutCodeFuzz >"$work/build.log" 2>&1 ||
  { tail -40 "$work/build.log"; exit 1; }
for fuzzer in PuzzleFileFuzz LayoutCodeFuzz; do
  mkdir -p "$work/corpus/$fuzzer"
  cp "$source"/data/puzzles/*.txt "$work/corpus/$fuzzer/"
  if [ -d "$source/data/puzzles/collection" ]; then
    cp "$source"/data/puzzles/collection/*.txt "$work/corpus/$fuzzer/"
  fi
  (cd "$work" && "$work/build/$fuzzer" -runs="$runs" -max_total_time=30 -max_len=4096 \
    "$work/corpus/$fuzzer") >"$work/$fuzzer.log" 2>&1 || { tail -40 "$work/$fuzzer.log"; exit 1; }
  tail -3 "$work/$fuzzer.log"
done
