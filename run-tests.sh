#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite
# under Wine. Extra arguments go to ctest (for example -R profile_store_test).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh"
cd "$here/build"
ctest --output-on-failure "$@"
