#!/bin/sh
# Runs a command on a virtual X display of its own, so that tests running side
# by side never share the keyboard focus. Xvfb picks a free display number
# itself (-displayfd), which avoids the race of two starts choosing the same.
# usage: with-display.sh COMMAND [ARGUMENT...]
set -u
numberFile=$(mktemp)
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp -noreset 3>"$numberFile" >/dev/null 2>&1 &
server=$!
tries=0
while [ ! -s "$numberFile" ]; do
  tries=$((tries + 1))
  if [ "$tries" -gt 200 ] || ! kill -0 "$server" 2>/dev/null; then
    echo "cannot start Xvfb" >&2
    exit 1
  fi
  sleep 0.05
done
DISPLAY=":$(cat "$numberFile")"
export DISPLAY
rm -f "$numberFile"
"$@"
status=$?
kill "$server" 2>/dev/null
wait "$server" 2>/dev/null
exit "$status"
