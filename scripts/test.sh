#!/usr/bin/env bash
# Builds everything (natively and for 32-bit Windows) and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc)

bash scripts/setup-debian.sh
echo "== set-up done after $SECONDS s"

echo "== native build"
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build/native -j "$jobs"

echo "== Windows build (MinGW-w64 i686)"
cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release
cmake --build build/win -j "$jobs"

echo "== release package (qel.exe and the manuals)"
cmake --build build/win --target release
python3 tests/release/check_release.py build/win

echo "== unit and tool tests"
ctest --test-dir build/native --output-on-failure -j "$jobs"

echo "== (after $SECONDS s)"
bash scripts/windows-checks.sh
echo "== (after $SECONDS s)"

bash scripts/sanitize.sh
bash scripts/fuzz.sh
echo "== (after $SECONDS s)"

echo "== end-to-end tests (qel.exe under Wine on Xvfb)"
/usr/bin/python3 tests/e2e/run_e2e.py --exe-dir build/win/app/win32 --qel-calc build/native/tools/qel-calc --jobs 2 \
  --release-zip "build/win/qel-$(sed -n 's/^project(Qel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)-win32.zip"

echo "== web version (the core as WebAssembly, in Chromium), after $SECONDS s"
bash scripts/build-web.sh
python3 tests/release/check_web_release.py build
node tests/web/fetch_driver.mjs
node tests/web/same_ops.mjs --site build/web --paint-ops build/native/tests/qel-paint-ops
node tests/web/run.mjs --site build/web --qel-calc build/native/tools/qel-calc
echo "== all tests passed in $SECONDS s"
