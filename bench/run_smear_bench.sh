#!/bin/sh
# Text-removal benchmark with OpenCV's inpainting as a yardstick.
#
#   bench/run_smear_bench.sh [build folder]
#
# Installs Debian's libopencv-dev when it is missing (needs root or sudo),
# builds bench_smear with the project (-DDROVIX_BENCH=ON) and the small
# OpenCV comparison program on its own, then prints one table for both, for
# the page with screen tone and for the page without it, and leaves a
# side-by-side crop (page, lettering, Telea, SPATTERN) in the build folder.
# OpenCV is used only here: the program and its tests never link it.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build-bench"}

if ! pkg-config --exists opencv4 2>/dev/null; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends libopencv-dev pkg-config
fi

cmake -S "$root" -B "$build" -DDROVIX_BENCH=ON -DDROVIX_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target bench_smear
# shellcheck disable=SC2046  # pkg-config output is a list of flags
g++ -std=c++20 -O2 -Wall -Wextra -o "$build/smear_inpaint" "$root/bench/smear_inpaint/smear_inpaint.cpp" \
  $(pkg-config --cflags opencv4 | sed "s/-I/-isystem /g") $(pkg-config --libs opencv4)

# The page with screen tone, then the same page without it. The first run
# also leaves the SPATTERN result for the side-by-side picture.
"$build/bench/bench_smear" --only SPATTERN --dump "$build/spattern.pgm" >/dev/null
# Telea and Navier-Stokes on the whole page take many minutes each in
# OpenCV; set SMEAR_BENCH_TILED=1 for Telea alone on 256-pixel tiles with a
# margin (seconds instead, and all but the same result: Telea reaches 5 pixels).
inpaint_keys=""
[ "${SMEAR_BENCH_TILED:-0}" = 1 ] && inpaint_keys="--tiled"
# shellcheck disable=SC2086  # the keys are a list
"$build/smear_inpaint" $inpaint_keys --picture "$build/smear_compare.png" "$build/spattern.pgm" >"$build/smear_inpaint.rows"
"$build/bench/bench_smear" --extra "$build/smear_inpaint.rows"
echo
# shellcheck disable=SC2086
"$build/smear_inpaint" $inpaint_keys --plain >"$build/smear_inpaint_plain.rows"
"$build/bench/bench_smear" --plain --extra "$build/smear_inpaint_plain.rows"
echo
echo "side-by-side crop: $build/smear_compare.png"
