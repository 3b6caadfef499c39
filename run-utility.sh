#!/usr/bin/env bash
# Installs what is missing, builds everything and starts the utility under Wine
# with the virtual keyboard. Without a DISPLAY it starts a private Xvfb screen.
#
# Update checks (About in the tray menu) go to the maker's server over HTTPS,
# https://www.kavex.com/software/Q730X/newver.xml, unless Q730X_UPDATE_SERVER
# names another: its scheme, host and port replace the maker's, the path stays.
# The script hands it to the utility as the UpdateServer value under
# HKLM\Software\KAVEX\Q730X-Overrides (the utility reads no environment).
#   Q730X_UPDATE_SERVER=http://127.0.0.1:8123 ./run-utility.sh
# Without it this script points the utility at the build's local update server
# (scripts/update-server.py, started with the test session), which offers
# firmware 1.3 to the virtual keyboard's 1.2.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh"
exec "$here/scripts/start-utility.sh" "$@"
