#!/usr/bin/env bash
# Runs one road of the utility in a Wine prefix of its own, as on a machine
# where the program was just installed: a copy of a pristine prefix, the
# deployable folder copied into its Program Files, a wineserver of its own,
# and the road's test run inside that prefix on the test session's display.
#   run-road.sh <build folder> prepare   make the pristine prefix (once per run)
#   run-road.sh <build folder> <1..9>    run that road
#   run-road.sh <build folder> clean     remove the prefixes (after the last road)
set -uo pipefail
build="$1"
what="$2"
roads="$build/roads"
pristine="$roads/pristine-prefix"

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export DISPLAY=":$(head -n1 "$build/test-session/xvfb.display")"
# Wine's helpers inherit the standard streams of whoever starts them first;
# detached, they cannot keep ctest waiting for the pipe.
quiet() { "$@" </dev/null >/dev/null 2>&1; }
stop_wineserver() { quiet wineserver -k; quiet wineserver -w; }

if [ "$what" = prepare ]; then
  rm -rf "$roads"
  mkdir -p "$roads"
  export WINEPREFIX="$pristine"
  started=$(date +%s%N)
  quiet wineserver -p
  quiet wine wineboot -i
  # A crash must fail the road, not wait for someone to close Wine's dialog.
  quiet wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
  # No window manager runs on the test display: unmanaged windows leave the
  # screen at once instead of waiting two seconds for one.
  quiet wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f
  stop_wineserver
  [ -f "$pristine/system.reg" ] || { echo "wineboot made no prefix"; exit 1; }
  echo "pristine prefix made in $((($(date +%s%N) - started) / 1000000)) ms"
  exit 0
fi

if [ "$what" = clean ]; then
  rm -rf "$roads"
  exit 0
fi

road="$what"
[ -f "$pristine/system.reg" ] || { echo "no pristine prefix: run the roads_prefix test first"; exit 1; }

prefix="$roads/prefix-$road"
rm -rf "$prefix"
cp -a "$pristine" "$prefix"
export WINEPREFIX="$prefix"
trap 'stop_wineserver; rm -rf "$prefix"' EXIT
# Installed as the installer installs it.
program="$prefix/drive_c/Program Files/Kavex/Q730X"
mkdir -p "$(dirname "$program")"
cp -a "$build/dist" "$program"
export Q730X_TEST_DIST='C:\Program Files\Kavex\Q730X\'
quiet wineserver -p
wine "$build/tests-bin/roads_test.exe" --gtest_color=no --gtest_filter="Road$road.*" </dev/null
