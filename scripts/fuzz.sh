#!/usr/bin/env bash
# Builds the platform-free markup reader natively with clang, AddressSanitizer
# and UndefinedBehaviorSanitizer in build-fuzz/, runs its unit tests there and
# then fuzzes it with libFuzzer for a bounded time, starting from our seed
# corpus in tests/markup/corpus. Fails on any sanitizer report or crash.
#
#   scripts/fuzz.sh [seconds]      (default 60, or FUZZ_SECONDS)
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="$here/build-fuzz"
seconds="${1:-${FUZZ_SECONDS:-60}}"

if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$here" -B "$build" -G Ninja \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQ730X_FUZZ=ON >/dev/null
fi
cmake --build "$build" --target markup_fuzz markup_native_test

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

echo "== markup unit tests under ASan and UBSan"
"$build/tests/markup/fuzz/markup_native_test" --gtest_brief=1

# The working corpus grows while fuzzing; the seeds in the tree stay as they are.
corpus="$build/corpus"
mkdir -p "$corpus"
findings="$build/findings"
mkdir -p "$findings"
echo "== fuzzing the markup reader for ${seconds}s"
log="$build/fuzz.log"
if ! "$build/tests/markup/fuzz/markup_fuzz" "$corpus" "$here/tests/markup/corpus" \
    -max_total_time="$seconds" -max_len=16384 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$findings/" -print_final_stats=1 >"$log" 2>&1; then
  tail -n 60 "$log" >&2
  echo "fuzzing found a problem; the input is in $findings (full log: $log)" >&2
  exit 1
fi
grep -E '^(Done|stat::(number_of_executed_units|new_units_added|peak_rss_mb))' "$log"
