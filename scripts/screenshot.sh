#!/usr/bin/env bash
# The picture of the main window for the documentation. Starts the desktop station under a
# virtual display (Xvfb) with the example configuration, which talks to the simulated encoder,
# loads the production example as the File menu does, presses START and saves
# docs/quarzel-main-window.png once the run has ended. The examples are used from a copy, so
# the station's quarzel.ini written at the end does not change them.
#   scripts/screenshot.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
BUILD_DIR="${1:-build}"
if [ ! -f "$BUILD_DIR/build.ninja" ]; then
  scripts/setup.sh "$BUILD_DIR"
else
  cmake --build "$BUILD_DIR" --target quarzel quarzel-snapshot
fi

TEST=encoder-production.tst
[ -f "examples/$TEST" ] || TEST=labels-and-loops.tst

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp -r examples/. "$work/"
export QUARZEL_CONTROL_PIPE="$work/QuarzelControl"
cd "$work"

# The station itself must come up and keep running until it is closed.
set +e
timeout 5 xvfb-run -a "$root/$BUILD_DIR/src/desktop/quarzel" >/dev/null 2>&1
rc=$?
set -e
if [ "$rc" -ne 124 ]; then
  echo "quarzel ended by itself (exit code $rc) instead of showing its window" >&2
  exit 1
fi

xvfb-run -a -s "-screen 0 1280x900x24" "$root/$BUILD_DIR/src/desktop/quarzel-snapshot" \
  "$TEST" "$root/docs/quarzel-main-window.png"
echo "docs/quarzel-main-window.png ($TEST)"
