#include "app/exit_command.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace q730x {

namespace {

// This process's top-level windows titled with one of `titles`, those of the
// first title first. One walk for all titles: every walk is a trip through
// all top-level windows of the session.
std::vector<HWND> OwnWindowsTitled(std::initializer_list<const wchar_t*> titles) {
  struct Search {
    std::vector<std::wstring> titles;
    std::vector<std::pair<size_t, HWND>> found;  // title index, window
  } search{{titles.begin(), titles.end()}, {}};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(data);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process != GetCurrentProcessId()) return TRUE;
        wchar_t text[64] = {};
        InternalGetWindowText(window, text, 64);  // reads the title without a message
        for (size_t i = 0; i < s.titles.size(); ++i)
          if (s.titles[i] == text) s.found.emplace_back(i, window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  std::stable_sort(search.found.begin(), search.found.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<HWND> windows;
  for (const auto& [title, window] : search.found) windows.push_back(window);
  return windows;
}

}  // namespace

void SendToWindowTitled(const wchar_t* title, UINT message) {
  for (HWND window : OwnWindowsTitled({title})) SendMessageW(window, message, 0, 0);
}

void PostToWindowTitled(const wchar_t* title, UINT message) {
  PostToWindowsTitled({title}, message);
}

void PostToWindowsTitled(std::initializer_list<const wchar_t*> titles, UINT message) {
  for (HWND window : OwnWindowsTitled(titles)) PostMessageW(window, message, 0, 0);
}

void RunExitCommand(HWND mainWindow) {
  SendToWindowTitled(L"KavexQ730XSetting", WM_CLOSE);
  SendToWindowTitled(L"Info Box", WM_CLOSE);
  PostMessageW(mainWindow, WM_CLOSE, 0, 0);
}

}  // namespace q730x
