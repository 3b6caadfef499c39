#!/usr/bin/env bash
# Builds the keyboard session's platform-free part natively with clang and
# ThreadSanitizer in build-tsan/ and runs its tests there: a download worker
# and the user's edits at the same time. Fails on any data race. Takes a few
# seconds once built.
#
#   scripts/race.sh [repeats]      (default 3)
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="$here/build-tsan"
repeats="${1:-3}"

if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$here" -B "$build" -G Ninja \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQ730X_TSAN=ON >/dev/null
fi
cmake --build "$build" --target session_race_test

export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
echo "== keyboard session under ThreadSanitizer, $repeats runs"
started=$SECONDS
timeout 300 "$build/tests/race/session_race_test" --gtest_brief=1 --gtest_repeat="$repeats"
echo "session_race_test: $((SECONDS - started)) s, no data race reported"
