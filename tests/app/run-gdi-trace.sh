#!/usr/bin/env bash
# Runs gdi_trace_test with its standard error in tests-bin/gdi-trace.log: the
# utility the test starts inherits it, and Wine writes the utility's gdi
# trace there, which the test then reads.
set -uo pipefail
build="$1"
cd "$build/tests-bin" || exit 1
rm -f gdi-trace.log
"$build/wine-run.sh" gdi_trace_test.exe --gtest_color=no </dev/null 2>gdi-trace.log
