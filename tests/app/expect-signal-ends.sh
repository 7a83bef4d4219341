#!/bin/sh
# SIGTERM ends the program as a signal does, not as a close request would.
workdir=$(mktemp -d)
trap 'rm -rf "$workdir"' EXIT
cp "$2/font.bmp" "$workdir/"
cd "$workdir" || exit 1
"$1" >/dev/null 2>&1 &
pid=$!
sleep 2
kill -TERM "$pid"
tries=0
while kill -0 "$pid" 2>/dev/null; do
  tries=$((tries + 1))
  if [ "$tries" -gt 100 ]; then
    kill -KILL "$pid"
    echo "still running 10 s after SIGTERM"
    exit 1
  fi
  sleep 0.1
done
wait "$pid"
status=$?
[ "$status" -eq 143 ] || { echo "exit status $status, expected 143 (SIGTERM)"; exit 1; }
