#!/usr/bin/env bash
# Installs what is missing, builds everything and starts the utility under Wine
# with the virtual keyboard. Without a DISPLAY it starts a private Xvfb screen.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh"
exec "$here/scripts/start-utility.sh" "$@"
