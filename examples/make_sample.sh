#!/usr/bin/env bash
# Makes what the sample chapter needs and does not keep in the repository:
# the page scans (drawn from a fixed seed) and the output folder. The fonts
# are Debian's DejaVu faces, named in the script and rasterised by drovix.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
mkdir -p "$here/out"
[ -f "$here/p04_.png" ] || /usr/bin/python3 "$here/make_sample_scans.py" "$here"
