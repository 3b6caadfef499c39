// Starting a program, file, folder or address as the signed-in user, not
// with the utility's administrator token: the request goes to the desktop's
// own shell (Explorer, running unelevated), which starts it as it would a
// double click. Needs COM initialised (single-threaded) on the calling thread.
#pragma once

#include <string>

namespace q730x {

// The shell's ShellExecute(file, parameters, no folder, "open",
// SW_SHOWNORMAL), reached through the desktop window's IShellDispatch2.
// False when no desktop shell answers (no Explorer, as under Wine).
bool OpenThroughDesktopShell(const std::wstring& file, const std::wstring& parameters);

// Starts program (a full path) with arguments under the desktop user's own
// token, taken from the process of the shell's window (GetShellWindow,
// OpenProcessToken, DuplicateTokenEx, CreateProcessWithTokenW), as Microsoft
// documents for an elevated program that must start one unelevated when the
// shell's automation does not answer. False when there is no shell window,
// its token cannot be had, or the start fails. Never falls back to the
// caller's own token.
bool StartAsDesktopUser(const std::wstring& program, const std::wstring& arguments);

}  // namespace q730x
