// The one way the utility ends itself: close the key setting dialog and any
// message box, then ask the main window to close.
#pragma once

#include <windows.h>

namespace q730x {

void RunExitCommand(HWND mainWindow);

// Sends (or posts) a message to the top-level window with this title, if any.
void SendToWindowTitled(const wchar_t* title, UINT message);
void PostToWindowTitled(const wchar_t* title, UINT message);

}  // namespace q730x
