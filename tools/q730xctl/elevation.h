// Whether q730xctl may change the settings. The settings live under
// HKEY_LOCAL_MACHINE and in the program folder, which only administrators can
// change; the tool runs with the rights of its console (asInvoker), so a
// command that writes asks first and explains instead of failing half-way.
#pragma once

namespace q730x::ctl {

// True when the process runs with an elevated (full administrator) token.
// The environment variable Q730XCTL_ACT_UNELEVATED=1 makes it answer false:
// tests use it to see the refusal where every process is elevated. It can
// only make the tool refuse more, never allow anything.
bool ProcessIsElevated();

// For a command about to write: true when it may go on; otherwise it prints
// that the command needs an administrator prompt, and the command ends with
// kExitFailure.
bool MayWriteSettings();

}  // namespace q730x::ctl
