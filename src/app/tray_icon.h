// The notification-area icon: added once, removed when the object ends.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace q730x {

class TrayIcon {
 public:
  TrayIcon() = default;
  ~TrayIcon() { Remove(); }
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // The icon with its tip (cut to 127 characters); clicks come to window as
  // callbackMessage with the mouse message in lParam.
  bool Add(HWND window, UINT id, UINT callbackMessage, HICON icon, const std::wstring& tip);
  void Remove();
  // The removal at exit: the shell is asked on a worker thread, and the exit
  // waits for its answer at most waitMs. The request is handed over as the
  // call starts; the shell finishes it even when the program has ended.
  void RemoveAtExit(DWORD waitMs);
  bool added() const { return added_; }

 private:
  NOTIFYICONDATAW data_{};
  bool added_ = false;
};

}  // namespace q730x
