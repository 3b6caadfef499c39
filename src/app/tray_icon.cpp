#include "app/tray_icon.h"

#include <cwchar>

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
  return added_;
}

void TrayIcon::Remove() {
  if (!added_) return;
  Shell_NotifyIconW(NIM_DELETE, &data_);
  added_ = false;
}

}  // namespace q730x
