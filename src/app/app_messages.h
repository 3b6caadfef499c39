// The window messages and commands the main window answers. Their numbers are
// fixed: other programs (a second copy of the utility, the firmware burn
// tool, the shell for the tray icon) send some of them.
#pragma once

#include <windows.h>

namespace q730x {

constexpr UINT WM_TRAY_CALLBACK = 0x600;  // lParam: the mouse message
constexpr UINT WM_APP_EXIT = 0x700;
constexpr UINT WM_HIDE_MAIN = 0x706;
constexpr UINT WM_OPEN_MAIN = 0x707;
// From the firmware burn tool (and the keyboard page for the first one).
constexpr UINT WM_FIRMWARE_PROGRESS = 0x70A;  // wParam 1: show the box; lParam: position
constexpr UINT WM_FIRMWARE_DONE = 0x70B;
constexpr UINT WM_FIRMWARE_FAILED = 0x70C;

constexpr WORD kCommandOpen = 0x6000;
constexpr WORD kCommandExit = 0x6001;
constexpr WORD kCommandAbout = 0x6002;

constexpr UINT kTrayIconId = 128;
constexpr int kMainIconId = 128;
constexpr int kMainWindowTemplate = 102;
// The main window's own dialog class (named in its template), by which a
// second copy of the program finds the first whatever its title.
constexpr wchar_t kMainWindowClass[] = L"Q730XMainWindow";
constexpr int kWizardAboutTemplate = 100;

}  // namespace q730x
