// The one way the utility ends itself: close the key setting dialog and any
// message box, then ask the main window to close.
#pragma once

#include <windows.h>

namespace q730x {

void RunExitCommand(HWND mainWindow);

// Sends (or posts) a message to every top-level window of this process with
// this title. Windows of other programs that happen to carry the same title
// are left alone: a hung one would otherwise hang our exit.
void SendToWindowTitled(const wchar_t* title, UINT message);
void PostToWindowTitled(const wchar_t* title, UINT message);

}  // namespace q730x
