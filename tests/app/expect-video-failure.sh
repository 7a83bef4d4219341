#!/bin/sh
# Without a usable display the program must say why and end with code 1,
# never run on unseen. A program that hangs is killed after 30 seconds.
err=$(mktemp)
timeout -s KILL 30 "$1" >/dev/null 2>"$err"
status=$?
reason=$(grep "^cavel: cannot" "$err")
cat "$err"
rm -f "$err"
[ "$status" -eq 1 ] || { echo "exit status $status, expected 1"; exit 1; }
[ -n "$reason" ] || { echo "no reason on standard error"; exit 1; }
