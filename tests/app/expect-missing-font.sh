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

. "$(dirname "$0")/../window-search.sh"

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

# Standard error ($1) holds whole lines only, each ending with a newline, and
# no X error, whoever printed it ($2, what xdotool printed, when given).
wholeLinesNoXError() {
  if [ -s "$1" ] && [ "$(tail -c 1 "$1" | od -An -c | tr -d ' ')" != '\n' ]; then
    echo "$case: the last line of standard error has no newline:"; cat "$1"; exit 1
  fi
  if grep -q "X Error" "$1" ${2:+"$2"}; then
    echo "$case: an X error on standard error:"; cat "$1" ${2:+"$2"}; exit 1
  fi
}

# A missing file: the box, then the message and code 255 once it is closed,
# by Return pressed on the keyboard (the box takes the focus), or by Return
# sent to the box alone, press and release, as a program may close it: the
# box must still be there for the release.
for how in keyboard sent; do
  case="missing font.bmp, Return $how"
  "$cavel" >out.txt 2>err.txt &
  pid=$!
  window=$(findWindow '^Erreur$' 20)
  [ -n "$window" ] || { kill "$pid"; fail "$case: no window captioned Erreur"; }
  sleep 0.5
  kill -0 "$pid" 2>/dev/null || fail "$case: the program did not wait for the box to be closed"
  if [ $how = keyboard ]; then
    xdotool windowfocus --sync "$window"
    xdotool key Return
  else
    xdotool key --window "$window" Return 2>xdotool.txt
  fi
  waitFor "$pid"
  [ "$status" = 255 ] || fail "$case: exit status $status, expected 255"
  cmp -s out.txt expected.txt || { echo "$case: standard output was:"; cat out.txt; exit 1; }
  head -n 1 err.txt | cmp -s - expected.txt || { echo "$case: standard error was:"; cat err.txt; exit 1; }
  grep -qx "cavel: font.bmp is in none of these folders: the working directory, $work/share/cavel" err.txt ||
    { echo "$case: standard error does not say where it looked:"; cat err.txt; exit 1; }
  if [ $how = keyboard ]; then wholeLinesNoXError err.txt; else wholeLinesNoXError err.txt xdotool.txt; fi
done

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
case="font.bmp not a bitmap"
wholeLinesNoXError err.txt

# The same file, or a folder named font.bmp, with a good font in the
# install's folder beside bin/: passed over, and the window opens.
mkdir -p share/cavel && cp "$fontFile" share/cavel/font.bmp || exit 1
for kind in file folder; do
  rm -rf font.bmp
  if [ "$kind" = file ]; then echo "no bitmap here" >font.bmp; else mkdir font.bmp; fi
  "$cavel" >out.txt 2>err.txt &
  pid=$!
  window=$(findWindow '^Cavel' 20)
  kill -0 "$pid" 2>/dev/null || { cat out.txt err.txt; fail "a bad font.bmp $kind ended the program"; }
  kill "$pid"
  wait "$pid" 2>/dev/null
  [ -n "$window" ] || fail "a bad font.bmp $kind: no window"
  [ ! -s out.txt ] || { cat out.txt; fail "a bad font.bmp $kind: standard output"; }
  [ "$(cat err.txt)" = "cavel: font.bmp is no bitmap that can be loaded; passed over" ] ||
    { cat err.txt; fail "a bad font.bmp $kind: standard error"; }
done
echo "a missing and an unusable font end with status 255 and the reason; a bad one is passed over"
