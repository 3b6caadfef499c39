// The messages the main window takes from programs of a lower integrity
// level, let through the user interface privilege isolation of Windows
// (UIPI). When the utility runs elevated, Windows drops the messages such a
// program posts or sends to it unless the window allows them. Only what a
// lower program must send is allowed: the shell's tray icon callbacks and its
// "TaskbarCreated". Every other sender (a second copy of the utility, the
// burn tool, the installer) runs with the utility's own rights, to which
// UIPI does not apply; a browser sandbox or any other lower program must not
// close the utility, end it or cover it with a firmware update's boxes.
#pragma once

#include <windows.h>

namespace q730x {

// Allows, for this window only (ChangeWindowMessageFilterEx), 0x600 (the
// tray icon's callbacks) and the shell's registered "TaskbarCreated". False
// when either was refused.
bool AllowMessagesFromOtherPrograms(HWND window, UINT taskbarCreated);

}  // namespace q730x
