#!/bin/sh
# Without a usable display the program must say why and end with code 1.
"$1" >/dev/null 2>err.txt
status=$?
[ "$status" -eq 1 ] || { echo "exit status $status, expected 1"; exit 1; }
grep -q "cannot" err.txt || { echo "no reason on standard error:"; cat err.txt; exit 1; }
