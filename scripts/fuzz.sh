#!/usr/bin/env bash
# Builds the platform-free readers natively with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer in build-fuzz/, runs the markup unit tests there
# and then fuzzes with libFuzzer for a bounded time: the markup reader for the
# given seconds (from our seed corpus in tests/markup/corpus), then stored
# macro records with the keyboard's macro image and q730xctl's backup files
# for a third of it each. Fails on any sanitizer report or crash.
#
#   scripts/fuzz.sh [seconds]      (default 60, or FUZZ_SECONDS)
#   scripts/fuzz.sh --runs N [seconds]
#
# --runs N fuzzes the markup reader for N runs instead of a time (a long run
# outside CI: 10 million took 83 minutes on one shared core, see below); the
# other two readers still get a third of the seconds each. For a long run
# in the background on one core:
#
#   nice -n 19 taskset -c 1 scripts/fuzz.sh --runs 10000000 > fuzz-long.log 2>&1 &
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="$here/build-fuzz"
markup_runs=""
if [ "${1:-}" = "--runs" ]; then
  if [ $# -lt 2 ] || ! [[ "$2" =~ ^[0-9]+$ ]]; then
    echo "usage: scripts/fuzz.sh [--runs N] [seconds]" >&2
    exit 2
  fi
  markup_runs="$2"
  shift 2
fi
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

# fuzz <target> <bound> <max length> [seed folder]: one bounded run; the bound
# is seconds, or "N runs". The working corpus grows while fuzzing; the seeds
# in the tree stay as they are.
fuzz() {
  local target="$1" bound="$2" max_len="$3" seeds="${4:-}"
  local corpus="$build/corpus/$target" findings="$build/findings/$target" log="$build/$target.log"
  local limit="-max_total_time=$bound" started=$SECONDS
  case "$bound" in *runs) limit="-runs=${bound% runs}" ;; *) bound="${bound}s" ;; esac
  mkdir -p "$corpus" "$findings"
  echo "== fuzzing $target for $bound"
  if ! "$(find "$build/tests" -name "$target" -type f | head -n1)" "$corpus" $seeds \
      "$limit" -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$findings/" -print_final_stats=1 >"$log" 2>&1; then
    tail -n 60 "$log" >&2
    echo "fuzzing $target found a problem; the input is in $findings (full log: $log)" >&2
    exit 1
  fi
  grep -E '^(Done|stat::(number_of_executed_units|new_units_added|peak_rss_mb))' "$log"
  echo "$target: $((SECONDS - started)) s, no crash and no sanitizer report"
}

markup_bound="$seconds"
[ -n "$markup_runs" ] && markup_bound="$markup_runs runs"
fuzz markup_fuzz "$markup_bound" 16384 "$here/tests/markup/corpus"
fuzz macro_image_fuzz $(( (seconds + 2) / 3 )) 4096
fuzz backup_fuzz $(( (seconds + 2) / 3 )) 65536 "$here/tests/fuzz/corpus/backup"
