#!/bin/sh
# analyze.sh CAVEL_SOLVE PUZZLE_DIR: --analyze prints the set's figures in
# their order; --hardest writes a start that solves in 'hardest' moves and
# lies in the same set, and never over a file; the analysis runs in files
# and in JSON as a solve does.
set -u
solver=$1
dir=$2
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL $*"; failed=1; }

for metric in step line path; do
  "$solver" --analyze --metric "$metric" "$dir/classic.txt" >"$work/out" 2>"$work/err" ||
    fail "$metric: exit $?"
  [ -s "$work/err" ] && fail "$metric: standard error: $(cat "$work/err")"
  head -2 "$work/out" | tr '\n' ' ' | grep -q '^positions 25955 goals 964 $' ||
    fail "$metric: $(head -2 "$work/out" | tr '\n' ' ')"
  words=$(cut -d' ' -f1 "$work/out" | uniq | tr '\n' ' ')
  [ "$words" = "positions goals farthest hardest hardest-positions layer " ] ||
    fail "$metric: items $words"
  farthest=$(sed -n 's/^farthest //p' "$work/out")
  [ "$(tail -1 "$work/out")" = "layer $farthest $(tail -1 "$work/out" | cut -d' ' -f3)" ] ||
    fail "$metric: the last layer is not the farthest"
  total=$(awk '$1 == "layer" { s += $3 } END { print s }' "$work/out")
  [ "$total" = 25955 ] || fail "$metric: layers add up to $total"

  hardest=$(sed -n 's/^hardest //p' "$work/out")
  "$solver" --analyze --metric "$metric" --hardest "$work/hard-$metric.txt" \
    --spill "$work" "$dir/classic.txt" >"$work/out2" || fail "$metric --hardest: exit $?"
  cmp -s "$work/out" "$work/out2" || fail "$metric: the analysis changed with --hardest and --spill"
  grep -q "^# .*: $hardest moves in the $metric metric" "$work/hard-$metric.txt" ||
    fail "$metric: comment line of $(head -1 "$work/hard-$metric.txt")"
  moves=$("$solver" --metric "$metric" "$work/hard-$metric.txt" | sed -n 's/^moves //p')
  [ "$moves" = "$hardest" ] || fail "$metric: the hardest start takes $moves moves, not $hardest"
  "$solver" --analyze --metric "$metric" "$work/hard-$metric.txt" | head -1 |
    grep -q '^positions 25955$' || fail "$metric: the hardest start lies in another set"
done
[ -z "$(ls "$work" | grep -v '\.txt$\|^out\|^err$')" ] || fail "spill files left behind"

# Refused before any search, with nothing written over.
echo keep >"$work/taken.txt"
for call in "--analyze --hardest $work/taken.txt $dir/classic.txt" \
            "--analyze --hardest $work/new.txt $dir/classic.txt $dir/classic.txt" \
            "--hardest $work/new.txt $dir/classic.txt" "--analyze --moves $dir/classic.txt"; do
  # shellcheck disable=SC2086
  "$solver" $call >"$work/out" 2>"$work/err"
  code=$?
  [ $code = 2 ] && [ ! -s "$work/out" ] && grep -q "^cavel-solve: " "$work/err" ||
    fail "$call: exit $code"
done
[ "$(cat "$work/taken.txt")" = keep ] || fail "an existing file was written over"
[ -e "$work/new.txt" ] && fail "a refused call wrote its file"

# A file that cannot be created is refused before any search too, with the
# reason: a folder that is not there, one that cannot be written into (root
# without its right to write anywhere), a file in place of a folder.
mkdir "$work/locked" && chmod 555 "$work/locked"
asUser=
[ "$(id -u)" = 0 ] && asUser="setpriv --bounding-set=-dac_override,-dac_read_search"
for out in "$work/no/such/dir/h.txt" "$work/locked/h.txt" "$work/taken.txt/h.txt"; do
  # shellcheck disable=SC2086
  $asUser "$solver" --analyze --hardest "$out" "$dir/classic.txt" >"$work/out" 2>"$work/err"
  code=$?
  [ $code = 2 ] && [ ! -s "$work/out" ] && grep -q "^cavel-solve: cannot create '$out': " "$work/err" ||
    fail "--hardest $out: exit $code, $(head -c 200 "$work/out") $(cat "$work/err")"
done
[ -z "$(ls "$work/locked")" ] || fail "a file was left in the locked folder"

# A layout whose set holds no goal: 'hardest none', no file, status 0.
printf 'size 4 2\npiece 0 0 0\n' >"$work/two-rows.txt"
"$solver" --analyze --hardest "$work/none.txt" "$work/two-rows.txt" >"$work/out" 2>"$work/err" ||
  fail "no goal: exit $?"
grep -q '^hardest none$' "$work/out" && grep -q '^hardest-positions 0$' "$work/out" ||
  fail "no goal: $(cat "$work/out")"
[ -e "$work/none.txt" ] && fail "no goal: a file was written"

# JSON: one object a file, with the same figures.
"$solver" --analyze --json --metric path "$dir/classic.txt" "$dir/square-only.txt" >"$work/out" ||
  fail "json: exit $?"
python3 - "$work/out" <<'PY' || failed=1
import json, sys
objects = [json.loads(line) for line in open(sys.argv[1])]
classic = objects[0]
ok = (len(objects) == 2 and classic["status"] == "analyzed" and classic["positions"] == 25955
      and classic["goals"] == 964 and sum(classic["layers"]) == 25955
      and classic["farthest"] == len(classic["layers"]) - 1 and classic["hardest"] >= 1)
if not ok:
    print("FAIL json:", objects)
    sys.exit(1)
PY
exit $failed
