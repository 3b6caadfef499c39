#include "window_driver.h"

#include <string>

#include "gui_support.h"

namespace q730x::test {

bool Eventually(const std::function<bool()>& done, DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  while (!done()) {
    if (GetTickCount64() > end) return false;
    Sleep(10);
  }
  return true;
}

std::vector<HWND> VisibleWindows(const wchar_t* title, SIZE size) {
  struct Search {
    std::wstring title;
    SIZE size;
    std::vector<HWND> found;
  } search{title, size, {}};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(data);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        wchar_t text[64] = {};
        InternalGetWindowText(window, text, 64);
        RECT r;
        GetWindowRect(window, &r);
        const bool anySize = s.size.cx == 0 && s.size.cy == 0;
        const bool sized = anySize || (r.right - r.left == s.size.cx && r.bottom - r.top == s.size.cy);
        if (process != GetCurrentProcessId() && IsWindowVisible(window) && s.title == text && sized)
          s.found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForVisible(const wchar_t* title, SIZE size, DWORD ms) {
  HWND found = nullptr;
  Eventually(
      [&] {
        const auto windows = VisibleWindows(title, size);
        found = windows.empty() ? nullptr : windows.front();
        return found != nullptr;
      },
      ms);
  return found;
}

namespace {

// The visible popup menu window (class #32768) of another process, or null.
HWND VisiblePopupMenu() {
  HWND found = nullptr;
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (std::wstring(name) != L"#32768" || !IsWindowVisible(window) || process == GetCurrentProcessId())
          return TRUE;
        *reinterpret_cast<HWND*>(data) = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

}  // namespace

bool ChooseTrayMenuItem(const TrayIcon& tray, int index) {
  // The menu opens at the pointer; a spot in the middle of the screen leaves
  // it room below and to the right.
  MovePointerTo(GetDesktopWindow(), POINT{400, 300});
  // A right click as the shell reports it to a version 3 icon.
  for (LPARAM message : {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_CONTEXTMENU})
    PostMessageW(tray.owner, tray.callbackMessage, 0, message);
  HWND menu = nullptr;
  if (!Eventually([&] { return (menu = VisiblePopupMenu()) != nullptr; }, 10000)) return false;
  // The menu shows before its loop runs: a few round trips through that loop
  // make sure it is tracking, and placed, before the pointer goes to an item.
  for (int round = 0; round < 3; ++round) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(menu, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer)) break;
  }
  // A click that came before the menu took the pointer leaves it open: the
  // item is clicked again, at most three times.
  const auto closed = [&] { return !IsWindow(menu) || !IsWindowVisible(menu); };
  for (int attempt = 0; attempt < 3; ++attempt) {
    RECT frame;
    GetWindowRect(menu, &frame);
    // The items stand one under the other between equal borders.
    const int border = (frame.bottom - frame.top - tray.itemCount * tray.itemHeight) / 2;
    const POINT item{(frame.left + frame.right) / 2, frame.top + border + index * tray.itemHeight + tray.itemHeight / 2};
    MovePointerTo(GetDesktopWindow(), item);
    LeftButton(true);
    LeftButton(false);
    if (Eventually(closed, 2000)) return true;
  }
  return false;
}

bool ClickButton(HWND window, POINT at) {
  HWND button = nullptr;
  if (!Eventually([&] {
        button = ChildWindowFromPoint(window, at);
        return button && button != window;
      }, 5000))
    return false;
  return PostMessageW(button, BM_CLICK, 0, 0) != FALSE;
}

}  // namespace q730x::test
