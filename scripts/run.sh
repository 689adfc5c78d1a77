#!/usr/bin/env bash
# Builds qel.exe and its two manuals and starts it under Wine (32-bit prefix in
# ~/.local/share/qel-wine, or $QEL_WINEPREFIX, with Calibri mapped to the metric-compatible Carlito).
# Uses $DISPLAY when set; otherwise starts an Xvfb display first and says so. Settings go to the
# prefix's Documents\Qel\Qel.txt. Wine's messages go to wine.log in the prefix; when qel.exe cannot
# start, or ends with an error, the script says so, shows the log's last lines and exits non-zero.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup-debian.sh
cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release
# The docs target writes "Qel Quick Start.pdf" and "Qel Reference Manual.pdf" beside qel.exe, where
# its Help menu opens them.
cmake --build build/win --target qel docs -j "$(nproc)"
exe_dir="$root/build/win/app/win32"
for pdf in "Qel Quick Start.pdf" "Qel Reference Manual.pdf"; do
  if [ ! -f "$exe_dir/$pdf" ]; then
    echo "run.sh: the build made no $exe_dir/$pdf" >&2
    exit 1
  fi
done

export WINEPREFIX="${QEL_WINEPREFIX:-$HOME/.local/share/qel-wine}"
export WINEARCH=win32
# Wine's errors and diagnostics, without its notes on unimplemented functions, go to the log.
export WINEDEBUG=fixme-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
mkdir -p "$WINEPREFIX"
log="$WINEPREFIX/wine.log"
: >"$log"

fail() {
  echo "run.sh: $1" >&2
  if [ -s "$log" ]; then
    echo "run.sh: the last lines of Wine's messages ($log):" >&2
    tail -n 15 "$log" | sed 's/^/  /' >&2
  fi
  exit "${2:-1}"
}

# The display comes first: Wine's first process in a prefix starts the wineserver and the desktop
# process, and every later program of the prefix draws through them, on the display they found.
xvfb_pid=""
if [ -z "${DISPLAY:-}" ]; then
  n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -noreset -nolisten tcp >>"$log" 2>&1 &
  xvfb_pid=$!
  trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
  export DISPLAY=":$n"
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.05; done
  [ -e "/tmp/.X11-unix/X$n" ] || fail "Xvfb did not start on $DISPLAY"
  echo "No DISPLAY set: started Xvfb on $DISPLAY (watch it with a VNC server or x11vnc on that display)."
fi

if [ ! -f "$WINEPREFIX/system.reg" ] || ! grep -q '^"Calibri"="Carlito"' "$WINEPREFIX/user.reg" 2>/dev/null ||
   ! grep -q '^\[Software\\\\Classes\\\\.html\]' "$WINEPREFIX/system.reg" 2>/dev/null; then
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Making the Wine prefix $WINEPREFIX (once)"
    wineboot -i >>"$log" 2>&1 || fail "making the Wine prefix $WINEPREFIX failed"
  fi
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Calibri /d Carlito /f >>"$log" 2>&1 ||
    fail "mapping Calibri to Carlito in $WINEPREFIX failed"
  # A field card (.html) opens in this system's browser, through winebrowser (Wine looks up
  # file types in the machine's classes only).
  wine reg add 'HKLM\Software\Classes\.html' /ve /d htmlfile /f >>"$log" 2>&1 ||
    fail "associating .html files with the browser in $WINEPREFIX failed"
  # qel.exe starts once the set-up's wineserver has ended (and written the registry).
  wineserver -w
fi

echo "Starting qel.exe on $DISPLAY; settings in $WINEPREFIX/drive_c/users/${USER:-$(id -un)}/Documents/Qel/Qel.txt"
cd "$exe_dir"
wine qel.exe >>"$log" 2>&1 &
qel_pid=$!
# The program is up once its window shows; if it ends before that, it could not start.
shown=""
waited=0
while kill -0 "$qel_pid" 2>/dev/null; do
  if xdotool search --all --onlyvisible --pid "$qel_pid" --name '^Qel ' >/dev/null 2>&1; then
    shown=1
    echo "qel.exe is running (its window is on $DISPLAY); the script ends when it does."
    break
  fi
  waited=$((waited + 1))
  [ "$waited" -ne 600 ] || echo "qel.exe has shown no window after a minute; still waiting for it."
  sleep 0.1
done
status=0
wait "$qel_pid" || status=$?
wineserver -w
if [ -z "$shown" ]; then
  fail "qel.exe could not start: it ended (exit code $status) before its window appeared" "$((status ? status : 1))"
fi
[ "$status" -eq 0 ] || fail "qel.exe ended with exit code $status" "$status"
