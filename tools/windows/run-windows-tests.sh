#!/usr/bin/env bash
# Runs a Windows build's tests under wine: the DLL's exports and imports checked, a fresh prefix inside
# the build folder, an Xvfb server for the window tests, ctest (which starts every test through
# tools/windows/wine-run.sh), then the render comparison with the Linux build, and the prefix's
# wineserver shut down at the end.
#   tools/windows/run-windows-tests.sh BUILD-FOLDER [LINUX-BUILD-FOLDER]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$(cd "$1" && pwd)
linux=$(cd "${2:-build}" && pwd)
export TARNWICK_WINEPREFIX=$build/wineprefix
server=$(command -v wineserver || echo /usr/lib/wine/wineserver)

# Xvfb picks a free display and prints its number.
number_file=$build/xvfb-display
rm -f "$number_file"
Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp >"$number_file" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do
  [ -s "$number_file" ] && break
  sleep 0.1
done
if [ ! -s "$number_file" ]; then
  echo "run-windows-tests.sh: Xvfb did not start" >&2
  exit 1
fi
display=:$(head -n1 "$number_file")
finish() {
  WINEPREFIX=$TARNWICK_WINEPREFIX "$server" -k 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
}
trap finish EXIT
export DISPLAY=$display

# A fresh prefix, made before the first test so that no test waits for it, and one wine server that
# stays up for the whole run (shut down at the end), so that no program pays for a server start or finds
# one shutting down. ctest runs each test program as one process (tests/CMakeLists.txt): wine starts,
# and the first window brings up wine's desktop process, once per program rather than once per case.
rm -rf "$TARNWICK_WINEPREFIX"
mkdir -p "$TARNWICK_WINEPREFIX"
WINEPREFIX=$TARNWICK_WINEPREFIX "$server" -p  # before any wine program, which would start one of its own
tools/windows/wine-run.sh wineboot --init
tools/windows/wine-run.sh cmd /c exit

tools/windows/check-dll.sh "$build/Tarnwick.dll"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
tools/windows/compare-renders.sh "$build" "$linux"
