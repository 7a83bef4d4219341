#!/bin/sh
# Runs a program with a fault planted in it and passes only when the
# sanitizer reports that fault: a failure status and, on standard error, each
# of the expected lines. A crash or a failure of any other kind fails.
# usage: expect-report.sh PROGRAM EXPECTED-TEXT...
set -u
program=$1
shift
# The report comes to this script, not to the build's reports folder that
# make check requires to stay empty.
ASAN_OPTIONS="${ASAN_OPTIONS:-}:log_path=stderr"
TSAN_OPTIONS="${TSAN_OPTIONS:-}:log_path=stderr"
export ASAN_OPTIONS TSAN_OPTIONS
output=$("$program" 2>&1)
status=$?
if [ "$status" -eq 0 ]; then
  echo "FAIL $program ended with status 0: the sanitizer saw nothing"
  printf '%s\n' "$output"
  exit 1
fi
for expected in "$@"; do
  if ! printf '%s\n' "$output" | grep -qF -- "$expected"; then
    echo "FAIL $program (status $status): no \"$expected\" in its report:"
    printf '%s\n' "$output"
    exit 1
  fi
done
echo "ok   $program: status $status, reported as expected"
