// Saves what the screen shows inside a window's rectangle as a PNG file.
#pragma once

#include <windows.h>

#include <string>

namespace q730x {

bool SaveWindowScreenshot(HWND window, const std::wstring& path);
// The screen rectangle given, for pictures of several windows together.
bool SaveScreenArea(RECT area, const std::wstring& path);

}  // namespace q730x
