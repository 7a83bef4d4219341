#!/bin/sh
# spill-bounds.sh CAVEL_SOLVE PUZZLE_DIR: with --spill the memory a search
# holds does not grow with the puzzle, its answer is the one in memory, and
# its files are gone whatever way it ends.
set -u
solve=$1
puzzles=$2
work=$(mktemp -d)
spill=$work/spill
mkdir "$spill"
trap 'umount "$work/full" 2>/dev/null; rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL $*"; failed=1; }
filesLeft() { [ -n "$(ls -A "$1")" ]; }

# The least peak resident memory of three spilled searches of $1 in 30 MB,
# in megabytes as --stats gives it; each answer must be the one in memory
# ($2). The least, because a peak may catch the threads' buffers growing
# together.
spilledPeak() {
  least=
  for round in 1 2 3; do
    report=$("$solve" --stats --threads 2 --max-memory 30 --spill "$spill" "$1" \
      2>&1 >"$work/spilled")
    cmp -s "$work/spilled" "$2" || fail "$(basename "$1"): the spilled answer differs"
    mb=$(printf '%s\n' "$report" | sed -n 's/^process peak resident memory \([0-9.]*\) MB$/\1/p')
    if [ -z "$least" ] || awk "BEGIN { exit !($mb < $least) }"; then least=$mb; fi
  done
  echo "$least"
}

# A layout of 8.5 M positions so searched, and one of 107 M: the first with
# two single cells more and one less.
small=$puzzles/large/large8x6-1.txt
large=$work/large.txt
grep -v '^piece 1 0 2$' "$small" >"$large"
printf 'piece 1 5 1\npiece 1 5 4\n' >>"$large"
"$solve" "$small" >"$work/small.memory" || fail "large8x6-1 in memory: exit $?"
"$solve" --max-memory 2000 "$large" >"$work/large.memory" || fail "the large one in memory: exit $?"
smallPeak=$(spilledPeak "$small" "$work/small.memory")
largePeak=$(spilledPeak "$large" "$work/large.memory")
if awk "BEGIN { exit !($largePeak > 1.1 * $smallPeak || $smallPeak > 1.1 * $largePeak) }"; then
  fail "spilled peaks differ: $smallPeak MB for 8.5 M positions, $largePeak MB for 107 M"
else
  echo "ok   spilled peaks $smallPeak MB for 8.5 M positions, $largePeak MB for 107 M"
fi
filesLeft "$spill" && fail "spill files left after the searches"

# Stopped at the budget: the spilled layers still need their block lines.
"$solve" --max-memory 1 --spill "$spill" "$puzzles/classic.txt" >/dev/null 2>&1
[ $? -eq 3 ] || fail "the budget's end: exit not 3"
filesLeft "$spill" && fail "spill files left at the budget's end"

# Ended by a signal halfway.
for sig in INT TERM HUP; do
  "$solve" --spill "$spill" "$large" >/dev/null 2>&1 &
  pid=$!
  sleep 2
  kill -$sig $pid
  wait $pid 2>/dev/null
  filesLeft "$spill" && fail "spill files left after SIG$sig"
done

# A disk that fills: a small file system of its own, when this user may
# mount one.
mkdir "$work/full"
if mount -t tmpfs -o size=2m tmpfs "$work/full" 2>/dev/null; then
  "$solve" --spill "$work/full" "$small" >/dev/null 2>"$work/err"
  code=$?
  [ $code -eq 3 ] || fail "a full disk: exit $code"
  grep -q "No space left on device" "$work/err" || fail "a full disk: $(cat "$work/err")"
  filesLeft "$work/full" && fail "spill files left on the full disk"
  used=$(df -k --output=used "$work/full" | tail -1)
  [ "$used" -eq 0 ] || fail "the full disk still holds $used KB"
  umount "$work/full"
else
  echo "skip a full disk: no tmpfs may be mounted here"
fi
[ $failed -eq 0 ] && echo "ok   spill files gone after every end"
exit $failed
