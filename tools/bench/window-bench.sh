#!/bin/sh
# Builds, then times the window program on a virtual display of its own (see
# window-bench.py for the three figures). Extra arguments go to the script:
#   tools/bench/window-bench.sh --rounds 5
set -eu
usage="usage: tools/bench/window-bench.sh [--rounds N] [--idle-seconds S] [--binary CAVEL] [--figures 1,2,3]"
# The arguments are checked before the build, which takes minutes.
for argument in "$@"; do
  case $argument in
    -h | --help) echo "$usage"; exit 0 ;;
  esac
done
next=option
for argument in "$@"; do
  case $next:$argument in
    option:--rounds | option:--idle-seconds | option:--binary | option:--figures) next=value ;;
    option:--rounds=* | option:--idle-seconds=* | option:--binary=* | option:--figures=*) ;;
    value:*) next=option ;;
    *) echo "$usage" >&2; exit 2 ;;
  esac
done
[ "$next" = option ] || { echo "$usage" >&2; exit 2; }
cd "$(dirname "$0")/../.."
make
exec sh tests/with-display.sh python3 tools/bench/window-bench.py build data "$@"
