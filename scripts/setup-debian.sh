#!/usr/bin/env bash
# Installs everything Qel's build, tests and run need on a fresh Debian 12 machine (as root).
# Quick when everything is already there: apt-get runs only for missing packages.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev googletest  # googletest: the sources the Windows test build compiles
  clang-14 libclang-rt-14-dev
  g++-mingw-w64-i686
  wine wine32:i386 xvfb xdotool x11-utils imagemagick
  # What Wine recommends for drawing a program as on a well-set-up machine: its own fonts, the
  # Liberation fonts it substitutes for the Windows UI fonts, Carlito for Calibri, and the 32-bit X
  # libraries it renders and sets cursors with. apt-get leaves them out with --no-install-recommends.
  fonts-wine fonts-liberation fonts-crosextra-carlito
  libxrender1:i386 libxcursor1:i386 libxrandr2:i386 libxinerama1:i386 libxi6:i386
  libxfixes3:i386 libxcomposite1:i386 libxxf86vm1:i386
  python3 python3-pil python3-xlib
  pandoc weasyprint poppler-utils fonts-dejavu-core fonts-dejavu-extra
  fonttools  # pyftsubset: the web page's subset of Carlito
  # The web version: Emscripten for the core, Node.js for the test driver, Chromium to run it.
  emscripten nodejs chromium
  ca-certificates curl  # the test driver fetched from the npm registry (curl behind a proxy)
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
  need_update=1
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ] || [ "${need_update:-0}" = 1 ]; then
  echo "Installing: ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -q
  if [ ${#missing[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
  fi
fi
