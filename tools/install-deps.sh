#!/usr/bin/env bash
# Installs what building, testing and rendering need on Debian 12 (run as root; a no-op when present):
# the Linux build's packages (with the LV2 headers and schemas, lv2_validate and its sord_validate, lilv for
# the LV2 tests and tools only, and the jalv host), the MinGW-w64 cross compilers for the Windows DLLs, and
# wine (64- and 32-bit, without its recommended extras) to run the Windows tests.
set -euo pipefail
packages=(build-essential cmake ninja-build pkg-config libgtest-dev libgmock-dev googletest libbenchmark-dev
          libsndfile1-dev sox libsoxr-dev libfftw3-dev libstb-dev fonts-dejavu-core libx11-dev xvfb xauth
          libxtst-dev clang-14 libclang-rt-14-dev clang-format-14 lv2-dev sordi liblilv-dev lilv-utils jalv
          g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix)
wine_packages=(wine64 wine32:i386)

missing() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}
mapfile -t missing_packages < <(missing "${packages[@]}")
mapfile -t missing_wine < <(missing "${wine_packages[@]}")
if [ ${#missing_packages[@]} -eq 0 ] && [ ${#missing_wine[@]} -eq 0 ]; then
  exit 0
fi
if [ "$(id -u)" != 0 ]; then
  echo "missing packages (install as root): ${missing_packages[*]} ${missing_wine[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
# 32-bit wine comes from the i386 architecture.
if [ ${#missing_wine[@]} -gt 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
apt-get update -qq
if [ ${#missing_packages[@]} -gt 0 ]; then
  apt-get install -y -qq "${missing_packages[@]}"
fi
if [ ${#missing_wine[@]} -gt 0 ]; then
  apt-get install -y -qq --no-install-recommends "${missing_wine[@]}"
fi
