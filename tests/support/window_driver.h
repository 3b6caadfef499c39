// Driving another program's windows from outside, as a user does: waiting
// for a condition, finding visible windows by their titles, and choosing an
// item of a tray icon's popup menu with the real pointer.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

namespace q730x::test {

// Checks done every 10 ms until it holds or ms have passed; answers done().
bool Eventually(const std::function<bool()>& done, DWORD ms = 10000);

// The visible top-level windows of other processes with this title and, when
// size is not {0, 0}, this outer size.
std::vector<HWND> VisibleWindows(const wchar_t* title, SIZE size = {});
// The first of them within ms, or null.
HWND WaitForVisible(const wchar_t* title, SIZE size = {}, DWORD ms = 15000);

// Clicks the button at a client point of a window of another process, once
// the button is there; false when none came within 5 s.
[[nodiscard]] bool ClickButton(HWND window, POINT at);

// A tray icon's popup menu: the icon's callback message with a right press
// makes its owner open the menu at the pointer; an item is then chosen by a
// click of the real pointer on it.
struct TrayIcon {
  HWND owner;
  UINT callbackMessage;
  int itemCount;   // items of the menu, all of itemHeight
  int itemHeight;
};
// Opens the menu and clicks item index (0 is the top one); false when no
// menu showed or it did not close after the click.
bool ChooseTrayMenuItem(const TrayIcon& tray, int index);

}  // namespace q730x::test
