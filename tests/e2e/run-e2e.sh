#!/bin/sh
# Runs one end-to-end test script on a virtual display of its own.
# usage: run-e2e.sh SCRIPT BUILD-DIR DATA-DIR
exec xvfb-run -a -s "-screen 0 640x480x24" python3 "$@"
