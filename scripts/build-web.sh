#!/usr/bin/env bash
# Builds the web version of Qel into build/web, a static site any web server can serve, and packs
# it as build/qel-<version>-web.zip. The manuals it carries come from the native build.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

bash scripts/setup-debian.sh

cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/native --target docs -j "$jobs"

# emcc's optimiser finds Debian's acorn module only through NODE_PATH.
export NODE_PATH=/usr/share/nodejs
emcmake cmake -S . -B build/web-build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/web-build -j "$jobs"
