// The yardstick of the process benchmark: the barest window program that adds
// a notification-area icon, as any small tray program would, and removes it
// when it is asked to close. Given a number N, it first makes N plain child
// buttons in its hidden window: what that many windows cost under Wine alone.
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>

namespace {

NOTIFYICONDATAW icon{};

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    Shell_NotifyIconW(NIM_DELETE, &icon);
    DestroyWindow(window);
    return 0;
  }
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.lpszClassName = L"Q730XBareTray";
  RegisterClassW(&wc);
  HWND window = CreateWindowExW(0, wc.lpszClassName, L"bare tray", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                instance, nullptr);
  const int children = commandLine ? _wtoi(commandLine) : 0;
  for (int i = 0; i < children; ++i)
    CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, (i % 20) * 40, (i / 20) * 40, 36,
                    36, window, nullptr, instance, nullptr);
  icon.cbSize = sizeof icon;
  icon.hWnd = window;
  icon.uID = 1;
  icon.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
  icon.uCallbackMessage = WM_APP;
  icon.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  lstrcpyW(icon.szTip, L"bare tray");
  Shell_NotifyIconW(NIM_ADD, &icon);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}
