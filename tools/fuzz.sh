#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer (-DDROVIX_FUZZ=ON, in build-fuzz/) and runs each
# for the given time, one after another.
#   tools/fuzz.sh [seconds per target, default 60] [target ...]
# Without targets every fuzz/fuzz_*.cpp is run. Corpora grow in
# build-fuzz/corpus/<target>/, inputs that crash, leak, time out or run out of
# memory land in build-fuzz/findings/<target>/. Exits with 1 when any target
# found something.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install_deps.sh --fuzz
seconds=${1:-60}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in fuzz/fuzz_*.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi

launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDROVIX_FUZZ=ON \
  -DDROVIX_TESTS=OFF "${launcher[@]}" >/dev/null
cmake --build build-fuzz -j"${DROVIX_JOBS:-$(nproc)}" --target "${targets[@]}"

status=0
for t in "${targets[@]}"; do
  corpus=build-fuzz/corpus/$t
  findings=build-fuzz/findings/$t
  mkdir -p "$corpus" "$findings"
  # Font sheets are large pictures: their inputs need room. The targets that
  # build pages run slowly; they try long inputs from the start instead of
  # growing them a few bytes at a time.
  max_len=4096
  len_control=100
  [ "$t" = fuzz_font ] && max_len=65536
  # Room for three balloon texts of up to 1200 bytes each.
  [ "$t" = fuzz_build ] && max_len=8192
  case "$t" in fuzz_font | fuzz_markup | fuzz_build) len_control=0 ;; esac
  # A whole build of a page one pixel wide works on 200 x 12800 pixels: on
  # a busy machine that takes a minute under the sanitizers without hanging.
  timeout=60
  [ "$t" = fuzz_build ] && timeout=300
  echo "== $t: ${seconds}s"
  if ! build-fuzz/fuzz/"$t" "$corpus" -max_total_time="$seconds" -max_len="$max_len" \
    -len_control="$len_control" -timeout="$timeout" \
    -rss_limit_mb=2048 -artifact_prefix="$findings/" -print_final_stats=1; then
    echo "== $t: FOUND SOMETHING, see $findings/"
    status=1
  fi
done
exit $status
