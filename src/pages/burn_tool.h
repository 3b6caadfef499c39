// The firmware burn tool, started so that its end is seen: a tool that ends
// without its last word (0x70B done, 0x70C failed) would otherwise leave the
// update running for ever, and the tray icon deaf with it.
#pragma once

#include <windows.h>

#include <string>

namespace q730x {

// Posted to the main window when the burn tool's process has ended; lParam
// holds its exit code. Comes after every message the tool posted.
constexpr UINT WM_BURN_TOOL_ENDED = WM_APP + 0x70E;

// Starts tool with "-KAVEX" through the shell, and watches its process on a
// thread of its own. False when it does not start.
bool StartWatchedBurnTool(const std::wstring& tool, HWND mainWindow);

}  // namespace q730x
