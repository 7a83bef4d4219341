#!/bin/sh
# Runs cavel-solve on every sample puzzle and compares standard output with
# NAME.expected byte for byte, and the exit code with what that output means:
# as it is, on one to three threads, under a small memory budget, and with
# its layers in files.
# Usage: samples.sh CAVEL_SOLVE PUZZLE_DIR
set -u
solver=$1
dir=$2
failed=0
count=0
out=$(mktemp)
spill=$(mktemp -d)
trap 'rm -f "$out"; rm -rf "$spill"' EXIT
for puzzle in "$dir"/*.txt; do
  expected=${puzzle%.txt}.expected
  count=$((count + 1))
  for options in "" "--threads 1" "--threads 2" "--threads 3" "--max-memory 40" \
                 "--threads 3 --max-memory 40 --spill $spill"; do
    # shellcheck disable=SC2086
    "$solver" $options "$puzzle" >"$out"
    code=$?
    want=0
    [ "$(cat "$expected")" = "no solution" ] && want=1
    if ! cmp -s "$out" "$expected"; then
      echo "FAIL $puzzle $options: output differs from $expected"
      diff "$expected" "$out" | head -5
      failed=1
    elif [ "$code" -ne "$want" ]; then
      echo "FAIL $puzzle $options: exit code $code, expected $want"
      failed=1
    else
      echo "ok $puzzle $options"
    fi
  done
done
if [ -n "$(ls -A "$spill")" ]; then
  echo "FAIL files left in the spill folder: $(ls "$spill")"
  failed=1
fi
[ "$count" -gt 0 ] || { echo "no puzzles in $dir"; exit 1; }
# Standard input works like a file.
first=$(ls "$dir"/*.txt | head -1)
"$solver" - <"$first" >"$out" && cmp -s "$out" "${first%.txt}.expected" ||
  { echo "FAIL reading $first from standard input"; failed=1; }
exit $failed
