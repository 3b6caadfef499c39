// The main window: a skinned, borderless window that starts hidden behind
// its tray icon, runs the start-up steps that need a window (the wait for
// the keyboard, the profile store, the skin, the device notifications, the
// tray icon), follows the keyboard's presence and closes everything in order.
// It holds the keyboard session (the driver link, the profiles, the downloads
// and the presence flags its presence tracking works on) and its pages,
// which show and edit through the session.
#pragma once

#include <functional>
#include <memory>

#include "app/tray_icon.h"
#include "device/keyboard_session.h"
#include "device/device_notifications.h"
#include "device/presence_tracker.h"
#include "pages/about_dialog.h"
#include "pages/keyboard_page.h"
#include "pages/macro_manager.h"
#include "pages/progress_box.h"
#include "skin/bitmap_button.h"
#include "skin/gdi_handles.h"
#include "skin/kavex_menu.h"
#include "skin/skinned_dialog.h"

namespace q730x {

class CKavexQ460KbConfigDlg : public SkinnedDialog, private PresenceActions {
 public:
  // `endProcess`, when given, ends the process once the close sequence has
  // stopped all that reaches outside it (see EndProcessQuickly); without it
  // the pages and their windows are taken down one by one.
  explicit CKavexQ460KbConfigDlg(std::function<void()> endProcess = {});
  ~CKavexQ460KbConfigDlg() override;

  bool showAllowed() const { return showAllowed_; }

 protected:
  bool OnInitDialog() override;
  bool OnCommand(HWND control, int code, int id) override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void CreateButtons();
  void ArrangeTabOrder();
  void AddTrayIcon();
  void Open();
  void OnTrayCallback(LPARAM mouseMessage);
  void ShowTrayMenu();
  void Close();
  void EndProcessQuickly();
  void UnregisterNotifications();
  void ShowAbout();
  void OnFirmwareProgress(WPARAM show, LPARAM position);
  void FirmwareUpdateEnded(bool failed);
  void OnBurnToolEnded(DWORD exitCode);
  void ExitForced();
  bool StartKeyboardSession();
  bool CreateKeyboardPage();
  void CreateMacroPage();
  void ShowKeyboardPage();
  void ShowMacroPage();
  // Hiding or minimising the window ends a running macro recording (which saves).
  void HideWindow(int how);
  // WM_WTSSESSION_CHANGE: program-link switching pauses while this session is
  // locked or not connected to a screen.
  void OnSessionChange(WPARAM event);

  // PresenceActions
  PresenceFlags* KeyboardPage() override;
  void Wait(DWORD milliseconds) override { Sleep(milliseconds); }
  bool OpenHid() override;
  void ReadFirmwareVersion() override;
  void StartRetryTimer() override;
  void StopRetryTimer() override;
  void ShowMessage(const std::wstring& text) override;
  void Exit() override;

  std::function<void()> endProcess_;
  bool showAllowed_ = false;
  HICON icon_ = nullptr;  // a shared resource icon: never destroyed
  CGDIBitmapBtn hide_, minimise_, keyboard_, macros_;
  TrayIcon tray_;
  std::unique_ptr<DeviceNotifications> notifications_;
  bool sessionRegistered_ = false;
  bool sessionLocked_ = false, sessionDisconnected_ = false;
  bool launchRefusalTold_ = false;
  CKavexMenu* trayMenu_ = nullptr;  // while the tray menu is open
  WindowPtr<CProgressDlg> firmwareProgress_;
  WindowPtr<CDlgAbout> about_;
  // The end of a firmware update: its message is open; a failure reported
  // meanwhile; whether the window was shown when the update began.
  bool updateEndShowing_ = false;
  bool updateFailed_ = false;
  bool shownBeforeUpdate_ = false;
  // A close that no open message box may veto (a failed firmware update).
  bool exitForced_ = false;
  PresenceTracker presence_{*this};
  KeyboardSession session_;  // outlives the pages, which refer to it
  WindowPtr<CKeyboardDlg> keyboardPage_;
  WindowPtr<CMacroDlg> macroPage_;
};

}  // namespace q730x
