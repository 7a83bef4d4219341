#!/bin/sh
# The install: into a staging folder (DESTDIR) under a prefix of its own, by
# cmake --install and by make install; then the installed programs run from
# another folder: cavel-solve --version and a solve, and, after the whole
# prefix has been moved, the window program on a display of its own, which
# must open its window with no box about font.bmp. The man pages must render
# without a warning and the desktop entry must validate.
# usage: expect-install.sh SOURCE-DIR BUILD-DIR
set -u
source=$1
build=$2
if [ -z "${CAVEL_OWN_DISPLAY:-}" ]; then
  exec env CAVEL_OWN_DISPLAY=1 sh "$source/tests/with-display.sh" sh "$0" "$@"
fi
work=$(mktemp -d)
. "$source/tests/window-search.sh"
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL $*"
  failures=1
}

prefix=/opt/cavel-test
DESTDIR=$work/stage cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
  { cat "$work/install.log"; exit 1; }
root=$work/stage$prefix
[ "$(ls "$work/stage")" = opt ] || fail "files outside the prefix: $(ls "$work/stage")"
for file in bin/cavel bin/cavel-solve share/cavel/font.bmp share/cavel/icon.bmp \
            share/cavel/puzzles/classic.txt share/cavel/puzzles/large/large8x6-2.txt \
            share/cavel/puzzles/collection/heng-dao-li-ma.txt \
            share/man/man6/cavel.6 share/man/man6/cavel-solve.6 \
            share/applications/cavel.desktop share/icons/hicolor/48x48/apps/cavel.png \
            share/icons/hicolor/128x128/apps/cavel.png; do
  [ -f "$root/$file" ] || fail "not installed: $file"
done
[ -x "$root/bin/cavel" ] && [ -x "$root/bin/cavel-solve" ] || fail "the programs are not executable"

# make install puts the same files in the same places.
make -s -C "$source" install BUILD_DIR="$build" PREFIX="$prefix" DESTDIR="$work/made" \
  >"$work/make.log" 2>&1 || { cat "$work/make.log"; fail "make install"; }
(cd "$work/stage" && find . | sort) >"$work/by-cmake"
(cd "$work/made" && find . | sort) >"$work/by-make"
cmp -s "$work/by-cmake" "$work/by-make" || fail "make install differs: $(diff "$work/by-cmake" "$work/by-make")"

mkdir "$work/elsewhere"
cd "$work/elsewhere" || exit 1
"$root/bin/cavel-solve" --version >out 2>err
grep -qx "cavel-solve [0-9][0-9.]*" out && [ ! -s err ] || fail "installed cavel-solve --version: $(cat out err)"
"$root/bin/cavel-solve" "$root/share/cavel/puzzles/classic.txt" >out 2>err
cmp -s out "$source/data/puzzles/classic.expected" && [ ! -s err ] ||
  fail "installed cavel-solve on the installed classic.txt: $(cat out err)"
# The whole collection, whose files carry items about their puzzles.
[ "$(ls "$root/share/cavel/puzzles/collection" | wc -l)" = \
  "$(ls "$source/data/puzzles/collection" | wc -l)" ] || fail "the collection is not installed whole"
"$root/bin/cavel-solve" --metric path "$root/share/cavel/puzzles/collection/heng-dao-li-ma.txt" \
  >out 2>err
[ "$(head -1 out)" = "moves 81" ] && [ ! -s err ] ||
  fail "installed cavel-solve on an installed collection file: $(cat out err)"

for page in cavel cavel-solve; do
  LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$root/share/man/man6/$page.6" >out 2>err
  [ $? -eq 0 ] && [ ! -s err ] && grep -q "^NAME" out && grep -q "EXIT STATUS" out ||
    { fail "man -l $page.6:"; cat err; }
  # The data folder of this install, whatever prefix the build was made for,
  # by both ways of installing.
  for made in "$root" "$work/made$prefix"; do
    grep -q "$prefix/share/cavel/" "$made/share/man/man6/$page.6" &&
      [ "$(grep -c "/share/cavel/" "$made/share/man/man6/$page.6")" = \
        "$(grep -c "$prefix/share/cavel/" "$made/share/man/man6/$page.6")" ] ||
      fail "$made: $page.6 names another data folder: $(grep "/share/cavel/" "$made/share/man/man6/$page.6")"
  done
done
desktop-file-validate "$root/share/applications/cavel.desktop" >out 2>&1 && [ ! -s out ] ||
  { fail "desktop-file-validate:"; cat out; }

# The window program of a moved install, from a folder without font.bmp.
mv "$root" "$work/moved"
"$work/moved/bin/cavel" >out 2>err &
pid=$!
window=$(findWindow '^Cavel' 30)
if [ -z "$window" ]; then
  fail "no window from the moved install: $(cat out err)"
else
  sleep 0.5
  xdotool search --name '^Erreur$' >/dev/null && fail "a box came up"
  kill -0 "$pid" 2>/dev/null || fail "the program ended: $(cat out err)"
  xprop -id "$window" _NET_WM_ICON | grep -q "Icon (48 x 48)" || fail "no icon from the install"
  [ ! -s out ] && [ ! -s err ] || fail "the program printed: $(cat out err)"
fi
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
pid=
[ "$failures" -eq 0 ] && echo "installed, run from elsewhere and moved: all well"
exit $failures
