#!/usr/bin/env bash
# Builds the native benchmarks in build-native/ (optimised, no sanitizers) and
# runs the markup reader benchmark.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="$here/build-native"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target markup_bench
"$build/markup_bench"
