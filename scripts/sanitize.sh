#!/usr/bin/env bash
# Builds the core, the unit tests, qel-calc and qel-command-card with AddressSanitizer and
# UndefinedBehaviorSanitizer (clang, every finding fatal) in build/asan and runs the unit and tool
# tests there. Any sanitizer report, even from a process whose exit status a test expected to be
# non-zero, fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
build=build/asan
reports="$PWD/$build/sanitizer-reports"

echo "== sanitized build (ASan + UBSan)"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
  -DQEL_SANITIZE=ON -DQEL_BUILD_BENCH=OFF -DQEL_BUILD_FUZZ=OFF -DQEL_BUILD_DOCS=OFF
cmake --build "$build" -j "$jobs" --target qelcore qel_tests qel-calc qel-command-card

echo "== unit and tool tests, sanitized"
rm -rf "$reports" && mkdir -p "$reports"
export ASAN_OPTIONS="log_path=$reports/asan:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_string_checks=1"
export UBSAN_OPTIONS="log_path=$reports/ubsan:print_stacktrace=1:halt_on_error=1"
status=0
ctest --test-dir "$build" --output-on-failure -j "$jobs" || status=$?
if compgen -G "$reports/*" >/dev/null; then
  cat "$reports"/* >&2
  echo "sanitizer reports above" >&2
  exit 1
fi
exit "$status"
