#!/usr/bin/env bash
# Builds qel.exe and starts it under Wine (32-bit prefix in ~/.local/share/qel-wine, with Calibri
# mapped to the metric-compatible Carlito). Uses $DISPLAY when set; otherwise starts an Xvfb
# display and says so. Settings go to the prefix's Documents\Qel\Qel.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup-debian.sh
cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release
cmake --build build/win --target qel -j "$(nproc)"
exe_dir="$root/build/win/app/win32"
# The help documents are looked for beside the program.
for pdf in docs/*.pdf; do
  [ -e "$pdf" ] && cp -u "$pdf" "$exe_dir/"
done

export WINEPREFIX="${QEL_WINEPREFIX:-$HOME/.local/share/qel-wine}"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Making the Wine prefix $WINEPREFIX (once)"
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
fi
wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Calibri /d Carlito /f >/dev/null 2>&1

xvfb_pid=""
if [ -z "${DISPLAY:-}" ]; then
  n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -noreset -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.05; done
  echo "No DISPLAY set: started Xvfb on $DISPLAY (watch it with a VNC server or x11vnc on that display)."
  trap '[ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true' EXIT
fi

echo "Starting qel.exe on $DISPLAY; settings in $WINEPREFIX/drive_c/users/${USER:-$(id -un)}/Documents/Qel/Qel.txt"
cd "$exe_dir"
wine qel.exe
wineserver -w
