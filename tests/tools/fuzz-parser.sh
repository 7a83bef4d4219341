#!/bin/sh
# Builds the puzzle file fuzz target with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs it briefly from the sample puzzles.
# Usage: fuzz-parser.sh SOURCE_DIR WORK_DIR [RUNS]
set -eu
source=$1
work=$2
runs=${3:-20000}
mkdir -p "$work/corpus"
clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -I "$source" "$source/tools/fuzz/PuzzleFileFuzz.cpp" "$source/tools/PuzzleFile.cpp" \
  "$source"/model/*.cpp -o "$work/PuzzleFileFuzz"
cp "$source"/data/puzzles/*.txt "$work/corpus/"
"$work/PuzzleFileFuzz" -runs="$runs" -max_total_time=30 -max_len=4096 \
  "$work/corpus" 2>&1 | tail -5
