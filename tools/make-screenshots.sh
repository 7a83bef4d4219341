#!/bin/sh
# Makes the README's screenshots (docs/screenshots/*.png) on a virtual display.
set -eu
cd "$(dirname "$0")/.."
make
exec xvfb-run -a -s "-screen 0 640x480x24 -noreset" python3 tools/screenshots.py build data docs/screenshots
