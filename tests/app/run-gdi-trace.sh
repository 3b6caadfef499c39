#!/usr/bin/env bash
# Runs gdi_trace_test in its test slot's folder, with its standard error in
# gdi-trace.log there: the utility the test starts inherits it, and Wine
# writes the utility's gdi trace there, which the test then reads.
set -uo pipefail
build="$1"
. "$build/test-slot-env.sh"
cd "$Q730X_SLOT_DIR" || exit 1
rm -f gdi-trace.log
"$build/test-run.sh" "$build/tests-bin/gdi_trace_test.exe" --gtest_color=no </dev/null 2>gdi-trace.log
