#!/usr/bin/env bash
# Starts the utility in the build tree's own Wine prefix and display, with the
# virtual keyboard standing in for the keyboard, opens its window (as a
# double click on its tray icon would) and saves a screenshot of its keyboard
# page, with a few keys of profile 1 changed beforehand so that their marks
# show, then switches to its macro page (recording a macro there when there is
# none) and saves that too. The dialogs and boxes are photographed by the gallery.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="$here/build"
dist="$build/dist"
run="$build/wine-run.sh"
shots="$build/screenshots"
"$build/test-session.sh" start >/dev/null
display=":$(head -n1 "$build/test-session/xvfb.display")"
mkdir -p "$shots"

# The elevated utility takes its switches only from a registry key that only
# administrators can write, never from the environment.
overrides='HKLM\Software\KAVEX\Q730X-Overrides'
override() {  # override NAME [VALUE]: sets the switch, or removes it without a value
  if [ $# -eq 2 ]; then "$run" reg add "$overrides" /v "$1" /t REG_SZ /d "$2" /f >/dev/null
  else "$run" reg delete "$overrides" /v "$1" /f >/dev/null 2>&1 || true; fi
}
override Device virtual
override VirtualKeyboardPipe  # the default pipe, whatever a test left

# Update checks go to the session's local update server, which offers
# firmware 1.3, unless Q730X_UPDATE_SERVER names a server already.
port_file="$build/test-session/update-server.port"
if [ -z "${Q730X_UPDATE_SERVER:-}" ] && [ -s "$port_file" ]; then
  port="$(cat "$port_file")"
  python3 "$here/scripts/update-server.py" --root "$build/test-session/update-server" \
    --demo 1.3 --demo-only --port "$port"
  Q730X_UPDATE_SERVER="http://127.0.0.1:$port"
fi
if [ -n "${Q730X_UPDATE_SERVER:-}" ]; then override UpdateServer "$Q730X_UPDATE_SERVER"; else override UpdateServer; fi
# The virtual keyboard serves until it is told to stop; a running one is reused.
if ! "$run" "$dist/Q730XVirtualKeyboard.exe" ping >/dev/null 2>&1; then
  setsid "$run" "$dist/Q730XVirtualKeyboard.exe" serve </dev/null >/dev/null 2>&1 &
  for _ in $(seq 50); do "$run" "$dist/Q730XVirtualKeyboard.exe" ping >/dev/null 2>&1 && break; sleep 0.2; done
fi

# A keyboard left unplugged by an earlier session is plugged in again.
"$run" "$dist/Q730XVirtualKeyboard.exe" plug >/dev/null

# Caps Lock gives Ctrl+C, the Tab key Ctrl+V, and Q has no function.
for change in "17 00060100" "9 00190100" "8 0000000F"; do
  "$run" "$dist/q730xctl.exe" set 1 $change >/dev/null
done

# The utility starts hidden behind its tray icon; a second copy opens the first.
setsid "$run" "$dist/Q730X.exe" </dev/null >/dev/null 2>&1 &
sleep 5
"$run" "$dist/Q730X.exe" </dev/null >/dev/null 2>&1 || true
sleep 2
DISPLAY="$display" import -window root "$shots/utility.png"
# Its macro page, with a macro recorded there through real keys when it has none.
"$run" "$dist/Q730XGallery.exe" --utility >/dev/null || true

"$run" "$dist/Q730XGallery.exe" >/dev/null
cat <<TEXT
The utility runs on display $display with the virtual keyboard.
  Screenshot of its window:   $shots/utility.png (changed keys are marked)
  Its macro page:             $shots/utility_macros.png (with a recorded macro)
  Screenshots of every skinned window: $shots/
  Update server:              ${Q730X_UPDATE_SERVER:-https://www.kavex.com} (About in the tray menu checks it)
  Unplug the keyboard:        build/wine-run.sh build/dist/Q730XVirtualKeyboard.exe unplug
  (the utility then ends, as it does when the real keyboard is pulled out)
  Stop everything:            build/test-session.sh stop
TEXT
