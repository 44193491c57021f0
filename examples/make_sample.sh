#!/usr/bin/env bash
# Makes what the sample chapter needs and does not keep in the repository:
# font sheets rendered from Debian's DejaVu faces, the page scans (drawn from
# a fixed seed) and the output folder. Argument: the build folder.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:-$here/../build}" && pwd)"
dejavu=/usr/share/fonts/truetype/dejavu
mkdir -p "$here/fonts" "$here/out"
make_sheet() {
  [ -f "$here/fonts/$2.png" ] || "$build/drovix-fontsheet" "$dejavu/$1" "$here/fonts/$2" --size 20
}
make_sheet DejaVuSans.ttf normal
make_sheet DejaVuSans-Bold.ttf bold
make_sheet DejaVuSans-Oblique.ttf italic
[ -f "$here/p04_.png" ] || /usr/bin/python3 "$here/make_sample_scans.py" "$here"
