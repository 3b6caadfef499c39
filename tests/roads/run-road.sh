#!/usr/bin/env bash
# Runs one road of the utility in a Wine prefix of its own, as on a machine
# where the program was just installed: a copy of the test slots' booted
# template prefix, the deployable folder copied into its Program Files, a
# wineserver of its own, and the road's test run inside that prefix on the
# display of the road's test slot.
#   run-road.sh <build folder> prepare   check the template is there (once per run)
#   run-road.sh <build folder> <1..9>    run that road
#   run-road.sh <build folder> clean     remove the prefixes (after the last road)
set -uo pipefail
build="$1"
what="$2"
roads="$build/roads"

# The slot's display and update server; the prefix is the road's own.
. "$build/test-slot-env.sh"
# Wine's helpers inherit the standard streams of whoever starts them first;
# detached, they cannot keep ctest waiting for the pipe.
quiet() { "$@" </dev/null >/dev/null 2>&1; }
stop_wineserver() { quiet wineserver -k; quiet wineserver -w; }

if [ "$what" = prepare ]; then
  rm -rf "$roads"
  mkdir -p "$roads"
  [ -f "$build/test-slots/template/system.reg" ] || { echo "the test slots made no template prefix"; exit 1; }
  exit 0
fi

if [ "$what" = clean ]; then
  rm -rf "$roads"
  exit 0
fi

road="$what"

prefix="$roads/prefix-$road"
q730x_prefix_from_template "$prefix" || exit 1
export WINEPREFIX="$prefix"
trap 'stop_wineserver; rm -rf "$prefix"' EXIT
# Installed as the installer installs it.
program="$prefix/drive_c/Program Files/Kavex/Q730X"
mkdir -p "$(dirname "$program")"
cp -a "$build/dist" "$program"
rm -rf "$program/profile"  # what a user's own run left there
export Q730X_TEST_DIST='C:\Program Files\Kavex\Q730X\'
quiet wineserver -p
wine "$build/tests-bin/roads_test.exe" --gtest_color=no --gtest_filter="Road$road.*" </dev/null
