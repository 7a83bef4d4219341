#!/bin/sh
# Makes the README's screenshots (docs/screenshots/*.png) on a virtual display.
set -eu
usage="usage: tools/make-screenshots.sh   (builds, then takes docs/screenshots/*.png anew)"
case "$#:${1:-}" in
  0:) ;;
  1:--help | 1:-h) echo "$usage"; exit 0 ;;
  *) echo "$usage" >&2; exit 2 ;;
esac
cd "$(dirname "$0")/.."
make
exec xvfb-run -a -s "-screen 0 640x480x24 -noreset" python3 tools/screenshots.py build data docs/screenshots
