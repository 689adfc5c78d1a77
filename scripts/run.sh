#!/usr/bin/env bash
# Builds Qel and runs it. Until the Windows program exists this prints the state qel-calc
# computes from the user's settings file (or the defaults when there is none).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup-debian.sh
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Release -DQEL_BUILD_TESTS=OFF -DQEL_BUILD_BENCH=OFF
cmake --build build/native --target qel-calc -j "$(nproc)"

settings="${QEL_SETTINGS:-$HOME/Documents/Qel/Qel.txt}"
exec build/native/tools/qel-calc show "$settings"
