#!/bin/sh
# Layout codes on cavel-solve's command line: --code prints one a line; a
# code stands wherever a file does and gives the file's answer; a bad code
# is refused with status 2 and 'cavel:BODY: message' before any search; the
# JSON lines carry the layout's code.
# Usage: codes.sh CAVEL_SOLVE PUZZLE_DIR
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

# --code: one code a line, in the order of the files, without headers.
"$solver" --code "$dir"/*.txt "$dir"/large/*.txt >"$work/codes" 2>"$work/err" ||
  fail "--code: exit $?"
files=$(ls "$dir"/*.txt "$dir"/large/*.txt | wc -l)
[ "$(wc -l <"$work/codes")" -eq "$files" ] || fail "--code: not one line for each of $files files"
grep -v '^cavel:[A-Za-z0-9_-]*$' "$work/codes" && fail "--code printed other than codes"
[ -s "$work/err" ] && fail "--code wrote to standard error"

# A code gives the same answer as its file, and the same code again.
for name in classic already-solved height-two square-only random6x5-10; do
  code=$("$solver" --code "$dir/$name.txt")
  "$solver" --moves "$code" >"$work/from-code"
  fromCode=$?
  "$solver" --moves "$dir/$name.txt" >"$work/from-file"
  fromFile=$?
  [ "$fromCode" -eq "$fromFile" ] && cmp -s "$work/from-code" "$work/from-file" ||
    fail "$name: the answer to $code differs from its file's"
  [ "$("$solver" --code "$code")" = "$code" ] || fail "$name: the code of $code is another"
done
classic=$("$solver" --code "$dir/classic.txt")
square=$("$solver" --code "$dir/square-only.txt")

# The JSON lines of a solve, an analysis and --code carry the code.
"$solver" --json "$dir/classic.txt" "$square" >"$work/out"
grep -q "^{\"file\":\"$dir/classic.txt\",\"metric\":\"step\",\"code\":\"$classic\",\"status\":\"solved\"," \
  "$work/out" || fail "--json of a solve lacks the code: $(cat "$work/out")"
grep -q "^{\"file\":\"$square\",\"metric\":\"step\",\"code\":\"$square\",\"status\":\"solved\"," \
  "$work/out" || fail "--json of a code's solve: $(cat "$work/out")"
"$solver" --analyze --json "$square" >"$work/out"
grep -q "\"code\":\"$square\",\"status\":\"analyzed\"" "$work/out" ||
  fail "--json of an analysis lacks the code: $(cat "$work/out")"
"$solver" --code --json "$dir/classic.txt" >"$work/out"
[ "$(cat "$work/out")" = "{\"file\":\"$dir/classic.txt\",\"code\":\"$classic\",\"status\":\"coded\"}" ] ||
  fail "--code --json: $(cat "$work/out")"

# Bad codes: status 2 and the reason, nothing on standard output, even with
# a budget no search could keep to.
body=${classic%?}
case $classic in *A) typo=${body}B ;; *) typo=${body}A ;; esac
long=cavel:$(printf '%099d' 0 | tr 0 A)
# expect STDERR ARGUMENT...: status 2, standard error exactly STDERR.
expect() {
  want=$1
  shift
  "$solver" "$@" >"$work/out" 2>"$work/err"
  status=$?
  [ "$status" -eq 2 ] || fail "$*: exit $status, expected 2"
  [ "$(cat "$work/err")" = "$want" ] || fail "$*: standard error '$(cat "$work/err")', expected '$want'"
  [ -s "$work/out" ] && fail "$*: wrote to standard output"
}
expect "cavel:: nothing follows 'cavel:'" cavel:
expect "cavel:Bs!1: character 3 after 'cavel:', '!', is not one of A-Z a-z 0-9 - _" 'cavel:Bs!1'
expect "$typo: the check fails: a character is wrong, swapped, missing or extra" --max-memory 1 "$typo"
expect "$long: longer than any layout code (98 characters after 'cavel:')" --analyze "$long"
"$solver" --json --max-memory 1 "$typo" >"$work/out" 2>/dev/null
[ $? -eq 2 ] || fail "--json with a bad code: not status 2"
[ "$(cat "$work/out")" = "{\"file\":\"$typo\",\"metric\":\"step\",\"status\":\"bad_input\",\"message\":\"$typo: the check fails: a character is wrong, swapped, missing or extra\"}" ] ||
  fail "--json with a bad code: $(cat "$work/out")"

# With --code, a bad input gets no line, and the others theirs.
"$solver" --code "$dir/classic.txt" cavel: "$square" >"$work/out" 2>"$work/err"
[ $? -eq 2 ] && [ "$(cat "$work/out")" = "$(printf '%s\n%s' "$classic" "$square")" ] &&
  [ "$(cat "$work/err")" = "cavel:: nothing follows 'cavel:'" ] || fail "--code with a bad code among others"
for option in --analyze --moves --boards --stats; do
  "$solver" --code $option "$dir/classic.txt" >/dev/null 2>"$work/err"
  [ $? -eq 2 ] && grep -q "^cavel-solve: --code does not go with" "$work/err" || fail "--code $option"
done

# A file whose name begins with 'cavel:' is reached through its folder.
cp "$dir/square-only.txt" "$work/cavel:square"
(cd "$work" && "$solver" ./cavel:square >/dev/null) || fail "./cavel:square is no file"

"$solver" --help >"$work/out"
grep -q "^  --code " "$work/out" || fail "--help does not tell of --code"
grep -q "'cavel:'" "$work/out" || fail "--help does not tell of codes"
[ "$failed" -eq 0 ] && echo "ok: layout codes on the command line"
exit "$failed"
