#!/usr/bin/env bash
# Runs the Windows builds of the unit tests and of qel-calc under Wine: every unit test must pass
# with the arithmetic qel.exe has, and qel-calc.exe must print byte for byte what the native qel-calc
# prints for generated settings files (all modes, units and both decimal points).
# Needs build/win (scripts/test.sh builds it) and build/native/tools/qel-calc. Wine runs in its own
# 32-bit prefix and home under build/wine-checks, made on first use.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
work="$root/build/wine-checks"
mkdir -p "$work/home" "$work/tmp"

export HOME="$work/home" TMPDIR="$work/tmp" XDG_CACHE_HOME="$work/home/.cache" XDG_CONFIG_HOME="$work/home/.config"
export WINEPREFIX="$work/prefix" WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY  # console programs only: no window, no display needed
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Making the Wine prefix $WINEPREFIX (once)"
  wineboot -i >"$work/wineboot.log" 2>&1 || { tail -n 20 "$work/wineboot.log" >&2; exit 1; }
fi
# One wineserver for all the runs below (after any earlier one has ended), ended with this script.
wineserver -w
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT

echo "== unit tests built for Windows (qel_tests.exe under Wine)"
wine build/win/tests/qel_tests.exe --gtest_brief=1

echo "== qel-calc.exe under Wine against the native qel-calc"
/usr/bin/python3 tests/tools/windows_calc_check.py --native build/native/tools/qel-calc \
  --windows build/win/tools/qel-calc.exe --files "${QEL_CALC_CHECK_FILES:-200}" --keep-failures build/wine-checks/failures
