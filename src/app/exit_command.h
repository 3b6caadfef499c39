// The one way the utility ends itself: close the key setting dialog and any
// message box, then ask the main window to close.
#pragma once

#include <windows.h>

#include <initializer_list>

namespace q730x {

void RunExitCommand(HWND mainWindow);

// Sends (or posts) a message to every top-level window of this process with
// this title. Windows of other programs that happen to carry the same title
// are left alone: a hung one would otherwise hang our exit.
void SendToWindowTitled(const wchar_t* title, UINT message);
void PostToWindowTitled(const wchar_t* title, UINT message);
// The same post for several titles from one walk through the windows: the
// windows of the first title get it first, then those of the second, and so on.
void PostToWindowsTitled(std::initializer_list<const wchar_t*> titles, UINT message);

}  // namespace q730x
