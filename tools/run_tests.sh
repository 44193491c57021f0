#!/usr/bin/env bash
# Checks the layout of the C++ files (skipped with DROVIX_SKIP_FORMAT=1),
# builds the program and runs the whole test suite, then:
#   - the same suite under AddressSanitizer and UndefinedBehaviorSanitizer
#     (skipped with DROVIX_SKIP_SANITIZE=1),
#   - the tests of pages built side by side under ThreadSanitizer
#     (skipped with DROVIX_SKIP_TSAN=1),
#   - every libFuzzer target of fuzz/ for a short while, DROVIX_FUZZ_SECONDS
#     each, 15 by default (skipped with DROVIX_SKIP_FUZZ=1).
# Prints the time each part took.
set -euo pipefail
cd "$(dirname "$0")/.."
deps=()
if [ "${DROVIX_SKIP_FUZZ:-0}" != 1 ]; then deps+=(--fuzz); fi
if [ "${DROVIX_SKIP_FORMAT:-0}" != 1 ]; then deps+=(--format); fi
tools/install_deps.sh "${deps[@]}"
jobs=${DROVIX_JOBS:-$(nproc)}
export DROVIX_JOBS=$jobs
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi

started=$SECONDS
part_started=$SECONDS
part() {
  echo "== $1 took $((SECONDS - part_started)) s (total $((SECONDS - started)) s)"
  part_started=$SECONDS
}

if [ "${DROVIX_SKIP_FORMAT:-0}" != 1 ]; then
  tools/check_format.sh
  part "layout check"
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDROVIX_TESTS=ON "${launcher[@]}" >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"
part "tests"

if [ "${DROVIX_SKIP_SANITIZE:-0}" != 1 ]; then
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DDROVIX_SANITIZE=ON -DDROVIX_TESTS=ON "${launcher[@]}" >/dev/null
  cmake --build build-asan -j"$jobs"
  ASAN_OPTIONS=detect_leaks=1 ctest --test-dir build-asan --output-on-failure -j"$jobs"
  part "sanitized tests"
fi

if [ "${DROVIX_SKIP_TSAN:-0}" != 1 ]; then
  # The parallel tests run the program itself, built with the same
  # sanitizer: a race reported there ends the program with status 66, which
  # the tests see as a failed run.
  cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDROVIX_TSAN=ON -DDROVIX_TESTS=ON \
    "${launcher[@]}" >/dev/null
  cmake --build build-tsan -j"$jobs" --target drovix drovix-fontsheet test_program test_scan test_console
  export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ${TSAN_OPTIONS:-}"
  build-tsan/tests/test_console --gtest_filter='CoreLease*:ConsoleChannel*'
  build-tsan/tests/test_program --gtest_filter='Parallel*'
  build-tsan/tests/test_scan --gtest_filter='SmearRandom*:GoldenScan.OperationsSplit*'
  unset TSAN_OPTIONS
  part "thread-sanitized parallel tests"
fi

if [ "${DROVIX_SKIP_FUZZ:-0}" != 1 ]; then
  tools/fuzz.sh "${DROVIX_FUZZ_SECONDS:-15}"
  part "fuzz targets"
fi
