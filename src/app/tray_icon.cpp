#include "app/tray_icon.h"

#include <cwchar>
#include <memory>

namespace q730x {

namespace {
constexpr UINT kRetryPeriodMs = 1000;

void CopyCut(wchar_t* to, std::size_t size, const std::wstring& text) {
  std::wcsncpy(to, text.c_str(), size - 1);
  to[size - 1] = L'\0';
}
}  // namespace

TrayIcon::TrayIcon() : taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")) {}

bool TrayIcon::Add(HWND window, UINT id, UINT callbackMessage, HICON icon, const std::wstring& tip,
                   UINT_PTR retryTimer) {
  Remove();
  data_ = NOTIFYICONDATAW{};
  data_.cbSize = sizeof data_;
  data_.hWnd = window;
  data_.uID = id;
  data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data_.uCallbackMessage = callbackMessage;
  data_.hIcon = icon;
  CopyCut(data_.szTip, std::size(data_.szTip), tip);
  retryTimer_ = retryTimer;
  wanted_ = true;
  return TryAdd();
}

bool TrayIcon::TryAdd() {
  added_ = Shell_NotifyIconW(NIM_ADD, &data_) != FALSE;
  // An icon the shell still shows (a "TaskbarCreated" sent to every window
  // while ours was kept) is refused a second time: take it over as it is.
  if (!added_) added_ = Shell_NotifyIconW(NIM_MODIFY, &data_) != FALSE;
  if (added_) {
    // From this version on the shell reports the keyboard on the icon too
    // (NIN_KEYSELECT, WM_CONTEXTMENU), still with the message in lParam.
    data_.uVersion = NOTIFYICON_VERSION;
    Shell_NotifyIconW(NIM_SETVERSION, &data_);
    if (retryTimer_) KillTimer(data_.hWnd, retryTimer_);
    ShowPendingNotification();
  } else if (retryTimer_) {
    SetTimer(data_.hWnd, retryTimer_, kRetryPeriodMs, nullptr);
  }
  return added_;
}

bool TrayIcon::OnMessage(UINT message, WPARAM wParam) {
  const bool retry = message == WM_TIMER && retryTimer_ != 0 && wParam == retryTimer_;
  if (message != taskbarCreated_ && !retry) return false;
  if (retry) KillTimer(data_.hWnd, retryTimer_);
  if (wanted_) TryAdd();
  return true;
}

void TrayIcon::ShowNotification(const std::wstring& title, const std::wstring& text) {
  notificationTitle_ = title;
  notificationText_ = text;
  notificationPending_ = true;
  if (added_) ShowPendingNotification();
}

void TrayIcon::ShowPendingNotification() {
  if (!notificationPending_) return;
  NOTIFYICONDATAW info = data_;
  info.uFlags = NIF_INFO;
  CopyCut(info.szInfoTitle, std::size(info.szInfoTitle), notificationTitle_);
  CopyCut(info.szInfo, std::size(info.szInfo), notificationText_);
  // NIIF_USER: the icon's own picture (hBalloonIcon, else hIcon).
  info.dwInfoFlags = NIIF_USER;
  info.hBalloonIcon = data_.hIcon;
  if (Shell_NotifyIconW(NIM_MODIFY, &info)) notificationPending_ = false;
}

void TrayIcon::Remove() {
  wanted_ = false;
  if (retryTimer_ && data_.hWnd) KillTimer(data_.hWnd, retryTimer_);
  if (!added_) return;
  Shell_NotifyIconW(NIM_DELETE, &data_);
  added_ = false;
}

// Under Wine on an X server without a window manager the shell answers a
// removal only after two seconds (it waits for the icon's window to be
// unmapped), which made every exit take two seconds longer than its work.
void TrayIcon::RemoveAtExit(DWORD waitMs) {
  wanted_ = false;
  if (retryTimer_ && data_.hWnd) KillTimer(data_.hWnd, retryTimer_);
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
