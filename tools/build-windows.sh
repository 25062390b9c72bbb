#!/usr/bin/env bash
# Builds Tarnwick.dll for 64-bit Windows (build-win64/) and 32-bit Windows (build-win32/), each with
# tarnwick-host.exe and the test programs, using Debian's MinGW-w64 compilers. The generators that draw
# the bitmaps, the glyphs and the test recording run on this machine: they come from the native build
# (build/, or $TARNWICK_NATIVE_BUILD), made here when missing.
#   tools/build-windows.sh [win64|win32]...     (both when none is named)
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
jobs=$(nproc)
native=${TARNWICK_NATIVE_BUILD:-build}
if [ ! -f "$native/CMakeCache.txt" ]; then
  cmake -S . -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$native" -j"$jobs" --target tarnwick-bitmaps tarnwick_font_atlas_gen tarnwick-gen

targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(win64 win32)
for target in "${targets[@]}"; do
  case "$target" in
    win64) arch=x86_64 ;;
    win32) arch=i686 ;;
    *) echo "build-windows.sh: unknown target '$target' (win64 or win32)" >&2; exit 2 ;;
  esac
  echo "== $target ($arch)"
  cmake -S . -B "build-$target" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="cmake/toolchains/mingw-w64-$arch.cmake" \
        -DTARNWICK_HOST_TOOLS="$PWD/$native" -DTARNWICK_WERROR="${TARNWICK_WERROR:-OFF}" \
        -DCMAKE_UNITY_BUILD="${TARNWICK_UNITY_BUILD:-OFF}" >/dev/null
  cmake --build "build-$target" -j"$jobs"
  echo "build-$target/Tarnwick.dll"
done
