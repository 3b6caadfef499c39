#include "app/exit_command.h"

namespace q730x {

void SendToWindowTitled(const wchar_t* title, UINT message) {
  if (HWND window = FindWindowW(nullptr, title)) SendMessageW(window, message, 0, 0);
}

void PostToWindowTitled(const wchar_t* title, UINT message) {
  if (HWND window = FindWindowW(nullptr, title)) PostMessageW(window, message, 0, 0);
}

void RunExitCommand(HWND mainWindow) {
  SendToWindowTitled(L"KavexQ730XSetting", WM_CLOSE);
  SendToWindowTitled(L"Info Box", WM_CLOSE);
  PostMessageW(mainWindow, WM_CLOSE, 0, 0);
}

}  // namespace q730x
