#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
#   tools/install_deps.sh [--fuzz] [--format]
# --fuzz adds what the libFuzzer targets need (tools/fuzz.sh), --format the
# layout checker (tools/check_format.sh).
set -euo pipefail
pkgs=(g++ cmake make libgtest-dev libpng-dev libpng16-16 libfreetype-dev fonts-dejavu-core python3-pil)
# clang and its sanitizer and fuzzer runtimes.
for option in "$@"; do
  case "$option" in
    --fuzz) pkgs+=(clang libclang-rt-dev) ;;
    --format) pkgs+=(clang-format) ;;
  esac
done
missing=()
for p in "${pkgs[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
