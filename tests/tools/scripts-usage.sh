#!/bin/sh
# Every script in tools/ answers --help with a usage line on standard output
# and status 0, and a wrong call with a usage line on standard error and
# status 2; neither builds nor starts anything (make and xvfb-run here only
# record that they were called).
# usage: scripts-usage.sh SOURCE-DIR
set -u
source=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
for command in make xvfb-run; do
  printf '#!/bin/sh\necho "%s $*" >>"%s/called"\nexit 1\n' "$command" "$work" >"$work/bin/$command"
  chmod +x "$work/bin/$command"
done
PATH=$work/bin:$PATH
export PATH
failed=0
count=0

for script in $(cd "$source" && find tools -name '*.sh' -o -name '*.py' | sort); do
  count=$((count + 1))
  case $script in
    *.sh) run="sh $source/$script" ;;
    *) run="python3 $source/$script" ;;
  esac
  $run --help >"$work/out" 2>"$work/err" </dev/null
  code=$?
  if [ "$code" -ne 0 ] || ! grep -qi "^usage: " "$work/out"; then
    echo "FAIL $script --help: status $code, output:"; cat "$work/out" "$work/err"; failed=1
  fi
  $run --no-such-option >"$work/out" 2>"$work/err" </dev/null
  code=$?
  if [ "$code" -ne 2 ] || ! grep -qi "usage: " "$work/err" || grep -q Traceback "$work/err"; then
    echo "FAIL $script --no-such-option: status $code, standard error:"; cat "$work/err"; failed=1
  fi
done
# Calls that are wrong in other ways than an unknown option.
for call in "tools/bench/make-big-puzzles.py" "tools/bench/make-big-puzzles.py s o many" \
            "tools/screenshots.py build data" "tools/make-font-atlas.py a b c"; do
  # shellcheck disable=SC2086
  python3 "$source"/$call >/dev/null 2>"$work/err"
  code=$?
  [ "$code" -eq 2 ] && grep -qi "^usage: " "$work/err" ||
    { echo "FAIL $call: status $code"; cat "$work/err"; failed=1; }
done
sh "$source/tools/bench/window-bench.sh" --rounds >/dev/null 2>"$work/err"
[ $? -eq 2 ] || { echo "FAIL window-bench.sh --rounds without its value"; failed=1; }
sh "$source/tools/install-deps.sh" test extra >/dev/null 2>"$work/err"
[ $? -eq 2 ] || { echo "FAIL install-deps.sh test extra"; failed=1; }

[ -e "$work/called" ] && { echo "FAIL something was built or started:"; cat "$work/called"; failed=1; }
[ "$count" -ge 8 ] || { echo "FAIL only $count scripts found"; failed=1; }
[ "$failed" -eq 0 ] && echo "ok: $count scripts answer --help and a wrong call"
exit $failed
