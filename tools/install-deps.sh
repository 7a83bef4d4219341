#!/bin/sh
# Installs the Debian packages that building (and, with "test", testing) need,
# when any is missing. As root it runs apt-get; otherwise it prints the
# command to run and fails.
set -eu

usage="usage: tools/install-deps.sh [test|deb]   (the build's packages; with test, the tests' too; with deb, the Debian package's)"
case "$#:${1:-}" in
  0: | 1:test | 1:deb) ;;
  1:--help | 1:-h) echo "$usage"; exit 0 ;;
  *) echo "$usage" >&2; exit 2 ;;
esac

packages="g++ cmake make pkg-config libsdl1.2-compat-dev libgl-dev libglu1-mesa-dev libx11-dev"
if [ "${1:-}" = "test" ]; then
  packages="$packages libgtest-dev libbenchmark-dev clang libclang-rt-14-dev xvfb xauth xdotool xclip x11-utils imagemagick fonts-dejavu-core python3 python3-pil"
  # The install's man pages and desktop entry are checked, and the solver's
  # progress line on a terminal.
  packages="$packages man-db groff-base desktop-file-utils tmux bsdutils"
fi
# The Debian package is built, checked and tried by a test too.
if [ "${1:-}" = "test" ] || [ "${1:-}" = "deb" ]; then
  packages="$packages dpkg-dev lintian appstream"
fi

missing=""
for package in $packages; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  case "$status" in
    *" installed") ;;
    *) missing="$missing $package" ;;
  esac
done
[ -z "$missing" ] && exit 0

command="apt-get install -y --no-install-recommends$missing"
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages:$missing" >&2
  echo "Install them with:  sudo $command" >&2
  exit 1
fi
echo "Installing:$missing"
export DEBIAN_FRONTEND=noninteractive
# A fresh machine may have no package lists yet: update and try once more.
$command || { apt-get update && $command; }
