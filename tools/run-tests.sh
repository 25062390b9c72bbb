#!/usr/bin/env bash
# The test command: installs what is missing, then builds and runs every suite in the normal build,
# in an AddressSanitizer + UndefinedBehaviorSanitizer build, the threaded tests under ThreadSanitizer,
# the fuzzers for a bounded time, and the Windows builds' suites under wine.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
jobs=$(nproc)

echo "== format"
tools/check-format.sh

echo "== normal build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== address + undefined-behaviour sanitizer build"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARNWICK_SANITIZE=address,undefined \
      -DTARNWICK_BENCH=OFF >/dev/null
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 ctest --test-dir build-asan --output-on-failure -j"$jobs"

echo "== thread sanitizer build (threaded tests)"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNWICK_SANITIZE=thread \
      -DTARNWICK_BENCH=OFF >/dev/null
cmake --build build-tsan -j"$jobs"
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  ctest --test-dir build-tsan --output-on-failure -j"$jobs" -L threads

echo "== fuzzers (bounded run over the committed corpus)"
tools/run-fuzzers.sh

echo "== Windows DLLs (MinGW-w64) and their tests under wine"
tools/build-windows.sh win64 win32
for target in win64 win32; do
  echo "== tests of build-$target under wine"
  tools/windows/run-windows-tests.sh "build-$target" build
done
