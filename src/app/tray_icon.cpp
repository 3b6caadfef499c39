#include "app/tray_icon.h"

#include <cwchar>
#include <memory>

namespace q730x {

bool TrayIcon::Add(HWND window, UINT id, UINT callbackMessage, HICON icon, const std::wstring& tip) {
  Remove();
  data_ = NOTIFYICONDATAW{};
  data_.cbSize = sizeof data_;
  data_.hWnd = window;
  data_.uID = id;
  data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data_.uCallbackMessage = callbackMessage;
  data_.hIcon = icon;
  std::wcsncpy(data_.szTip, tip.c_str(), 127);
  data_.szTip[127] = L'\0';
  added_ = Shell_NotifyIconW(NIM_ADD, &data_) != FALSE;
  if (added_) {
    // From this version on the shell reports the keyboard on the icon too
    // (NIN_KEYSELECT, WM_CONTEXTMENU), still with the message in lParam.
    data_.uVersion = NOTIFYICON_VERSION;
    Shell_NotifyIconW(NIM_SETVERSION, &data_);
  }
  return added_;
}

void TrayIcon::Remove() {
  if (!added_) return;
  Shell_NotifyIconW(NIM_DELETE, &data_);
  added_ = false;
}

// Under Wine on an X server without a window manager the shell answers a
// removal only after two seconds (it waits for the icon's window to be
// unmapped), which made every exit take two seconds longer than its work.
void TrayIcon::RemoveAtExit(DWORD waitMs) {
  if (!added_) return;
  added_ = false;
  auto request = std::make_unique<NOTIFYICONDATAW>(data_);
  const auto remove = [](void* parameter) -> DWORD {
    std::unique_ptr<NOTIFYICONDATAW> data(static_cast<NOTIFYICONDATAW*>(parameter));
    Shell_NotifyIconW(NIM_DELETE, data.get());
    return 0;
  };
  if (HANDLE thread = CreateThread(nullptr, 0, remove, request.get(), 0, nullptr)) {
    request.release();  // the thread owns it now
    WaitForSingleObject(thread, waitMs);
    CloseHandle(thread);
    return;
  }
  Shell_NotifyIconW(NIM_DELETE, request.get());
}

}  // namespace q730x
