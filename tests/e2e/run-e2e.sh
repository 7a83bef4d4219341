#!/bin/sh
# Runs one end-to-end test script on a virtual display of its own.
# usage: run-e2e.sh SCRIPT BUILD-DIR DATA-DIR
exec sh "$(dirname "$0")/../with-display.sh" python3 "$@"
