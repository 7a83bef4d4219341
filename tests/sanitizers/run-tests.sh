#!/bin/sh
# Runs the tests of a sanitized build (make check-asan, make check-tsan) on a
# virtual display, then fails if any process left a sanitizer report behind,
# showing the reports.
# usage: run-tests.sh BUILD-DIR JOBS
set -u
build=$1
jobs=$2
reports=$build/sanitizer-reports
rm -rf "$reports"
mkdir -p "$reports"
xvfb-run -a -s "-screen 0 1024x768x24 -noreset" \
  ctest --test-dir "$build" --output-on-failure -j "$jobs"
status=$?
if [ -n "$(ls -A "$reports")" ]; then
  for report in "$reports"/*; do
    echo "==== $report"
    cat "$report"
  done
  echo "sanitizer reports in $reports: $(ls "$reports" | wc -l)"
  status=1
fi
exit $status
