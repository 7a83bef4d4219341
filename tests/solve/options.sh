#!/bin/sh
# The options that change what cavel-solve prints: --metric, --moves, --boards,
# several files in one call, and the spellings of options.
# Usage: options.sh CAVEL_SOLVE PUZZLE_DIR
set -u
solver=$1
dir=$2
case $solver in /*) ;; *) solver=$PWD/$solver ;; esac
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0

fail() {
  echo "FAIL $*"
  failed=1
}

# same NAME FILE: FILE equals $work/want, or the difference is shown.
same() {
  if cmp -s "$work/want" "$2"; then
    echo "ok $1"
  else
    fail "$1:"; diff "$work/want" "$2" | head -10
  fi
}

# The published move counts of the classic, and the hex line of one-cell steps.
for pair in step:116 line:90 path:81; do
  metric=${pair%:*}
  "$solver" --metric "$metric" "$dir/classic.txt" >"$work/out" || fail "classic --metric $metric: exit $?"
  [ "$(head -1 "$work/out")" = "moves ${pair#*:}" ] || fail "classic --metric $metric: $(head -1 "$work/out")"
done
"$solver" --metric step "$dir/classic.txt" >"$work/out"
cp "$dir/classic.expected" "$work/want"
same "--metric step prints what no option prints" "$work/out"

# --moves and --boards on the square alone: two slides, then one walk.
"$solver" --metric line --moves --boards "$dir/square-only.txt" >"$work/out"
cat >"$work/want" <<'END'
moves 2
00 00 80
piece 0 right right
piece 0 up
move 0: start
....
AA..
AA..

move 1: piece 0 right right
....
..AA
..AA

move 2: piece 0 up
..AA
..AA
....

END
same "--metric line --moves --boards" "$work/out"
"$solver" --moves --metric path "$dir/square-only.txt" >"$work/out"
printf 'moves 1\n00 00 80\npiece 0 right right up\n' >"$work/want"
same "--metric path --moves" "$work/out"

# On the classic, every step has its word, every position its caption.
"$solver" --metric path --moves --boards "$dir/classic.txt" >"$work/out"
[ "$(grep -c '^piece [0-9]' "$work/out")" -eq 81 ] || fail "classic: not 81 move lines"
[ "$(grep -c '^move [0-9]*: ' "$work/out")" -eq 82 ] || fail "classic: not 82 captions"
words=$(grep '^piece' "$work/out" | tr ' ' '\n' | grep -c 'right\|left\|up\|down')
steps=$(sed -n 2p "$work/out" | wc -w)
[ "$words" -eq "$steps" ] || fail "classic: $words direction words for $steps steps"
# The last grid has the square (A) in the exit: the two right columns, rows 1 and 2.
[ "$(tail -5 "$work/out" | sed -n '2,3p' | grep -c '^...AA$')" -eq 2 ] ||
  fail "classic: the last grid is not solved"
echo "ok classic --metric path --moves --boards"

# No solution and bad input print no moves and no boards.
"$solver" --moves --boards "$dir/height-two.txt" >"$work/out"
printf 'no solution\n' >"$work/want"
same "--moves --boards without a solution" "$work/out"

# Several files: a header line before each, the largest status at the end.
printf 'size 6 5\npiece 0 0 0\npiece 1 1 1\n' >"$work/overlap.txt"
"$solver" "$dir/square-only.txt" "$dir/height-two.txt" "$work/overlap.txt" \
  "$dir/already-solved.txt" >"$work/out" 2>"$work/err"
code=$?
[ "$code" -eq 2 ] || fail "several files: exit $code, expected 2"
cat >"$work/want" <<END
==> $dir/square-only.txt <==
moves 3
00 00 80
==> $dir/height-two.txt <==
no solution
==> $work/overlap.txt <==
==> $dir/already-solved.txt <==
moves 0

END
same "several files" "$work/out"
grep -q "^$work/overlap.txt:3: piece overlaps" "$work/err" || fail "several files: no message"
"$solver" "$dir/square-only.txt" "$dir/height-two.txt" >/dev/null
code=$?
[ "$code" -eq 1 ] || fail "solved and unsolvable: exit $code, expected 1"
"$solver" --max-memory 2 "$dir/random6x5-14.txt" "$dir/already-solved.txt" >/dev/null 2>&1
code=$?
[ "$code" -eq 3 ] || fail "out of memory and solved: exit $code, expected 3"
"$solver" - "$dir/square-only.txt" <"$dir/height-two.txt" | head -1 | grep -qx '==> <stdin> <==' ||
  fail "standard input among several files"

# Bad metric values are usage errors: nothing printed, exit 2.
for bad in "" Path steps "line path"; do
  "$solver" --metric "$bad" "$dir/square-only.txt" >"$work/out" 2>"$work/err"
  code=$?
  [ "$code" -eq 2 ] && [ ! -s "$work/out" ] && grep -q "step, line or path" "$work/err" ||
    fail "--metric '$bad': exit $code"
done
"$solver" "$dir/square-only.txt" --metric >"$work/out" 2>"$work/err"
[ $? -eq 2 ] && [ ! -s "$work/out" ] || fail "--metric without a value"
echo "ok bad metrics"

# The usual spellings: --opt=value, '--' before names that begin with '-',
# -h and -V.
"$solver" --metric=line "$dir/classic.txt" | head -1 | grep -qx 'moves 90' || fail "--metric=line"
"$solver" --max-memory=2 "$dir/random6x5-14.txt" >/dev/null 2>&1
[ $? -eq 3 ] || fail "--max-memory=2 is not the budget"
cp "$dir/square-only.txt" "$work/-square.txt"
(cd "$work" && "$solver" --quiet -- -square.txt >out) && cmp -s "$work/out" "$dir/square-only.expected" ||
  fail "-- before a file named -square.txt"
(cd "$work" && "$solver" -square.txt >out 2>err)
[ $? -eq 2 ] && grep -q "unknown option '-square.txt'" "$work/err" || fail "-square.txt without --"
for call in "--moves=yes" "--json --boards" "--metric= " "--quiet=1"; do
  # shellcheck disable=SC2086
  "$solver" $call "$dir/square-only.txt" >"$work/out" 2>"$work/err"
  code=$?
  [ "$code" -eq 2 ] && [ ! -s "$work/out" ] && grep -q "Try 'cavel-solve --help'" "$work/err" ||
    fail "$call: exit $code"
done
"$solver" -V >"$work/out" && grep -qx 'cavel-solve [0-9][0-9.]*' "$work/out" || fail "-V: $(cat "$work/out")"
"$solver" --version "$dir/no-such-file.txt" >"$work/want" && same "--version" "$work/out"
"$solver" -h >"$work/out" && "$solver" --help >"$work/want" && same "-h" "$work/out"
echo "ok spellings"

"$solver" --help >"$work/out"
for word in --metric --moves --boards --json --quiet --version '==> FILE <=='; do
  grep -q -e "$word" "$work/out" || fail "--help says nothing of $word"
done
exit $failed
