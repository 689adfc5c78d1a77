#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ (clang) in build/fuzz, replays every kept finding in
# fuzz/regressions/<target>, then fuzzes each target starting from the seeds in fuzz/corpus/<target>.
# Any crash, sanitizer report, failed check or timeout fails the run.
#
#   scripts/fuzz.sh                     the test run: QEL_FUZZ_SECONDS per target (default 15), with
#                                       a scratch corpus in build/fuzz/corpus/<target>; a finding's
#                                       input is left in build/fuzz/findings/<target>/
#   scripts/fuzz.sh --minutes N         a campaign: N minutes per target, growing a corpus that is
#                                       kept between campaigns and rebuilds in
#                                       $QEL_FUZZ_CORPUS/<target> (default ~/.cache/qel-fuzz/<target>);
#                                       findings go to $QEL_FUZZ_CORPUS/findings/<target>/, logs to
#                                       $QEL_FUZZ_CORPUS/logs/
#   --only TARGET...                    only these targets (settings parse format recompute session)
#   --jobs N                            fuzz up to N targets at once (default 1)
#
# A campaign's findings are not kept by themselves: the run prints where each input is and how to
# add it to fuzz/regressions/<target>/ once the fault is fixed.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/fuzz
all_targets=(settings parse format recompute session)
targets=()
minutes=""
jobs=1

usage() {
  sed -n '2,18p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
}

while [ $# -gt 0 ]; do
  case "$1" in
    --minutes)
      [ $# -ge 2 ] && [[ "$2" =~ ^[0-9]+$ ]] && [ "$2" -gt 0 ] || usage
      minutes=$2
      shift 2
      ;;
    --jobs)
      [ $# -ge 2 ] && [[ "$2" =~ ^[0-9]+$ ]] && [ "$2" -gt 0 ] || usage
      jobs=$2
      shift 2
      ;;
    --only)
      shift
      while [ $# -gt 0 ] && [[ "$1" != --* ]]; do
        [[ " ${all_targets[*]} " == *" $1 "* ]] || { echo "no fuzz target '$1'" >&2; usage; }
        targets+=("$1")
        shift
      done
      [ ${#targets[@]} -gt 0 ] || usage
      ;;
    *) usage ;;
  esac
done
[ ${#targets[@]} -gt 0 ] || targets=("${all_targets[@]}")

if [ -n "$minutes" ]; then
  seconds=$((minutes * 60))
  root=${QEL_FUZZ_CORPUS:-${XDG_CACHE_HOME:-$HOME/.cache}/qel-fuzz}
else
  seconds=${QEL_FUZZ_SECONDS:-15}
  root=$build
fi

echo "== fuzz targets (libFuzzer + ASan + UBSan)"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
  -DQEL_BUILD_FUZZ=ON -DQEL_BUILD_TESTS=OFF -DQEL_BUILD_BENCH=OFF -DQEL_BUILD_DOCS=OFF
cmake --build "$build" -j "$(nproc)" --target "${targets[@]/#/fuzz_}"

export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
fuzz_options=(-timeout=5 -rss_limit_mb=2048 -max_len=8192 -print_final_stats=1)
# Inputs that run long (a full camera table costs a hundred small ones) are mutated less often;
# one process a corpus folder, so the folder is not read again while fuzzing.
search_options=(-entropic_scale_per_exec_time=1 -reload=0)

for target in "${targets[@]}"; do
  regressions="fuzz/regressions/$target"
  if compgen -G "$regressions/*" >/dev/null; then
    echo "== replay fuzz/regressions/$target"
    log="$build/logs/$target-regressions.log"
    mkdir -p "$(dirname "$log")" "$build/findings/$target"
    if ! "$build/fuzz/fuzz_$target" "${fuzz_options[@]}" -runs=0 -artifact_prefix="$build/findings/$target/" \
        "$regressions" >"$log" 2>&1; then
      tail -n 60 "$log" >&2
      echo "a kept finding of $target fails again" >&2
      exit 1
    fi
  fi
done

# Fuzzes one target; prints its figures, and for a finding where its input is.
fuzz_one() {
  local target=$1
  local program="$build/fuzz/fuzz_$target"
  local findings="$root/findings/$target"
  local work
  if [ -n "$minutes" ]; then work="$root/$target"; else work="$build/corpus/$target"; fi
  local log="$root/logs/$target.log"
  mkdir -p "$findings" "$work" "$(dirname "$log")"
  local options=("${fuzz_options[@]}" "${search_options[@]}")
  if [ -f "fuzz/$target.dict" ]; then options+=(-dict="fuzz/$target.dict"); fi

  local start="$root/logs/$target.start"
  touch "$start"
  local status=0
  "$program" "${options[@]}" -max_total_time="$seconds" -artifact_prefix="$findings/" \
    "$work" "fuzz/corpus/$target" >"$log" 2>&1 || status=$?
  if [ -n "$minutes" ] && [ "$status" -eq 0 ]; then
    # The kept corpus keeps only the inputs that add coverage (libFuzzer leaves the inputs that a
    # shorter one replaced), so that the next campaign starts quickly.
    rm -rf "$work.merged"
    mkdir -p "$work.merged"
    if "$program" "${fuzz_options[@]}" -merge=1 "$work.merged" "$work" >"$root/logs/$target-merge.log" 2>&1; then
      rm -rf "$work"
      mv "$work.merged" "$work"
    else
      rm -rf "$work.merged"
    fi
  fi
  {
    echo "== fuzz_$target, ${seconds}s: $(grep -E '^stat::number_of_executed_units' "$log" | awk '{print $2}') inputs," \
      "$(grep -E '^stat::average_exec_per_sec' "$log" | awk '{print $2}') a second," \
      "corpus $(find "$work" -type f | wc -l) inputs in $work"
    if [ "$status" -ne 0 ]; then
      tail -n 60 "$log"
      echo "fuzz_$target found a fault (log: $log)."
      local input
      find "$findings" -type f -newer "$start" | while read -r input; do
        echo "Its input: $input"
        echo "  shrink it: $program -minimize_crash=1 -runs=100000 -artifact_prefix=$findings/min- $input"
        echo "  once the fault is fixed, keep it: cp $input fuzz/regressions/$target/<what-it-shows>"
      done
    fi
  } >&2
  return "$status"
}

failed=()
if [ "$jobs" -le 1 ]; then
  for target in "${targets[@]}"; do
    if [ -n "$minutes" ]; then
      fuzz_one "$target" || failed+=("$target")
    else
      echo "== fuzz $target for ${seconds}s"
      fuzz_one "$target" || { echo "fuzz_$target found a fault" >&2; exit 1; }
    fi
  done
else
  pending=("${targets[@]}")
  declare -A running=()
  while [ ${#pending[@]} -gt 0 ] || [ ${#running[@]} -gt 0 ]; do
    while [ ${#pending[@]} -gt 0 ] && [ ${#running[@]} -lt "$jobs" ]; do
      echo "== fuzz ${pending[0]} for ${seconds}s"
      fuzz_one "${pending[0]}" &
      running[$!]=${pending[0]}
      pending=("${pending[@]:1}")
    done
    status=0
    wait -n -p done_pid "${!running[@]}" || status=$?
    [ "$status" -eq 0 ] || failed+=("${running[$done_pid]}")
    unset "running[$done_pid]"
  done
fi

if [ ${#failed[@]} -gt 0 ]; then
  echo "findings in: ${failed[*]}" >&2
  exit 1
fi
