#!/bin/sh
# Builds, then times the window program on a virtual display of its own (see
# window-bench.py for the three figures). Extra arguments go to the script:
#   tools/bench/window-bench.sh --rounds 5
set -eu
cd "$(dirname "$0")/../.."
make
exec sh tests/with-display.sh python3 tools/bench/window-bench.py build data "$@"
