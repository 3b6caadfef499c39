#!/usr/bin/env bash
# Builds the platform-free readers natively with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer in build-fuzz/, runs the markup unit tests there
# and then fuzzes with libFuzzer for a bounded time: the markup reader for the
# given seconds (from our seed corpus in tests/markup/corpus), then stored
# macro records with the keyboard's macro image and q730xctl's backup files
# for a third of it each. Fails on any sanitizer report or crash.
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
cmake --build "$build" --target markup_fuzz markup_native_test macro_image_fuzz backup_fuzz

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

echo "== markup unit tests under ASan and UBSan"
"$build/tests/markup/fuzz/markup_native_test" --gtest_brief=1

# fuzz <target> <seconds> <max length> [seed folder]: one bounded run. The
# working corpus grows while fuzzing; the seeds in the tree stay as they are.
fuzz() {
  local target="$1" time="$2" max_len="$3" seeds="${4:-}"
  local corpus="$build/corpus/$target" findings="$build/findings/$target" log="$build/$target.log"
  mkdir -p "$corpus" "$findings"
  echo "== fuzzing $target for ${time}s"
  if ! "$(find "$build/tests" -name "$target" -type f | head -n1)" "$corpus" $seeds \
      -max_total_time="$time" -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$findings/" -print_final_stats=1 >"$log" 2>&1; then
    tail -n 60 "$log" >&2
    echo "fuzzing $target found a problem; the input is in $findings (full log: $log)" >&2
    exit 1
  fi
  grep -E '^(Done|stat::(number_of_executed_units|new_units_added|peak_rss_mb))' "$log"
}

fuzz markup_fuzz "$seconds" 16384 "$here/tests/markup/corpus"
fuzz macro_image_fuzz $(( (seconds + 2) / 3 )) 4096
fuzz backup_fuzz $(( (seconds + 2) / 3 )) 65536 "$here/tests/fuzz/corpus/backup"
