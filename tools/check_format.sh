#!/usr/bin/env bash
# Checks that every C++ file is laid out as .clang-format says, and names the
# files that are not (tools/check_format.sh --fix lays them out in place).
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(find src tests bench fuzz tools -name '*.cpp' -o -name '*.h' | sort)
if [ "${1:-}" = --fix ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
bad=()
for f in "${files[@]}"; do
  clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
if ((${#bad[@]})); then
  echo "Not laid out as .clang-format says (tools/check_format.sh --fix lays them out):"
  printf '  %s\n' "${bad[@]}"
  exit 1
fi
echo "Layout: ${#files[@]} files as .clang-format says."
