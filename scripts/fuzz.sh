#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer) in
# build-fuzz and runs each for the given number of seconds (default 20), seeded with the
# example files.
#   scripts/fuzz.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH="${1:-20}"
FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
# clang and its runtime come with scripts/setup.sh (run by scripts/test.sh before this).
command -v clang++ >/dev/null || { echo "clang++ is missing: run scripts/setup.sh first" >&2; exit 1; }
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUARZEL_BUILD_FUZZ=ON -DQUARZEL_BUILD_TESTS=OFF \
  -DCMAKE_C_FLAGS="$FLAGS" -DCMAKE_CXX_FLAGS="$FLAGS" >/dev/null
cmake --build build-fuzz --target fuzzers --parallel "$(nproc)" >/dev/null
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_LOGGING_RULES="*=false"
status=0
for f in $(find build-fuzz/fuzz -maxdepth 1 -type f -name 'fuzz_*' -perm -u+x | sort); do
  name=$(basename "$f")
  work="build-fuzz/corpus/$name"
  log="build-fuzz/$name.log"
  mkdir -p "$work"
  set +e
  "$f" -max_total_time="$SECONDS_EACH" -timeout=10 -max_len=8192 -print_final_stats=1 \
    "$work" examples >"$log" 2>&1
  rc=$?
  set -e
  runs=$(grep -Eo 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -Eo '[0-9]+$' || echo "?")
  if [ "$rc" -eq 0 ]; then
    echo "$name: ok, $runs inputs in ${SECONDS_EACH} s"
  else
    status=1
    echo "$name: FAILED (exit $rc); the end of $log:"
    tail -40 "$log"
  fi
done
exit $status
