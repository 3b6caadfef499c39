#!/usr/bin/env bash
# The installer as a user meets it, in a Wine prefix of its own: a silent
# install (in Chinese), the installed utility started against the virtual
# keyboard, a silent uninstall that keeps the settings and a user's own file,
# then an English install and an uninstall that removes the settings too.
#   installer_test.sh <build folder>
# Exit 77 (skipped) when the build made no installer (makensis is missing).
set -uo pipefail
build="$1"
setup="$build/Q730X-Setup.exe"
if [ ! -f "$setup" ]; then
  echo "makensis is not installed, so there is no installer: skipped"
  exit 77
fi

prefix="$(mktemp -d /tmp/q730x-installer-test.XXXXXX)"
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export DISPLAY=":$(head -n1 "$build/test-session/xvfb.display")"
export Q730X_DEVICE=virtual Q730X_VKB_PIPE='\\.\pipe\q730x-installer-test'
trap 'wineserver -k </dev/null >/dev/null 2>&1; wineserver -w </dev/null >/dev/null 2>&1; rm -rf "$prefix"' EXIT
wineserver -p </dev/null >/dev/null 2>&1
wine wineboot -i </dev/null >/dev/null 2>&1

failures=0
check() {  # check "what" command...
  local what="$1"; shift
  if "$@" >/dev/null 2>&1; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
wait_for() {  # wait_for seconds command...
  local seconds="$1"; shift
  for _ in $(seq $((seconds * 5))); do "$@" >/dev/null 2>&1 && return 0; sleep 0.2; done
  return 1
}
reg_has() { wine reg query "$1" /v "$2" </dev/null 2>/dev/null | grep -q "$2"; }
reg_key() { wine reg query "$1" </dev/null >/dev/null 2>&1; }
not() { ! "$@"; }
registered() { vkb dump | grep -qx "registered $1"; }  # clients registered with the driver

program="$prefix/drive_c/Program Files/Kavex/Q730X"
menu="$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Kavex Q730X"
run_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KavexQ730X'
vkb() { wine "$program/Q730XVirtualKeyboard.exe" "$@" </dev/null 2>/dev/null | tr -d '\r'; }
# The uninstaller copies itself away and returns at once: wait until it is done.
uninstall() { wine "$program/Uninstall.exe" /S "$@" </dev/null >/dev/null 2>&1; wait_for 60 not test -e "$program/Uninstall.exe"; }

echo "== silent install, Chinese"
check "the installer ends with status 0" wine "$setup" /S /LANGUAGE=zh-CN
for f in Q730X.exe q730xctl.exe HidBridge.dll KeyTap.dll ScreenClip.exe Q730XVirtualKeyboard.exe \
         language.xml Uninstall.exe lang/zh-CN/language.xml skins/messagebox/Notice_Normal.bmp \
         FWUpdate/Q730XBurn.exe; do
  check "installed $f" test -f "$program/$f"
done
check "FWUpdate and profile folders exist" test -d "$program/FWUpdate" -a -d "$program/profile"
check "the chosen translation is the utility's language.xml" cmp "$program/language.xml" "$program/lang/zh-CN/language.xml"
check "Start-menu entry" test -f "$menu/Q730X Keyboard Utility.lnk"
check "the utility starts with Windows" reg_has "$run_key" "Kavex Q730X"
check "an entry in the programs list" reg_has "$uninstall_key" "UninstallString"

echo "== the installed utility against the virtual keyboard"
setsid wine "$program/Q730XVirtualKeyboard.exe" serve </dev/null >/dev/null 2>&1 &
check "the virtual keyboard answers" wait_for 30 vkb ping
setsid wine "$program/Q730X.exe" </dev/null >/dev/null 2>&1 &
check "the utility registers with the keyboard's driver" wait_for 60 registered 1
check "the utility created five profile files next to itself" wait_for 20 test -f "$program/profile/5.cfg"
check "the utility created its registry settings" reg_key 'HKLM\Software\KAVEX\Q730X\Profile\0'
echo "notes of the user" > "$program/my notes.txt"

echo "== silent uninstall: the settings are kept"
check "the uninstaller finishes" uninstall
check "the running utility was closed (driver unregistered)" wait_for 20 registered 0
for f in Q730X.exe q730xctl.exe HidBridge.dll KeyTap.dll ScreenClip.exe language.xml lang skins FWUpdate; do
  check "removed $f" not test -e "$program/$f"
done
check "the user's own file is untouched" test -f "$program/my notes.txt"
check "the profile files are kept" test -f "$program/profile/1.cfg"
check "the registry settings are kept" reg_key 'HKLM\Software\KAVEX\Q730X\Profile\0'
check "no Start-menu entry left" not test -e "$menu"
check "no start with Windows left" not reg_has "$run_key" "Kavex Q730X"
check "no programs-list entry left" not reg_key "$uninstall_key"
vkb stop >/dev/null

echo "== English install, then an uninstall that removes the settings"
rm -f "$program/my notes.txt"
check "the installer ends with status 0" wine "$setup" /S /LANGUAGE=en
check "English language.xml" cmp "$program/language.xml" "$build/dist/language.xml"
check "the uninstaller finishes" uninstall /REMOVESETTINGS
check "the program folder is gone" not test -e "$program"
check "the registry settings are gone" not reg_key 'HKLM\Software\KAVEX\Q730X'

echo "$failures failed"
[ "$failures" -eq 0 ]
