#!/usr/bin/env bash
# Starts what the build has to show in the build tree's own Wine prefix.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="$here/build"
"$build/test-session.sh" start >/dev/null
run="$build/wine-run.sh"
ctl="$build/dist/q730xctl.exe"
if [ -f "$ctl" ]; then
  "$run" "$ctl" init
  "$run" "$ctl" show 1
  # The skinned windows built so far, opened one by one and photographed.
  if [ -f "$build/dist/Q730XGallery.exe" ]; then
    "$run" "$build/dist/Q730XGallery.exe" >/dev/null
    echo "Screenshots of the windows: $build/screenshots/"
  fi
else
  echo "Nothing to start yet: build/dist holds no program." >&2
fi
