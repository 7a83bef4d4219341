#!/bin/sh
# The layer check fails on an include that breaks a layer, naming it, and
# passes the tree without it: SDL in the window's core, a drawing header in
# the model, the window in the command-line solver, the tests' oracle in the
# product.
# usage: check-layers-plants.sh SOURCE-DIR
set -u
source=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0

# A small tree with a file in each layer that matters here.
fresh() {
  rm -rf "$work/tree"
  mkdir -p "$work/tree/app/core" "$work/tree/model" "$work/tree/render" "$work/tree/solve" \
    "$work/tree/search"
  echo '#include "model/Board.h"' >"$work/tree/app/core/Job.h"
  echo '#include <vector>' >"$work/tree/model/Board.h"
  echo '#include <GL/gl.h>' >"$work/tree/render/Draw.h"
  echo '#include "search/Solver.h"' >"$work/tree/solve/Report.h"
  echo '#include "model/Board.h"' >"$work/tree/search/Solver.h"
  mkdir -p "$work/tree/tests/oracle"
  echo '#include "search/Solver.h"' >"$work/tree/tests/oracle/Table.h"
}

check() {
  cmake -DROOT="$work/tree" -P "$source/tools/check-layers.cmake" >"$work/out" 2>&1
}

# expect_breach WHAT FILE LINE: with LINE added to FILE, the check fails and names it.
expect_breach() {
  fresh
  mkdir -p "$work/tree/$(dirname "$2")"
  echo "$3" >>"$work/tree/$2"
  if check; then
    echo "FAIL $1: the check passed"; failed=1
  elif ! grep -qF "$2: $3" "$work/out"; then
    echo "FAIL $1: the breach is not named:"; cat "$work/out"; failed=1
  fi
}

fresh
if ! check; then
  echo "FAIL the clean tree does not pass:"; cat "$work/out"; failed=1
fi
expect_breach "SDL in the window's core" app/core/Job.h '#include <SDL.h>'
expect_breach "X in the window's core" app/core/Job.h '#include <X11/Xlib.h>'
expect_breach "drawing in the model" model/Board.h '#include "render/Draw.h"'
expect_breach "the window in the solver" solve/Report.h '#include "render/Draw.h"'
expect_breach "GL in the search" search/Solver.h '#include <GL/gl.h>'
expect_breach "the oracle in the product" search/Solver.h '#include "tests/oracle/Table.h"'
[ "$failed" -eq 0 ] && echo "the layer check caught every planted include"
exit "$failed"
