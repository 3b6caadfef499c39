#include "app/main_window.h"

#include <wtsapi32.h>

#include "app/app_messages.h"
#include "app/exit_command.h"
#include "app/message_filter.h"
#include "app/tray_hint.h"
#include "device/keyboard_commands.h"
#include "device/usb_presence.h"
#include "markup/access_texts.h"
#include "markup/language_table.h"
#include "model/key_code.h"
#include "model/profile_store.h"
#include "pages/burn_tool.h"
#include "pages/message_box.h"
#include "pages/program_links.h"
#include "skin/keyboard_focus.h"
#include "skin/modal_scope.h"
#include "skin/skin_files.h"

namespace q730x {

namespace {
constexpr SIZE kMainWindowSize{822, 544};
// Where the four buttons of the window's own lie (the pages cover the rest).
constexpr RECT kButtonArea{48, 2, 819, 90};
constexpr UINT_PTR kTrayRetryTimer = 21;  // beside kHidRetryTimer (20)
}

// The main window ends only through its close sequence: Enter and Escape do nothing.
CKavexQ460KbConfigDlg::CKavexQ460KbConfigDlg(std::function<void()> endProcess)
    : SkinnedDialog(kMainWindowTemplate, kMainWindowSize, DialogKeys::NeverEnd),
      endProcess_(std::move(endProcess)) {
  RegisterDialogClass(kMainWindowClass);
}

CKavexQ460KbConfigDlg::~CKavexQ460KbConfigDlg() = default;

bool CKavexQ460KbConfigDlg::OnInitDialog() {
  icon_ = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kMainIconId));
  SendMessageW(hwnd(), WM_SETICON, ICON_BIG, LPARAM(icon_));
  SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, LPARAM(icon_));

  const DeviceWait device = WaitForDevice();
  if (!device.proceed) {
    ShowMessageBox(Language.str_device_prompt);
    RunExitCommand(hwnd());
    return true;
  }
  BuildDefaultMatrix();
  CreateMissingProfiles();
  SyncProfileFiles();
  SetWindowTextW(hwnd(), Language.str_title.c_str());

  LoadEmbeddedBitmaps(135, 137, 138);
  PlaceCentredOnScreen();
  if (UniqueRegion shape = RegionFromPicture(NormalPicture()))
    SetWindowRgn(hwnd(), shape.release(), TRUE);  // the window owns the region from here on
  KeepButtonArea(kButtonArea);
  CreateButtons();

  if (!CreateKeyboardPage()) {
    RunExitCommand(hwnd());
    return true;
  }
  CreateMacroPage();
  ArrangeTabOrder();

  about_ = MakeWindow<CDlgAbout>();
  if (about_->CreateModeless(hwnd())) {
    ShowWindow(about_->hwnd(), SW_HIDE);
    about_->SetKeyboardPage(keyboardPage_->hwnd());
  }

  // The firmware update's progress box, hidden until the burn tool reports.
  firmwareProgress_ = MakeWindow<CProgressDlg>();
  const RECT textArea{35, 20, 280, 50};
  firmwareProgress_->SetProgressText(Language.str_updating, &textArea);
  firmwareProgress_->SetBarExtent({59, 67, 298, 76});
  firmwareProgress_->SetRange(0, 100);
  firmwareProgress_->CreateModeless(hwnd());

  notifications_ = RegisterDeviceNotifications(hwnd());
  AddTrayIcon();
  sessionRegistered_ = WTSRegisterSessionNotification(hwnd(), NOTIFY_FOR_THIS_SESSION) != FALSE;
  AllowMessagesFromOtherPrograms(hwnd(), tray_.taskbarCreatedMessage());
  q730x::ReadFirmwareVersion();
  // A keyboard in its firmware loader goes straight to the burn tool.
  if (device.loaderPresent) PostMessageW(keyboardPage_->hwnd(), WM_START_BURN_TOOL, 0, 0);
  return true;
}

// The keyboard session first: it loads the current profile, opens the
// driver link and follows the program links whether or not a page shows it.
bool CKavexQ460KbConfigDlg::StartKeyboardSession() {
  SessionHooks hooks;
  hooks.profileChanged = [this] {
    if (keyboardPage_ && keyboardPage_->hwnd()) keyboardPage_->RefreshKeys();
  };
  hooks.showMessage = [](const std::wstring& text) { ShowMessageBox(text); };
  hooks.tellInBackground = [this](const std::wstring& text) { tray_.ShowNotification(Language.str_title, text); };
  hooks.modalOpen = [] { return ModalScope::Active(); };
  // Said once a run, beside the icon: a box would wait behind whatever
  // program is in front, and every further refused key would only repeat it.
  hooks.launchRefused = [this] {
    if (launchRefusalTold_) return;
    launchRefusalTold_ = true;
    tray_.ShowNotification(Language.str_title, Language.str_launch_refused);
  };
  hooks.linkedProfileInFront = [](int current) -> std::optional<int> {
    if (!AnyLinkEnabled()) return std::nullopt;
    return ProfileLinkedTo(ForegroundProgramName(), current);
  };
  session_.SetHooks(std::move(hooks));
  return session_.Start(hwnd());
}

bool CKavexQ460KbConfigDlg::CreateKeyboardPage() {
  if (!StartKeyboardSession()) return false;
  keyboardPage_ = MakeWindow<CKeyboardDlg>(session_);
  if (!keyboardPage_->CreateModeless(hwnd())) {
    keyboardPage_.reset();
    return false;
  }
  const SIZE size = keyboardPage_->SkinSize();
  SetWindowPos(keyboardPage_->hwnd(), nullptr, 0, 96, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(keyboardPage_->hwnd(), SW_SHOW);
  return true;
}

// The macro manager, hidden, where the keyboard page's picture begins, and of its size.
void CKavexQ460KbConfigDlg::CreateMacroPage() {
  macroPage_ = MakeWindow<CMacroDlg>(MacroRoot{HKEY_LOCAL_MACHINE, kMacroRootPath});
  if (!macroPage_->CreateModeless(hwnd())) {
    macroPage_.reset();
    return;
  }
  const SIZE size = keyboardPage_->SkinSize();
  SetWindowPos(macroPage_->hwnd(), nullptr, 0, 86, size.cx, size.cy,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
}

void CKavexQ460KbConfigDlg::ShowKeyboardPage() {
  if (!keyboardPage_) return;
  keyboardPage_->SetCaptionsOn(true);
  ShowWindow(keyboardPage_->hwnd(), SW_SHOW);
  keyboardPage_->RefreshKeys();
  keyboardPage_->ShowKeyButtons();
  if (macroPage_) {
    ShowWindow(macroPage_->hwnd(), SW_HIDE);
    macroPage_->StopRecording();
  }
}

void CKavexQ460KbConfigDlg::ShowMacroPage() {
  if (keyboardPage_) ShowWindow(keyboardPage_->hwnd(), SW_HIDE);
  if (!macroPage_) return;
  ShowWindow(macroPage_->hwnd(), SW_SHOW);
  macroPage_->RefillMacroList();
}

void CKavexQ460KbConfigDlg::HideWindow(int how) {
  ShowWindow(hwnd(), how);
  if (macroPage_) macroPage_->StopRecording();
}

// The icon, and once per installed version a notification that the utility
// runs there: Windows 11 puts a new icon behind the overflow arrow, and the
// window starts hidden.
void CKavexQ460KbConfigDlg::AddTrayIcon() {
  tray_.Add(hwnd(), kTrayIconId, WM_TRAY_CALLBACK, icon_, Language.str_title, kTrayRetryTimer);
  if (TrayHintDue() && !Language.str_tray_hint.empty()) {
    tray_.ShowNotification(Language.str_title, Language.str_tray_hint);
    RememberTrayHintShown();
  }
}

void CKavexQ460KbConfigDlg::CreateButtons() {
  CreateSkinButton(hide_, {789, 2, 819, 32});
  CreateSkinButton(minimise_, {761, 2, 788, 32});
  CreateSkinButton(keyboard_, {48, 58, 79, 90});
  CreateSkinButton(macros_, {94, 58, 120, 90});
  keyboard_.SetTooltip(Language.str_keyboard);
  macros_.SetTooltip(Language.str_macro);
  hide_.SetAccessibleName(Language.str_close);
  minimise_.SetAccessibleName(Access.str_minimize);
}

// Tab in reading order: the page buttons, the page shown, then minimise and hide.
void CKavexQ460KbConfigDlg::ArrangeTabOrder() {
  q730x::ArrangeTabOrder({keyboard_.hwnd(), macros_.hwnd(), keyboardPage_ ? keyboardPage_->hwnd() : nullptr,
                          macroPage_ ? macroPage_->hwnd() : nullptr, minimise_.hwnd(), hide_.hwnd()});
}

void CKavexQ460KbConfigDlg::Open() {
  if (keyboardPage_ && session_.Presence().deviceAbsent) {
    ShowMessageBox(Language.str_device_prompt);
    return;
  }
  showAllowed_ = true;
  ShowWindow(hwnd(), IsIconic(hwnd()) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(hwnd());
}

bool CKavexQ460KbConfigDlg::OnCommand(HWND control, int code, int id) {
  if (control == nullptr) {
    switch (id) {
      case kCommandOpen: return Open(), true;
      case kCommandExit: return RunExitCommand(hwnd()), true;
      case kCommandAbout: return ShowAbout(), true;
    }
  }
  if (control && control == hide_.hwnd()) return HideWindow(SW_HIDE), true;
  if (control && control == minimise_.hwnd()) return HideWindow(SW_MINIMIZE), true;
  if (control && control == keyboard_.hwnd()) return ShowKeyboardPage(), true;
  if (control && control == macros_.hwnd()) return ShowMacroPage(), true;
  return SkinnedDialog::OnCommand(control, code, id);
}

void CKavexQ460KbConfigDlg::ShowAbout() {
  if (!about_ || !about_->hwnd()) return;
  about_->SetFirmwareVersion(std::to_wstring(FirmwareMajor) + L"." + std::to_wstring(FirmwareMinor));
  ShowWindow(about_->hwnd(), SW_SHOW);
  SetForegroundWindow(about_->hwnd());
}

// The icon speaks the shell's version 3 (NOTIFYICON_VERSION): a right click
// arrives as the button's own messages and then WM_CONTEXTMENU, and Shift+F10
// or the menu key on the focused icon as WM_CONTEXTMENU alone. The menu opens
// on WM_CONTEXTMENU only, so that one right click opens it once.
void CKavexQ460KbConfigDlg::OnTrayCallback(LPARAM mouseMessage) {
  if (mouseMessage == WM_LBUTTONDBLCLK) Open();
  // From the keyboard, on the focused icon: Enter or Space opens, as a
  // double click does.
  if (mouseMessage == NIN_KEYSELECT) Open();
  if (mouseMessage == WM_CONTEXTMENU) ShowTrayMenu();
}

void CKavexQ460KbConfigDlg::ShowTrayMenu() {
  // TrackPopupMenu runs a message loop of its own: a callback that comes
  // meanwhile (a second click) must not open a menu inside the open one.
  if (trayMenu_) return;
  SetForegroundWindow(hwnd());
  CKavexMenu menu;
  if (!menu.handle()) return;
  menu.SetColours(RGB(219, 216, 209), RGB(177, 185, 207));
  const MenuItemRecord about{174, 174, Language.str_about};
  const MenuItemRecord open{145, 145, Language.str_configuration};
  const MenuItemRecord exit{147, 147, Language.str_exit};
  menu.Append(kCommandAbout, about);
  menu.Append(kCommandOpen, open);
  menu.Append(kCommandExit, exit);
  POINT at;
  GetCursorPos(&at);
  trayMenu_ = &menu;
  TrackPopupMenu(menu.handle(), TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd(), nullptr);
  trayMenu_ = nullptr;
  // As TrackPopupMenu's documentation asks for a notification icon's menu:
  // a message to our own window makes the task switch, without which the
  // next menu would close as soon as it opened.
  PostMessageW(hwnd(), WM_NULL, 0, 0);
}

void CKavexQ460KbConfigDlg::Close() {
  if (MessageBoxOpen && !exitForced_) return;
  if (ModalScope::Active()) {
    // A modal loop (a key setting dialog, a file dialog, the about box) runs
    // inside one of our handlers, which is still on the stack: tearing the
    // pages down now would free them under it. End our own dialogs and come
    // back once the last loop has returned.
    Dialog::CancelRunningModals();
    ModalScope::DeferUntilIdle(hwnd(), WM_CLOSE);
    return;
  }
  PostToWindowTitled(L"KavexQ730XKbConfig", WM_DESTROY);
  PostToWindowsTitled({L"KavexQ730XSetting", L"KavexQ730XKbMacroManager", L"KavexQ730XKbAdvanceDlg",
                       L"KavexQ730XKbMacrosetDlg", L"KavexQ730XKbSingleCombDlg", L"Info Box", L"ProgressDlg."},
                      WM_CLOSE);
  if (endProcess_) return EndProcessQuickly();
  UnregisterNotifications();
  macroPage_.reset();     // a running recording is saved as the page goes
  keyboardPage_.reset();
  session_.Stop();  // the download workers, the timers and the driver link
  about_.reset();
  firmwareProgress_.reset();
  KillTimer(hwnd(), kHidRetryTimer);
  tray_.RemoveAtExit(300);
  EndDialog(IDCANCEL);
}

// The end of the real program. The pages end, in the usual order, all that
// reaches outside the process: a running recording is saved, the key hook
// goes quiet, the download workers are told, the driver link unregisters and
// closes. Then the timer and the tray icon go, as in the full close. The
// windows and their objects are left to the end of the process, which frees
// them all at once: taking the utility's two hundred windows down one by one
// was nearly all of its exit (under Wine, 17 times the exit of a bare program
// with a tray icon).
void CKavexQ460KbConfigDlg::EndProcessQuickly() {
  UnregisterNotifications();
  if (macroPage_) macroPage_->EndForExit();
  session_.Stop();
  KillTimer(hwnd(), kHidRetryTimer);
  tray_.RemoveAtExit(300);
  endProcess_();
}

void CKavexQ460KbConfigDlg::OnSessionChange(WPARAM event) {
  switch (event) {
    case WTS_SESSION_LOCK: sessionLocked_ = true; break;
    case WTS_SESSION_UNLOCK: sessionLocked_ = false; break;
    case WTS_CONSOLE_DISCONNECT:
    case WTS_REMOTE_DISCONNECT: sessionDisconnected_ = true; break;
    case WTS_CONSOLE_CONNECT:
    case WTS_REMOTE_CONNECT: sessionDisconnected_ = false; break;
    default: return;
  }
  session_.PauseLinkSwitching(sessionLocked_ || sessionDisconnected_);
}

void CKavexQ460KbConfigDlg::UnregisterNotifications() {
  if (sessionRegistered_) WTSUnRegisterSessionNotification(hwnd());
  sessionRegistered_ = false;
  notifications_.reset();
}

LRESULT CKavexQ460KbConfigDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (tray_.OnMessage(message, wParam)) return 0;  // a new taskbar, or the icon's retry
  switch (message) {
    case WM_WINDOWPOSCHANGING:
      // Hidden until the user first opens the window, whatever asks to show it.
      if (!showAllowed_) reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~SWP_SHOWWINDOW;
      break;
    case WM_CLOSE:
      Close();
      return 0;
    case WM_MEASUREITEM:
      if (reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->CtlType == ODT_MENU) {
        CKavexMenu::Measure(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        return TRUE;
      }
      break;
    case WM_DRAWITEM:
      if (reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->CtlType == ODT_MENU) {
        if (trayMenu_) trayMenu_->Draw(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
        return TRUE;
      }
      break;
    case WM_QUERYDRAGICON:
      return LRESULT(icon_);
    case WM_HELP:
      return TRUE;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == 0x10) {
        Dialog about(kWizardAboutTemplate);
        about.RunModal(hwnd());
        return 0;
      }
      break;
    case WM_DEVICECHANGE:
      return presence_.OnDeviceChange(wParam, lParam);
    case WM_WTSSESSION_CHANGE:
      OnSessionChange(wParam);
      return 0;
    case WM_TIMER:
      if (wParam == kHidRetryTimer) return presence_.OnRetryTimer(), 0;
      break;
    case WM_TRAY_CALLBACK:
      if (FirmwareUpdateActive) return 0;
      OnTrayCallback(lParam);
      return 1;
    case WM_APP_EXIT:
      RunExitCommand(hwnd());
      return 1;
    case WM_HIDE_MAIN:
      HideWindow(SW_HIDE);
      return 0;
    case WM_OPEN_MAIN:
      Open();
      return 0;
    // The burn tool's words count only while an update runs (or its end is
    // being told, which a second word may follow): from anyone else they
    // would cover the utility with an "updating" box or end it.
    case WM_FIRMWARE_PROGRESS:
      if (FirmwareUpdateActive) OnFirmwareProgress(wParam, lParam);
      return 1;
    case WM_FIRMWARE_DONE:
    case WM_FIRMWARE_FAILED:
      FirmwareUpdateEnded(message == WM_FIRMWARE_FAILED);
      return 1;
    case WM_BURN_TOOL_ENDED:
      OnBurnToolEnded(DWORD(lParam));
      return 0;
  }
  return SkinnedDialog::HandleMessage(message, wParam, lParam);
}

void CKavexQ460KbConfigDlg::OnFirmwareProgress(WPARAM show, LPARAM position) {
  if (!firmwareProgress_) return;
  if (show == 1) {
    if (!IsWindowVisible(firmwareProgress_->hwnd())) shownBeforeUpdate_ = IsWindowVisible(hwnd()) != FALSE;
    // Never activated (it takes no input), so that under Wine's X11 driver it
    // stays an unmanaged window: hiding a managed one waits up to 2 s for a
    // window manager, which delayed the message that follows the update.
    ShowWindow(firmwareProgress_->hwnd(), SW_SHOWNOACTIVATE);
    ShowWindow(hwnd(), SW_HIDE);
  }
  firmwareProgress_->SetProgressPosition(int(position));
}

// The burn tool's last word, 0x70B (done) or 0x70C (failed), in any order and
// any number: one message at a time, a failure always wins and always ends
// the program, a success reopens the keyboard's HID link. Only while an
// update runs, or while its end is being told (a second word may follow).
void CKavexQ460KbConfigDlg::FirmwareUpdateEnded(bool failed) {
  if (!FirmwareUpdateActive && !updateEndShowing_) return;
  FirmwareUpdateActive = false;
  if (firmwareProgress_) ShowWindow(firmwareProgress_->hwnd(), SW_HIDE);
  updateFailed_ = updateFailed_ || failed;
  if (updateEndShowing_) return;  // the open message's handler below takes it on
  updateEndShowing_ = true;
  ShowMessageBox(failed ? Language.str_updateover2 : Language.str_updateover1);
  // A failure reported while the success message was open is said too.
  if (!failed && updateFailed_) ShowMessageBox(Language.str_updateover2);
  updateEndShowing_ = false;
  if (updateFailed_) return ExitForced();
  if (OpenHid()) ReadFirmwareVersion();
  if (shownBeforeUpdate_) ShowWindow(hwnd(), SW_SHOW);  // as it was before the update
  shownBeforeUpdate_ = false;
}

// The burn tool ended; its last word, if it said one, came before this. An
// update still running was never reported: it failed, as on 0x70C.
void CKavexQ460KbConfigDlg::OnBurnToolEnded(DWORD exitCode) {
  if (!FirmwareUpdateActive) return;
  OutputDebugStringW((L"Q730X: the burn tool ended without reporting, exit code " +
                      std::to_wstring(exitCode) + L"\n").c_str());
  FirmwareUpdateEnded(true);
}

void CKavexQ460KbConfigDlg::ExitForced() {
  exitForced_ = true;
  RunExitCommand(hwnd());
}

PresenceFlags* CKavexQ460KbConfigDlg::KeyboardPage() {
  return keyboardPage_ ? &session_.Presence() : nullptr;
}

bool CKavexQ460KbConfigDlg::OpenHid() { return keyboardPage_ && session_.OpenHid(); }

void CKavexQ460KbConfigDlg::ReadFirmwareVersion() { q730x::ReadFirmwareVersion(); }

void CKavexQ460KbConfigDlg::StartRetryTimer() { SetTimer(hwnd(), kHidRetryTimer, kHidRetryPeriodMs, nullptr); }

void CKavexQ460KbConfigDlg::StopRetryTimer() { KillTimer(hwnd(), kHidRetryTimer); }

void CKavexQ460KbConfigDlg::ShowMessage(const std::wstring& text) { ShowMessageBox(text); }

// The keyboard went unexpectedly: the program ends even when a message box
// opens meanwhile ("Setting Error" of a download the removal cut short, say),
// which would otherwise drop the close and leave it running without its keyboard.
void CKavexQ460KbConfigDlg::Exit() { ExitForced(); }

}  // namespace q730x
