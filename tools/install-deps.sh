#!/usr/bin/env bash
# Installs what building, testing and rendering need on Debian 12 (run as root; a no-op when present).
set -euo pipefail
packages=(build-essential cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          libsndfile1-dev sox libsoxr-dev libfftw3-dev libstb-dev fonts-dejavu-core libx11-dev xvfb xauth
          libxtst-dev clang-14 libclang-rt-14-dev clang-format-14)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" != 0 ]; then
    echo "missing packages (install as root): ${missing[*]}" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}"
fi
