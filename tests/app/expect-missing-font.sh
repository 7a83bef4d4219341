#!/bin/sh
# Without a usable font.bmp the program must end with code -1 (255 here),
# after printing the reason on standard output and standard error. When the
# file is found nowhere, a modal box captioned "Erreur" says so too, and the
# program waits until Return closes it; when the file is there but is no
# bitmap, there is no box and the message says it cannot be read. A font.bmp
# in the working directory that is no bitmap, or a folder of that name, is
# passed over with a line on standard error for the install's.
#
# The program is a copy outside its build tree, which would otherwise read
# the source tree's data/, and outside any install.
#
# Runs on an X display of its own, so that no other test takes the keyboard
# focus from the box.
set -u
cavel=$1
fontFile=$2
if [ -z "${CAVEL_OWN_DISPLAY:-}" ]; then
  exec env CAVEL_OWN_DISPLAY=1 sh "$(dirname "$0")/../with-display.sh" sh "$0" "$@"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
mkdir bin && cp "$cavel" bin/cavel || exit 1
cavel=$work/bin/cavel
printf "Erreur : Le fichier font.bmp requis n'existe pas !!\n" >expected.txt
fail() {
  echo "$*"
  exit 1
}

# Waits up to ten seconds for process $1 to end; sets status to its exit
# status, or to "timeout" after ending it.
waitFor() {
  tries=0
  while kill -0 "$1" 2>/dev/null; do
    tries=$((tries + 1))
    if [ "$tries" -gt 100 ]; then
      kill "$1"
      wait "$1"
      status=timeout
      return
    fi
    sleep 0.1
  done
  wait "$1"
  status=$?
}

# A missing file: the box, then the message and code 255 after Return.
"$cavel" >out.txt 2>err.txt &
pid=$!
window=$(timeout 20 xdotool search --sync --name '^Erreur$' | head -n 1)
[ -n "$window" ] || { kill "$pid"; fail "no window captioned Erreur"; }
sleep 0.5
kill -0 "$pid" 2>/dev/null || fail "the program did not wait for the box to be closed"
xdotool windowfocus --sync "$window"
xdotool key Return
waitFor "$pid"
[ "$status" = 255 ] || fail "missing font.bmp: exit status $status, expected 255"
cmp -s out.txt expected.txt || { echo "missing font.bmp: standard output was:"; cat out.txt; exit 1; }
head -n 1 err.txt | cmp -s - expected.txt || { echo "missing font.bmp: standard error was:"; cat err.txt; exit 1; }
grep -qx "cavel: font.bmp is in none of these folders: the working directory, $work/share/cavel" err.txt ||
  { echo "missing font.bmp: standard error does not say where it looked:"; cat err.txt; exit 1; }

# A file that is no bitmap, and no other: code 255, the reason, no box to wait for.
printf "Erreur : Le fichier font.bmp requis ne peut pas \352tre lu !!\n" >unreadable.txt
echo "no bitmap here" >font.bmp
"$cavel" >out.txt 2>err.txt &
waitFor $!
[ "$status" = 255 ] || fail "font.bmp not a bitmap: exit status $status, expected 255"
cmp -s out.txt unreadable.txt || { echo "font.bmp not a bitmap: standard output was:"; cat out.txt; exit 1; }
grep -qx "cavel: font.bmp is no bitmap that can be loaded; passed over" err.txt ||
  { echo "font.bmp not a bitmap: standard error was:"; cat err.txt; exit 1; }
grep -qxF "$(cat unreadable.txt)" err.txt || { echo "font.bmp not a bitmap: standard error was:"; cat err.txt; exit 1; }

# The same file, or a folder named font.bmp, with a good font in the
# install's folder beside bin/: passed over, and the window opens.
mkdir -p share/cavel && cp "$fontFile" share/cavel/font.bmp || exit 1
for kind in file folder; do
  rm -rf font.bmp
  if [ "$kind" = file ]; then echo "no bitmap here" >font.bmp; else mkdir font.bmp; fi
  "$cavel" >out.txt 2>err.txt &
  pid=$!
  window=$(timeout 20 xdotool search --sync --name '^Cavel' | head -n 1)
  kill -0 "$pid" 2>/dev/null || { cat out.txt err.txt; fail "a bad font.bmp $kind ended the program"; }
  kill "$pid"
  wait "$pid" 2>/dev/null
  [ -n "$window" ] || fail "a bad font.bmp $kind: no window"
  [ ! -s out.txt ] || { cat out.txt; fail "a bad font.bmp $kind: standard output"; }
  [ "$(cat err.txt)" = "cavel: font.bmp is no bitmap that can be loaded; passed over" ] ||
    { cat err.txt; fail "a bad font.bmp $kind: standard error"; }
done
echo "a missing and an unusable font end with status 255 and the reason; a bad one is passed over"
