#!/usr/bin/env bash
# Configures (once) and builds the Windows programs, tests and data files into build/.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="$here/build"
# Warnings are errors, as in CI, so that a warning never first shows up there.
werror=${Q730X_WERROR:-ON}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$here" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQ730X_WERROR=$werror >/dev/null
fi
cmake --build "$build"
