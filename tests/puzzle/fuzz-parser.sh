#!/bin/sh
# Builds the puzzle file fuzz target through the CMake option CAVEL_FUZZ, with
# clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer), and runs it
# briefly from the sample puzzles and the collection.
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
if [ -d "$source/data/puzzles/collection" ]; then
  cp "$source"/data/puzzles/collection/*.txt "$work/corpus/"
fi
# The fuzzer's own status, not that of a pipe's last command: a crash fails.
status=0
(cd "$work" && ./build/PuzzleFileFuzz -runs="$runs" -max_total_time=30 -max_len=4096 corpus) \
  >"$work/fuzz.log" 2>&1 || status=$?
tail -5 "$work/fuzz.log"
exit $status
