#!/bin/sh
# Builds the puzzle file fuzz target through the CMake option CAVEL_FUZZ, with
# clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer), and runs it
# briefly from the sample puzzles.
# Usage: fuzz-parser.sh SOURCE_DIR WORK_DIR [RUNS]
set -eu
source=$1
work=$2
runs=${3:-20000}
mkdir -p "$work/corpus"
cmake -S "$source" -B "$work/build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCAVEL_FUZZ=ON -DBUILD_TESTING=OFF >"$work/configure.log" 2>&1 ||
  { cat "$work/configure.log"; exit 1; }
cmake --build "$work/build" --target PuzzleFileFuzz >"$work/build.log" 2>&1 ||
  { tail -40 "$work/build.log"; exit 1; }
cp "$source"/data/puzzles/*.txt "$work/corpus/"
"$work/build/PuzzleFileFuzz" -runs="$runs" -max_total_time=30 -max_len=4096 \
  "$work/corpus" 2>&1 | tail -5
