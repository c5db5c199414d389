#!/usr/bin/env bash
# The main job: installs what is missing, builds Quarzel, and runs a test file headless with
# quarzel-run against the CAN interface of examples/quarzel.ini (the in-process simulated
# encoder), printing the protocol rows and the verdict. The default test file is the production
# test of the simulated encoder; with examples/quarzel-faulty.ini (pass --ini) the same test
# runs against an encoder with faults switched on and shows the failures.
#   scripts/run-example.sh [TESTFILE] [quarzel-run options...]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build >/dev/null
TEST="${1:-examples/encoder-production.tst}"
shift || true
set +e
INI=examples/quarzel.ini
if [ "${1:-}" = "--ini" ] && [ -n "${2:-}" ]; then INI="$2"; shift 2; fi
build/src/app/quarzel-run --ini "$INI" "$TEST" "$@"
code=$?
set -e
echo "quarzel-run exit code: $code"
exit "$code"
