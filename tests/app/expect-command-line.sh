#!/bin/sh
# The command line of the window program, checked without a display: a puzzle
# file is read before any window opens, so a bad one is reported with status 2
# whether or not a window could be had, and a good one gets as far as the
# window (status 1 here, for want of a display).
# usage: expect-command-line.sh CAVEL PUZZLE-DIR CAVEL-SOLVE
set -u
cavel=$1
puzzles=$2
solver=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# expect STATUS STDERR-PATTERN ARGUMENT...: runs the program on the arguments;
# an empty pattern asks for an empty standard error.
expect() {
  status=$1
  pattern=$2
  shift 2
  timeout -s KILL 30 env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "$cavel" "$@" \
    >"$work/out" 2>"$work/err" <"$work/stdin"
  got=$?
  if [ "$got" -ne "$status" ]; then
    echo "cavel $*: exit status $got, expected $status"; cat "$work/err"; failures=1
  elif [ -z "$pattern" ] && [ -s "$work/err" ]; then
    echo "cavel $*: unexpected standard error:"; cat "$work/err"; failures=1
  elif [ -n "$pattern" ] && ! grep -q -- "$pattern" "$work/err"; then
    echo "cavel $*: standard error lacks '$pattern':"; cat "$work/err"; failures=1
  fi
}

printf 'size 6 5\npiece 0 0 0\npiece 3 2 1\npiece 1 2 1\n' >"$work/overlap.txt"
printf 'size 6 5\npiece 0 0 1\n' >"$work/stdin"

expect 2 "^$work/overlap.txt:4: piece overlaps piece 1 (line 3) on cell (2,1)\$" "$work/overlap.txt"
expect 2 "^$work/none.txt:0: cannot open: No such file or directory\$" "$work/none.txt"
expect 2 "^$work:0: cannot read: Is a directory\$" "$work"
[ -s "$work/out" ] && { echo "a bad file printed on standard output"; failures=1; }
expect 2 "^cavel: one puzzle file at most\$" "$puzzles/classic.txt" "$puzzles/classic.txt"
expect 2 "^cavel: unknown option '--size'\$" --size "$puzzles/classic.txt"
expect 2 "^Try 'cavel --help'.\$" -x

# Good files get past the reading to the window, which is missing here.
expect 1 "^cavel: cannot open a window" "$puzzles/classic.txt"
expect 1 "^cavel: cannot open a window" -
: >"$work/stdin"
expect 2 "^<stdin>:0: the file is empty" -

# After '--' a name that begins with '-' is the file.
cp "$puzzles/classic.txt" "$work/-classic.txt"
here=$PWD
cd "$work" || exit 1
expect 1 "^cavel: cannot open a window" -- -classic.txt
expect 2 "^cavel: unknown option '-classic.txt'\$" -classic.txt
cd "$here" || exit 1
expect 2 "^cavel: one puzzle file at most\$" -- "$puzzles/classic.txt" -
expect 2 "^cavel: option '--help' takes no value\$" --help=yes

# A layout code stands for a file: a good one gets as far as the window, a
# bad one is refused with its reason before any window.
code=$("$solver" --code "$puzzles/classic.txt")
body=${code%?}
case $code in *A) typo=${body}B ;; *) typo=${body}A ;; esac
expect 1 "^cavel: cannot open a window" "$code"
expect 1 "^cavel: cannot open a window" --metric line -- "$code"
expect 2 "^$typo: the check fails: a character is wrong, swapped, missing or extra\$" "$typo"
expect 2 "^cavel:: nothing follows 'cavel:'\$" cavel:
expect 2 "^cavel:B!: character 2 after 'cavel:', '!', is not one of A-Z a-z 0-9 - _\$" 'cavel:B!'
[ -s "$work/out" ] && { echo "a bad code printed on standard output"; failures=1; }
expect 2 "^cavel: one puzzle file at most\$" "$code" "$puzzles/classic.txt"

# The metric, spelt as cavel-solve spells it; a bad or missing name is a
# usage error before any window.
expect 1 "^cavel: cannot open a window" --metric path "$puzzles/classic.txt"
expect 1 "^cavel: cannot open a window" "$puzzles/classic.txt" --metric=line
expect 2 "^cavel: --metric needs step, line or path\$" --metric moves "$puzzles/classic.txt"
expect 2 "^cavel: --metric needs step, line or path\$" --metric=Path
expect 2 "^cavel: --metric needs step, line or path\$" "$puzzles/classic.txt" --metric
expect 2 "^cavel: one puzzle file at most\$" --metric step "$puzzles/classic.txt" step

expect 0 "" --help
grep -q "^Usage: cavel \[OPTION\]... \[FILE\]" "$work/out" || { echo "--help printed no usage"; failures=1; }
grep -q "^  --metric NAME" "$work/out" || { echo "--help does not tell of --metric"; failures=1; }
grep -q "'cavel:'" "$work/out" || { echo "--help does not tell of layout codes"; failures=1; }
cp "$work/out" "$work/help"
expect 0 "" -h
cmp -s "$work/out" "$work/help" || { echo "-h printed other than --help"; failures=1; }
expect 0 "" --version
grep -qx "cavel [0-9][0-9.]*" "$work/out" || { echo "--version printed: $(cat "$work/out")"; failures=1; }
cp "$work/out" "$work/version"
expect 0 "" -V "$puzzles/classic.txt"
cmp -s "$work/out" "$work/version" || { echo "-V printed other than --version"; failures=1; }

# A text that cannot be written is no success.
"$cavel" --help >/dev/full 2>"$work/err"
[ $? -eq 4 ] && grep -q "^cavel: cannot write to standard output: No space left" "$work/err" ||
  { echo "--help to a full disk: no exit 4 and message"; failures=1; }
"$cavel" --version >&- 2>"$work/err"
[ $? -eq 4 ] && grep -q "^cavel: cannot write to standard output: Bad file descriptor" "$work/err" ||
  { echo "--version to a closed descriptor: no exit 4 and message"; failures=1; }
exit $failures
