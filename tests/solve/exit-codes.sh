#!/bin/sh
# Bad input and usage give exit 2, one FILE:LINE message on standard error and
# nothing on standard output; a budget too small for the search gives exit 3.
# Usage: exit-codes.sh CAVEL_SOLVE PUZZLE_DIR
set -u
solver=$1
dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0

# expect CODE STDERR_PATTERN ARGS...: runs the solver and checks the outcome.
expect() {
  want=$1
  pattern=$2
  shift 2
  "$solver" "$@" >"$work/out" 2>"$work/err" </dev/null
  code=$?
  if [ "$code" -ne "$want" ]; then
    echo "FAIL $*: exit $code, expected $want"; failed=1; return
  fi
  if [ -n "$pattern" ] && ! grep -q -e "$pattern" "$work/err"; then
    echo "FAIL $*: standard error lacks '$pattern':"; cat "$work/err"; failed=1; return
  fi
  if [ "$want" -ne 0 ] && [ -s "$work/out" ]; then
    echo "FAIL $*: wrote to standard output"; failed=1; return
  fi
  echo "ok $*"
}

printf 'size 6 5\npiece 0 0 0\npiece 1 1 1\n' >"$work/overlap.txt"
printf 'size 6 5\n\npiece 3 0 0\n' >"$work/first.txt"
printf 'size 6 5\npiece 0 0 0\nturn 1\n' >"$work/word.txt"
printf 'size 6 5\n' >"$work/empty.txt"
printf 'size 6 5\npiece 0 0 0\001\377\000\n' >"$work/binary.txt"

printf '\357\273\277size 4 3\npiece 0 2 1\n' >"$work/bom.txt"
: >"$work/nothing.txt"
printf 'size 4 3\npiece 0 3 0\n' >"$work/off.txt"

expect 0 "" "$work/bom.txt"
expect 2 "^$work/nothing.txt:0: the file is empty" "$work/nothing.txt"
expect 2 "^$work/off.txt:2: piece lies off the board: its cells (3,0) (4,0) (3,1) (4,1); the 4 by 3 board has x 0 to 3, y 0 to 2\$" "$work/off.txt"
expect 2 "^$work/overlap.txt:3: piece overlaps piece 0 (line 2) on cell (1,1)\$" "$work/overlap.txt"
expect 2 "^$work/first.txt:3: the first piece must be the square" "$work/first.txt"
expect 2 "^$work/word.txt:3: unknown word 'turn'\$" "$work/word.txt"
expect 2 "^$work/empty.txt:1: no pieces\$" "$work/empty.txt"
expect 2 "^$work/binary.txt:2: " "$work/binary.txt"
expect 2 "^$work/missing.txt:0: cannot open" "$work/missing.txt"
expect 2 "^$work:0: cannot read" "$work"
expect 2 "no puzzle file" --stats
expect 2 "unknown option" --fast "$dir/classic.txt"
expect 2 "megabytes" --max-memory 0 "$dir/classic.txt"
expect 2 "megabytes" --max-memory 12x "$dir/classic.txt"
expect 3 "memory budget" --max-memory 2 "$dir/random6x5-14.txt"
# Numbers quoted as written: a value too large with the largest accepted, a
# cell far off the board as the file gives it.
expect 2 "^cavel-solve: --max-memory 17592186044415 is too large: at most 1099511627776 megabytes\$" \
  --max-memory 17592186044415 "$dir/classic.txt"
expect 2 "^cavel-solve: --threads 99999999999999999999 is too large: at most 256\$" \
  --threads=99999999999999999999 "$dir/classic.txt"
printf 'size 4 3\npiece 0 0 2147483648\n' >"$work/far.txt"
expect 2 "^$work/far.txt:2: piece lies off the board: its cells (0,2147483648) (1,2147483648) (0,2147483649) (1,2147483649);" "$work/far.txt"
expect 0 "^positions [0-9]" --stats "$dir/classic.txt"
expect 0 "" --help
grep -q "Exit status\|exit status" "$work/out" || { echo "FAIL --help says nothing of exit status"; failed=1; }

# Standard output that cannot be written (a full disk, a closed descriptor):
# the reason on standard error and exit 4, whatever was to be printed.
# writeFails NAME REDIRECTION ARGS...
writeFails() {
  name=$1
  redirection=$2
  shift 2
  eval '"$solver" "$@" 2>"$work/err" '"$redirection"
  code=$?
  if [ "$code" -ne 4 ]; then
    echo "FAIL $name: exit $code, expected 4"; failed=1
  elif ! grep -q "^cavel-solve: cannot write to standard output: " "$work/err"; then
    echo "FAIL $name: standard error lacks the reason:"; cat "$work/err"; failed=1
  else
    echo "ok $name"
  fi
}
writeFails "answer to a full disk" '>/dev/full' "$dir/classic.txt"
writeFails "answer to a closed descriptor" '>&-' "$dir/classic.txt"
writeFails "answer with its layers on disk, closed descriptor" '>&-' --spill "$work" "$dir/classic.txt"
writeFails "--json to a full disk" '>/dev/full' --json "$dir/classic.txt"
writeFails "--help to a full disk" '>/dev/full' --help
writeFails "--version to a closed descriptor" '>&-' --version
# Layers on disk hold a file each: under a low soft limit of open files the
# search raises it to the hard one rather than stopping.
if (ulimit -Sn 40) 2>/dev/null; then
  (ulimit -Sn 40; exec "$solver" --threads 2 --max-memory 24 --spill "$work" \
    "$dir/random6x5-14.txt") >"$work/out" 2>"$work/err"
  code=$?
  if [ $code -ne 0 ] || [ "$(head -1 "$work/out")" != "moves 57" ]; then
    echo "FAIL layers on disk past 40 open files: exit $code"; cat "$work/err"; failed=1
  else
    echo "ok layers on disk past 40 open files"
  fi
fi
[ -z "$(ls "$work" | grep -v '\.txt$\|^out$\|^err$')" ] || { echo "FAIL files left in $work"; failed=1; }
exit $failed
