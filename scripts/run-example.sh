#!/usr/bin/env bash
# The main job: installs what is missing, builds Quarzel, and runs a test file headless with
# quarzel-run against the CAN interface of examples/quarzel.ini (the in-process simulated
# encoder), printing the protocol rows and the verdict.
#   scripts/run-example.sh [TESTFILE] [quarzel-run options...]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build >/dev/null
TEST="${1:-examples/labels-and-loops.tst}"
shift || true
if [ "$TEST" = examples/labels-and-loops.tst ]; then
  echo "examples/labels-and-loops.tst: labels, nested loops and an expression; it sends no CANopen frames."
fi
set +e
build/src/app/quarzel-run --ini examples/quarzel.ini "$TEST" "$@"
code=$?
set -e
echo "quarzel-run exit code: $code"
exit "$code"
