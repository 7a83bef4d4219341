#!/bin/sh
# The options that change what cavel-solve prints: --metric, --moves, --boards,
# and several files in one call.
# Usage: options.sh CAVEL_SOLVE PUZZLE_DIR
set -u
solver=$1
dir=$2
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

"$solver" --help >"$work/out"
for word in --metric --moves --boards '==> FILE <=='; do
  grep -q -e "$word" "$work/out" || fail "--help says nothing of $word"
done
exit $failed
