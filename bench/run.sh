#!/usr/bin/env bash
# Builds the benchmarks (optimised) and prints each figure on a line of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_TYPE=Release scripts/setup.sh build-bench -DQUARZEL_BUILD_BENCH=ON -DQUARZEL_BUILD_TESTS=OFF >/dev/null
for b in $(find build-bench/bench -maxdepth 3 -type f -name 'bench_*' -perm -u+x | sort); do
  "$b"
done
