#!/bin/sh
# The Debian package: make deb builds it; lintian finds no error and no
# warning (the overrides file says why each tag it silences is no fault);
# its AppStream metadata validates; unpacked with dpkg-deb -x into a folder
# of its own, its solver solves the classic and its window opens the classic
# on a display of its own, with no box about font.bmp.
# usage: expect-deb.sh SOURCE-DIR WORK-DIR
set -u
source=$1
work=$2
if [ -z "${CAVEL_OWN_DISPLAY:-}" ]; then
  exec env CAVEL_OWN_DISPLAY=1 sh "$source/tests/with-display.sh" sh "$0" "$@"
fi
. "$source/tests/window-search.sh"
pid=
unpacked=$(mktemp -d)
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$unpacked"' EXIT
failures=0
fail() {
  echo "FAIL $*"
  failures=1
}

make -s -C "$source" deb DEB_DIR="$work" >"$unpacked/make.log" 2>&1 ||
  { tail -40 "$unpacked/make.log"; echo "FAIL make deb"; exit 1; }
package=$(ls "$work"/cavel_*.deb 2>/dev/null | head -n 1)
[ -n "$package" ] || { echo "FAIL no cavel_*.deb in $work"; exit 1; }
case $(basename "$package") in
  cavel_[0-9]*.[0-9]*.[0-9]*_"$(dpkg --print-architecture)".deb) ;;
  *) fail "the package's name: $(basename "$package")" ;;
esac

# Errors and warnings fail; information tags are left alone.
lintian --no-tag-display-limit "$package" >"$unpacked/lintian" 2>&1
grep -E '^(E|W): ' "$unpacked/lintian" && fail "lintian"
dpkg-deb -f "$package" Section | grep -qx games || fail "section: $(dpkg-deb -f "$package" Section)"
dpkg-deb -f "$package" Depends | grep -q libsdl1.2 || fail "no SDL in Depends"

dpkg-deb -x "$package" "$unpacked/root" || { echo "FAIL dpkg-deb -x"; exit 1; }
root=$unpacked/root/usr
for file in games/cavel games/cavel-solve share/games/cavel/font.bmp \
            share/games/cavel/puzzles/classic.txt share/games/cavel/puzzles/collection \
            share/man/man6/cavel.6.gz share/man/man6/cavel-solve.6.gz \
            share/doc/cavel/copyright share/doc/cavel/changelog.gz \
            share/applications/cavel.desktop share/metainfo/cavel.metainfo.xml \
            share/icons/hicolor/48x48/apps/cavel.png; do
  [ -e "$root/$file" ] || fail "not in the package: /usr/$file"
done
file "$root/games/cavel-solve" | grep -q ", stripped" || fail "cavel-solve is not stripped"
appstreamcli validate --no-net "$root/share/metainfo/cavel.metainfo.xml" >"$unpacked/as" 2>&1 ||
  { fail "appstreamcli validate:"; cat "$unpacked/as"; }
grep -q "Copyright 2026 the Cavel authors" "$source/LICENSE" || fail "LICENSE"
grep -q "^License: Expat" "$root/share/doc/cavel/copyright" || fail "the copyright file"
zcat "$root/share/man/man6/cavel-solve.6.gz" | grep -q "/usr/share/games/cavel" ||
  fail "the man page does not name the package's data folder"

mkdir "$unpacked/elsewhere"
cd "$unpacked/elsewhere" || exit 1
"$root/games/cavel-solve" "$root/share/games/cavel/puzzles/classic.txt" >out 2>err
head -n 1 out | grep -qx "moves 116" && [ ! -s err ] ||
  fail "the packaged solver on the classic: $(cat out err)"

"$root/games/cavel" "$root/share/games/cavel/puzzles/classic.txt" >out 2>err &
pid=$!
window=$(findWindow '^Cavel' 30)
if [ -z "$window" ]; then
  fail "no window from the packaged program: $(cat out err)"
else
  sleep 0.5
  xdotool search --name '^Erreur$' >/dev/null && fail "a box came up"
  kill -0 "$pid" 2>/dev/null || fail "the packaged program ended: $(cat out err)"
  [ ! -s err ] || fail "the packaged program printed: $(cat err)"
fi
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
pid=
[ "$failures" -eq 0 ] && echo "the package builds, passes lintian and runs unpacked"
exit $failures
