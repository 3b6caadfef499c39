#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite
# under Wine, in parallel test slots (Q730X_TEST_SLOTS of them, by default one
# more than the machine has cores; see cmake/test-slots.sh.in). Extra
# arguments go to ctest (for example -R profile_store_test).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh"
cd "$here/build"
slots="${Q730X_TEST_SLOTS:-$(($(nproc) + 1))}"
case "$slots" in ''|*[!0-9]*|0) echo "Q730X_TEST_SLOTS must be a positive number" >&2; exit 2 ;; esac
export Q730X_TEST_SLOTS="$slots"
# CTest hands the slots out by this resource spec.
./test-slots.sh spec "$slots" > test-slots.json
ctest --output-on-failure -j "$((slots * 2))" --resource-spec-file test-slots.json "$@"
