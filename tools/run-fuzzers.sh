#!/usr/bin/env bash
# Builds the libFuzzer targets (audio file decoder, bank loader, host chunk restore) with clang 14,
# AddressSanitizer and UndefinedBehaviorSanitizer in their own build folder, runs them side by side
# for a bounded time on a copy of the committed corpus, prints the executions of each, and fails
# on any finding. Findings are kept in BUILD/fuzz-findings/TARGET/ for the corpus.
#   TARNWICK_FUZZ_SECONDS  time per target (default 30; the corpus is small and the targets run side by side)
#   TARNWICK_FUZZ_BUILD    build folder (default build-fuzz)
#   TARNWICK_HOST_TOOLS    a native build folder whose generators the fuzz build runs (default: its own)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${TARNWICK_FUZZ_SECONDS:-30}
build=${TARNWICK_FUZZ_BUILD:-build-fuzz}
targets=(audio bank chunk)
declare -A maxLen=([audio]=16384 [bank]=65536 [chunk]=40000)

tools/install-deps.sh  # clang 14 and its sanitizer runtimes among them

echo "== fuzz build (clang 14, libFuzzer + address + undefined)"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
      -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
      -DTARNWICK_SANITIZE=fuzzer-no-link,address,undefined -DTARNWICK_FUZZ=ON -DTARNWICK_BENCH=OFF \
      -DTARNWICK_WERROR="${TARNWICK_WERROR:-OFF}" -DCMAKE_UNITY_BUILD="${TARNWICK_UNITY_BUILD:-OFF}" \
      -DTARNWICK_HOST_TOOLS="${TARNWICK_HOST_TOOLS:-}" >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${targets[@]/#/tarnwick_fuzz_}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
rm -rf "$build/fuzz-findings"

echo "== fuzzing ${seconds}s per target, side by side"
declare -A pid
for t in "${targets[@]}"; do
  # A copy of the corpus: what the run adds stays out of the repository.
  cp -r "tests/fuzz/corpus/$t" "$work/corpus-$t"
  mkdir -p "$work/findings-$t"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "$build/tests/fuzz/tarnwick_fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len="${maxLen[$t]}" -print_final_stats=1 -artifact_prefix="$work/findings-$t/" \
    "$work/corpus-$t" >"$work/log-$t" 2>&1 &
  pid[$t]=$!
done

failed=0
for t in "${targets[@]}"; do
  status=0
  wait "${pid[$t]}" || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log-$t" | tail -1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/log-$t" | tail -1)
  if [ "$status" != 0 ] || [ -n "$(ls -A "$work/findings-$t")" ]; then
    failed=1
    echo "fuzz $t: FINDING (exit $status)"
    tail -n 60 "$work/log-$t"
    mkdir -p "$build/fuzz-findings/$t"
    cp "$work/findings-$t"/* "$build/fuzz-findings/$t/" 2>/dev/null || true
    echo "inputs kept in $build/fuzz-findings/$t/"
  else
    echo "fuzz $t: ${runs:-?} executions (${speed:-?}/s), no findings"
  fi
done
exit "$failed"
