#!/usr/bin/env bash
# Runs stopped_shell_test and plays a stalled desktop shell for it. When the
# test leaves "stop-shell" in tests-bin, Wine's explorer.exe of the test
# slot's prefix is stopped (SIGSTOP) and "shell-stopped" answers; on "continue-shell"
# it goes on (SIGCONT) and "shell-continued" answers. The test's standard
# error, which the utility inherits, is kept in stopped-shell.log for the
# test to read the utility's debugger output from. Whatever happens, the
# shell is let go on at the end. Only processes of this prefix are touched.
set -uo pipefail
build="$1"
. "$build/test-slot-env.sh"
cd "$build/tests-bin" || exit 1
prefix="$WINEPREFIX"
rm -f stop-shell shell-stopped continue-shell shell-continued stopped-shell.log

# The explorer.exe processes whose Wine prefix is the slot's.
shell_pids() {
  local pid
  for pid in $(pgrep -f 'explorer\.exe'); do
    if tr '\0' '\n' < "/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$prefix"; then
      echo "$pid"
    fi
  done
}

continue_shell() {
  local pid
  for pid in $(shell_pids); do kill -CONT "$pid" 2>/dev/null; done
}

play_shell() {
  while :; do
    if [ -e stop-shell ]; then
      rm -f stop-shell shell-continued
      pids=$(shell_pids)
      [ -n "$pids" ] && kill -STOP $pids
      touch shell-stopped
    fi
    if [ -e continue-shell ]; then
      rm -f continue-shell shell-stopped
      continue_shell
      touch shell-continued
    fi
    sleep 0.05
  done
}

play_shell &
player=$!
"$build/test-run.sh" stopped_shell_test.exe --gtest_color=no </dev/null 2>stopped-shell.log
status=$?
kill "$player" 2>/dev/null
wait "$player" 2>/dev/null
continue_shell
rm -f stop-shell shell-stopped continue-shell shell-continued
exit $status
