#!/bin/sh
# Runs cavel-solve on every sample puzzle and compares standard output with
# NAME.expected byte for byte, and the exit code with what that output means.
# Usage: samples.sh CAVEL_SOLVE PUZZLE_DIR
set -u
solver=$1
dir=$2
failed=0
count=0
out=$(mktemp)
trap 'rm -f "$out"' EXIT
for puzzle in "$dir"/*.txt; do
  expected=${puzzle%.txt}.expected
  count=$((count + 1))
  "$solver" "$puzzle" >"$out"
  code=$?
  want=0
  [ "$(cat "$expected")" = "no solution" ] && want=1
  if ! cmp -s "$out" "$expected"; then
    echo "FAIL $puzzle: output differs from $expected"
    diff "$expected" "$out" | head -5
    failed=1
  elif [ "$code" -ne "$want" ]; then
    echo "FAIL $puzzle: exit code $code, expected $want"
    failed=1
  else
    echo "ok $puzzle"
  fi
done
[ "$count" -gt 0 ] || { echo "no puzzles in $dir"; exit 1; }
# Standard input works like a file.
first=$(ls "$dir"/*.txt | head -1)
"$solver" - <"$first" >"$out" && cmp -s "$out" "${first%.txt}.expected" ||
  { echo "FAIL reading $first from standard input"; failed=1; }
exit $failed
