// Steps for a modal dialog: run once the window with a given title is up,
// from a timer inside the dialog's own loop, with the window in front.
#pragma once

#include <windows.h>

#include <functional>

namespace q730x::test {

void RunWhenShown(const wchar_t* title, std::function<void(HWND)> steps);

}  // namespace q730x::test
