// The notification-area icon: added once, kept there while the shell comes
// and goes, removed when the object ends.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace q730x {

class TrayIcon {
 public:
  TrayIcon();
  ~TrayIcon() { Remove(); }
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // The icon with its tip (cut to 127 characters); clicks come to window as
  // callbackMessage with the mouse message in lParam. When the shell refuses
  // it (no taskbar yet, as at an early logon) it is tried again every second
  // on the window's timer retryTimer until it is there.
  bool Add(HWND window, UINT id, UINT callbackMessage, HICON icon, const std::wstring& tip,
           UINT_PTR retryTimer);
  void Remove();
  // The removal at exit: the shell is asked on a worker thread, and the exit
  // waits for its answer at most waitMs. The request is handed over as the
  // call starts; the shell finishes it even when the program has ended.
  void RemoveAtExit(DWORD waitMs);
  bool added() const { return added_; }

  // A notification beside the icon (a balloon, or a toast on Windows 10 and
  // 11) with the icon's own picture; shown as soon as the icon is there.
  void ShowNotification(const std::wstring& title, const std::wstring& text);

  // The shell's "TaskbarCreated" message (a new Explorer lost every icon)
  // and the retry timer: the icon is added again. True when the message was
  // one of them.
  bool OnMessage(UINT message, WPARAM wParam);
  UINT taskbarCreatedMessage() const { return taskbarCreated_; }

 private:
  bool TryAdd();
  void ShowPendingNotification();

  NOTIFYICONDATAW data_{};
  UINT taskbarCreated_ = 0;
  UINT_PTR retryTimer_ = 0;
  bool wanted_ = false;  // between Add and Remove
  bool added_ = false;
  bool notificationPending_ = false;
  std::wstring notificationTitle_, notificationText_;
};

}  // namespace q730x
