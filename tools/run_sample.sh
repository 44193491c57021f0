#!/usr/bin/env bash
# Builds the program and builds the bundled sample chapter with it.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install_deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDROVIX_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)" --target drovix
if [ -x examples/make_sample.sh ]; then examples/make_sample.sh; fi
build/drovix examples/chapter.manga "$@" </dev/null
echo "Finished pages: $(pwd)/examples/out/"
