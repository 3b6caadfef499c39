// The messages the main window takes from other programs, let through the
// user interface privilege isolation of Windows (UIPI): the utility runs
// elevated, and Windows drops most messages that a program of a lower
// integrity level (the shell, a second copy started without elevation, the
// burn tool) posts to it unless the window allows them.
#pragma once

#include <windows.h>

namespace q730x {

// Allows, for this window only (ChangeWindowMessageFilterEx), 0x600 (the
// tray icon and a second copy), 0x700, 0x706, 0x707, 0x70A to 0x70C (the burn
// tool), WM_CLOSE and the shell's registered "TaskbarCreated". False when
// any of them was refused.
bool AllowMessagesFromOtherPrograms(HWND window, UINT taskbarCreated);

}  // namespace q730x
