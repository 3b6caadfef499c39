#!/usr/bin/env bash
# The installer as a user meets it, in a Wine prefix of its own: a silent
# install (in Chinese) with its logon task, the installed utility started
# against the virtual keyboard, a silent uninstall that keeps the settings and
# a user's own file, then an English install over an older version's Run
# value and an uninstall that removes the settings too, an install into a
# folder of the user's choice, and last the refusal of a folder outside
# Program Files that someone prepared and the stop when a folder's
# permissions cannot be set.
#   installer_test.sh <build folder>
# Exit 77 (skipped) when the build made no installer (makensis is missing).
set -uo pipefail
build="$1"
setup="$build/Q730X-Setup.exe"
if [ ! -f "$setup" ]; then
  echo "makensis is not installed, so there is no installer: skipped"
  exit 77
fi

# The display of the test's slot; the prefix is the test's own, a copy of the
# slots' booted template, started in a session of its own. (In the session
# that booted a new prefix, Wine's Task Scheduler service often fails to
# start, "service database locked", then time-outs; on Windows it runs long
# before anyone installs anything.)
. "$build/test-slot-env.sh"
prefix="$Q730X_SLOT_DIR/installer-prefix"
q730x_prefix_from_template "$prefix" || exit 1
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k </dev/null >/dev/null 2>&1; wineserver -w </dev/null >/dev/null 2>&1; rm -rf "$prefix"' EXIT
wineserver -p </dev/null >/dev/null 2>&1

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
overrides='HKLM\Software\KAVEX\Q730X-Overrides'
# Wine keeps a registered task as a file (without its trigger, principal and
# action, which it drops); the definition itself is checked in the file the
# installer registered.
task_file="$prefix/drive_c/windows/system32/tasks/Kavex Q730X"
task_xml="$program/logon-task.xml"
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
check "the logon task is registered" test -f "$task_file"
check "no Run value, which Windows ignores for an elevated program" not reg_has "$run_key" "Kavex Q730X"
# The definition: UTF-16 with a byte-order mark; any user's logon; the group
# Users with the highest rights each user has; no time limit, no battery
# conditions, one copy, normal priority; the installed program as the action.
task_definition_right() {  # task_definition_right <definition file> <Windows path of the program folder>
  python3 - "$1" "$2" <<'PY'
import sys, xml.etree.ElementTree as ET
data = open(sys.argv[1], 'rb').read()
folder = sys.argv[2]
assert data[:2] == b'\xff\xfe', 'no UTF-16 LE byte-order mark'
root = ET.fromstring(data.decode('utf-16'))
ns = {'t': 'http://schemas.microsoft.com/windows/2004/02/mit/task'}
def one(path):
    found = root.findall(path, ns)
    assert len(found) == 1, f'{path}: {len(found)} elements'
    return found[0]
def text(path, want):
    got = (one(path).text or '').strip()
    assert got == want, f'{path} is {got!r}, not {want!r}'
trigger = one('t:Triggers/t:LogonTrigger')
assert trigger.find('t:UserId', ns) is None, 'the logon trigger names a user'
assert len(root.findall('t:Triggers/*', ns)) == 1, 'other triggers'
text('t:Triggers/t:LogonTrigger/t:Enabled', 'true')
principal = one('t:Principals/t:Principal')
text('t:Principals/t:Principal/t:GroupId', 'S-1-5-32-545')
text('t:Principals/t:Principal/t:RunLevel', 'HighestAvailable')
assert principal.find('t:UserId', ns) is None and principal.find('t:LogonType', ns) is None, \
    'a group principal runs with the interactive token of the user who logs on'
text('t:Settings/t:ExecutionTimeLimit', 'PT0S')
text('t:Settings/t:DisallowStartIfOnBatteries', 'false')
text('t:Settings/t:StopIfGoingOnBatteries', 'false')
text('t:Settings/t:MultipleInstancesPolicy', 'IgnoreNew')
text('t:Settings/t:Priority', '5')
actions = one('t:Actions')
assert actions.get('Context') == principal.get('id'), 'the action runs in another principal'
assert len(actions) == 1, 'more than one action'
text('t:Actions/t:Exec/t:Command', folder + '\\Q730X.exe')
assert one('t:Actions/t:Exec').find('t:Arguments', ns) is None, 'arguments'
PY
}
check "the logon task's definition" task_definition_right "$task_xml" 'C:\Program Files\Kavex\Q730X'
check "an entry in the programs list" reg_has "$uninstall_key" "UninstallString"

echo "== the installed utility against the virtual keyboard"
# Pointed at the virtual keyboard the way only an administrator can.
wine reg add "$overrides" /v Device /t REG_SZ /d virtual /f </dev/null >/dev/null 2>&1
wine reg add "$overrides" /v VirtualKeyboardPipe /t REG_SZ /d '\\.\pipe\q730x-installer-test' /f </dev/null >/dev/null 2>&1
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
check "no logon task left" not test -e "$task_file"
check "no task definition left" not test -e "$task_xml"
check "no programs-list entry left" not reg_key "$uninstall_key"
vkb stop >/dev/null

echo "== English install over an older version's Run value, then an uninstall that removes the settings"
rm -f "$program/my notes.txt"
wine reg add "$run_key" /v "Kavex Q730X" /t REG_SZ /d '"C:\Program Files\Kavex\Q730X\Q730X.exe"' /f </dev/null >/dev/null 2>&1
check "the installer ends with status 0" wine "$setup" /S /LANGUAGE=en
check "the older version's Run value is gone" not reg_has "$run_key" "Kavex Q730X"
check "the logon task is registered again" test -f "$task_file"
check "English language.xml" cmp "$program/language.xml" "$build/dist/language.xml"
check "the uninstaller finishes" uninstall /REMOVESETTINGS
check "the program folder is gone" not test -e "$program"
check "the registry settings are gone" not reg_key 'HKLM\Software\KAVEX\Q730X'
check "the switches are gone too" not reg_key "$overrides"
check "no logon task left" not test -e "$task_file"

echo "== a folder of the user's choice, its name needing escapes in XML"
custom="$prefix/drive_c/Tools&Games/Q730X"
check "the installer ends with status 0" wine "$setup" /S /LANGUAGE=en '/D=C:\Tools&Games\Q730X'
check "installed there" test -f "$custom/Q730X.exe"
check "the logon task is registered" test -f "$task_file"
check "the logon task starts the program there" task_definition_right "$custom/logon-task.xml" 'C:\Tools&Games\Q730X'
program="$custom"
check "the uninstaller finishes" uninstall /REMOVESETTINGS
check "that folder is gone" not test -e "$custom"
check "no logon task left" not test -e "$task_file"

echo "== a folder outside Program Files that someone prepared is refused"
prepared="$prefix/drive_c/Prepared/Q730X"
mkdir -p "$prepared"
echo "planted" > "$prepared/winmm.dll"
wine "$setup" /S /LANGUAGE=en '/D=C:\Prepared\Q730X' </dev/null >/dev/null 2>&1
check "the installer refuses it with status 2" test $? -eq 2
check "nothing was installed there" not test -e "$prepared/Q730X.exe"
check "the file that was there is left alone" test -f "$prepared/winmm.dll"
check "no logon task" not test -e "$task_file"
check "no programs-list entry" not reg_key "$uninstall_key"
rm -rf "$prefix/drive_c/Prepared"

echo "== a folder whose permissions cannot be set: the installation stops"
fresh="$prefix/drive_c/Fresh/Q730X"
wine "$setup" /S /LANGUAGE=en /TESTPROTECTFAIL '/D=C:\Fresh\Q730X' </dev/null >/dev/null 2>&1
check "the installer stops with status 2" test $? -eq 2
check "nothing was installed" not test -e "$fresh/Q730X.exe"
check "the folder it made is gone again" not test -e "$fresh"
check "no logon task" not test -e "$task_file"
check "no programs-list entry" not reg_key "$uninstall_key"
rm -rf "$prefix/drive_c/Fresh"

echo "$failures failed"
[ "$failures" -eq 0 ]
