#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite
# under Wine. Extra arguments go to ctest (for example -R profile_store_test).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh"
cd "$here/build"
# Tests start from a clean session: a utility left running by run-utility.sh
# would otherwise stand in for the copies the tests start.
./test-session.sh stop >/dev/null 2>&1 || true
ctest --output-on-failure "$@"
