#!/usr/bin/env bash
# The test command: installs what is missing, then builds and runs every suite in the normal build,
# in an AddressSanitizer + UndefinedBehaviorSanitizer build, the threaded tests under ThreadSanitizer,
# the fuzzers for a bounded number of runs, and the Windows builds' suites under wine. Every build
# treats a compiler warning as an error. Prints what each stage cost at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
export TARNWICK_WERROR=ON  # the fuzz and Windows builds too
# Unity builds (a target's sources compiled in batches) halve each build's time; a developer's own
# build compiles file by file, so a header that misses an include still shows there.
export TARNWICK_UNITY_BUILD=ON
started=$SECONDS
stages=()
stage_start=$SECONDS
times_file=$(mktemp)
cpu_seconds() {  # sets cpu: processor time of every finished child so far (user + system), whole seconds
  times >"$times_file"  # in this shell: a command substitution would report its own children
  cpu=$(tail -n 1 "$times_file" | awk '{ t = 0; for (i = 1; i <= 2; i++) { split($i, p, "m"); t += p[1] * 60 + p[2] } print int(t) }')
}
cpu_seconds
stage_cpu=$cpu
stage() {  # stage NAME: closes the running stage's clocks and opens the next
  cpu_seconds
  if [ -n "${stage_name:-}" ]; then
    stages+=("$(printf '%-52s %5d s  (processor %5d s)' "$stage_name" $((SECONDS - stage_start)) $((cpu - stage_cpu)))")
  fi
  stage_name=$1
  stage_start=$SECONDS
  stage_cpu=$cpu
  [ -z "$1" ] || echo "== $1"
}
report() {
  stage ""
  echo "== time per stage"
  printf '  %s\n' "${stages[@]}"
  echo "  total $((SECONDS - started)) s"
  rm -f "$times_file"
}
trap report EXIT

stage "packages"
tools/install-deps.sh

stage "format"
tools/check-format.sh

stage "normal build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARNWICK_WERROR=ON -DCMAKE_UNITY_BUILD=ON >/dev/null
cmake --build build -j"$jobs"
stage "normal tests"
ctest --test-dir build --output-on-failure -j"$jobs"

# The sanitizers watch the code that takes outside input (files, host chunks, MIDI, paths, the host
# interface) and the threaded hand-over; the transform, morph, bitmap and X11 window suites run in the
# release build only (tests/CMakeLists.txt labels the programs).
# The sanitizer and fuzz builds run the release build's generators (bitmaps, glyphs, test recording)
# rather than build and run them sanitized again.
export TARNWICK_HOST_TOOLS=$PWD/build

stage "address + undefined-behaviour sanitizer build"
# Line tables (-g1) are all a sanitizer's report needs; full debug information costs a quarter more time.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DCMAKE_C_FLAGS_DEBUG=-g1 \
      -DTARNWICK_SANITIZE=address,undefined -DTARNWICK_BENCH=OFF -DTARNWICK_WERROR=ON -DCMAKE_UNITY_BUILD=ON \
      -DTARNWICK_HOST_TOOLS="$TARNWICK_HOST_TOOLS" >/dev/null
cmake --build build-asan -j"$jobs" --target Tarnwick tarnwick-host tarnwick_input_tests tarnwick_threads_tests
stage "address + undefined-behaviour sanitizer tests"
ASAN_OPTIONS=detect_leaks=1 ctest --test-dir build-asan --output-on-failure -j"$jobs" -L 'input|threads'

stage "thread sanitizer build (threaded tests)"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
      -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DTARNWICK_SANITIZE=thread -DTARNWICK_BENCH=OFF \
      -DTARNWICK_WERROR=ON -DCMAKE_UNITY_BUILD=ON -DTARNWICK_HOST_TOOLS="$TARNWICK_HOST_TOOLS" >/dev/null
cmake --build build-tsan -j"$jobs" --target tarnwick_threads_tests
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
