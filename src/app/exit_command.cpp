#include "app/exit_command.h"

#include <string>
#include <vector>

namespace q730x {

namespace {

std::vector<HWND> OwnWindowsTitled(const wchar_t* title) {
  struct Search {
    std::wstring title;
    std::vector<HWND> found;
  } search{title, {}};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(data);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process != GetCurrentProcessId()) return TRUE;
        wchar_t text[64] = {};
        InternalGetWindowText(window, text, 64);  // reads the title without a message
        if (s.title == text) s.found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

void SendToWindowTitled(const wchar_t* title, UINT message) {
  for (HWND window : OwnWindowsTitled(title)) SendMessageW(window, message, 0, 0);
}

void PostToWindowTitled(const wchar_t* title, UINT message) {
  for (HWND window : OwnWindowsTitled(title)) PostMessageW(window, message, 0, 0);
}

void RunExitCommand(HWND mainWindow) {
  SendToWindowTitled(L"KavexQ730XSetting", WM_CLOSE);
  SendToWindowTitled(L"Info Box", WM_CLOSE);
  PostMessageW(mainWindow, WM_CLOSE, 0, 0);
}

}  // namespace q730x
