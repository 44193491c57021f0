#!/bin/sh
# Rewrites the golden checksums (tests/data/golden/*.txt) from the outputs of
# the program as it is built now: run it only after a change that is meant to
# change output, and say in the commit why the pages changed.
#
#   tools/update_golden.sh [build folder]     (build by default)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}
cmake --build "$build" -j2 --target drovix test_program test_scan
DROVIX_GOLDEN_UPDATE=1 "$build/tests/test_program" --gtest_filter='Runs/GoldenPages.*' >/dev/null
DROVIX_GOLDEN_UPDATE=1 "$build/tests/test_scan" --gtest_filter='GoldenScan.*' >/dev/null
git -C "$root" status --short tests/data/golden
