#!/usr/bin/env bash
# The test command: installs what is missing, then builds and runs every suite in the normal build,
# in an AddressSanitizer + UndefinedBehaviorSanitizer build, the threaded tests under ThreadSanitizer,
# the fuzzers for a bounded number of runs, and the Windows builds' suites under wine. Every build
# treats a compiler warning as an error. Prints what each stage cost at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
export TARNWICK_WERROR=ON  # the fuzz and Windows builds too
started=$SECONDS
stages=()
stage_start=$SECONDS
stage() {  # stage NAME: closes the running stage's clock and opens the next
  if [ -n "${stage_name:-}" ]; then stages+=("$(printf '%-44s %5d s' "$stage_name" $((SECONDS - stage_start)))"); fi
  stage_name=$1
  stage_start=$SECONDS
  [ -z "$1" ] || echo "== $1"
}
report() {
  stage ""
  echo "== time per stage"
  printf '  %s\n' "${stages[@]}"
  echo "  total $((SECONDS - started)) s"
}
trap report EXIT

stage "packages"
tools/install-deps.sh

stage "format"
tools/check-format.sh

stage "normal build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARNWICK_WERROR=ON >/dev/null
cmake --build build -j"$jobs"
stage "normal tests"
ctest --test-dir build --output-on-failure -j"$jobs"

stage "address + undefined-behaviour sanitizer build"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARNWICK_SANITIZE=address,undefined \
      -DTARNWICK_BENCH=OFF -DTARNWICK_WERROR=ON >/dev/null
cmake --build build-asan -j"$jobs"
stage "address + undefined-behaviour sanitizer tests"
ASAN_OPTIONS=detect_leaks=1 ctest --test-dir build-asan --output-on-failure -j"$jobs"

stage "thread sanitizer build (threaded tests)"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNWICK_SANITIZE=thread \
      -DTARNWICK_BENCH=OFF -DTARNWICK_WERROR=ON >/dev/null
cmake --build build-tsan -j"$jobs" --target tarnwick_thread_tests
stage "thread sanitizer tests"
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  ctest --test-dir build-tsan --output-on-failure -j"$jobs" -L threads

stage "fuzzers (build, then bounded runs over the committed corpus)"
tools/run-fuzzers.sh

for target in win64 win32; do
  stage "Windows $target build (MinGW-w64)"
  tools/build-windows.sh "$target"
  stage "Windows $target tests under wine"
  tools/windows/run-windows-tests.sh "build-$target" build
done
