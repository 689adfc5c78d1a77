#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ (clang) in build/fuzz, replays every kept finding in
# fuzz/regressions/<target>, then fuzzes each target for a bounded time starting from the seeds in
# fuzz/corpus/<target>. Any crash, sanitizer report, failed check or timeout fails the run; the
# input is left in build/fuzz/findings/<target>/.
# QEL_FUZZ_SECONDS sets the time per target (default 15).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
build=build/fuzz
seconds=${QEL_FUZZ_SECONDS:-15}
targets=(settings parse format recompute)

echo "== fuzz targets (libFuzzer + ASan + UBSan)"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
  -DQEL_BUILD_FUZZ=ON -DQEL_BUILD_TESTS=OFF -DQEL_BUILD_BENCH=OFF -DQEL_BUILD_DOCS=OFF
cmake --build "$build" -j "$jobs" --target "${targets[@]/#/fuzz_}"

export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
fuzz_options=(-timeout=5 -rss_limit_mb=2048 -max_len=8192 -print_final_stats=1)
for target in "${targets[@]}"; do
  program="$build/fuzz/fuzz_$target"
  findings="$build/findings/$target"
  work="$build/corpus/$target"
  log="$build/logs/$target.log"
  mkdir -p "$findings" "$work" "$(dirname "$log")"
  options=("${fuzz_options[@]}")
  if [ -f "fuzz/$target.dict" ]; then options+=(-dict="fuzz/$target.dict"); fi

  regressions="fuzz/regressions/$target"
  if compgen -G "$regressions/*" >/dev/null; then
    echo "== replay fuzz/regressions/$target"
    if ! "$program" "${fuzz_options[@]}" -runs=0 -artifact_prefix="$findings/" "$regressions" >"$log" 2>&1; then
      tail -n 60 "$log" >&2
      echo "a kept finding of $target fails again" >&2
      exit 1
    fi
  fi

  echo "== fuzz $target for ${seconds}s"
  if ! "$program" "${options[@]}" -max_total_time="$seconds" -artifact_prefix="$findings/" \
      "$work" "fuzz/corpus/$target" >"$log" 2>&1; then
    tail -n 60 "$log" >&2
    echo "fuzz_$target found a fault; its input is in $findings/" >&2
    exit 1
  fi
  grep -E '^stat::number_of_executed_units' "$log" || true
done
