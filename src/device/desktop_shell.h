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

}  // namespace q730x
