// The keyboard page: a picture of the keyboard inside the main window on
// which every key is a button. A click opens the key setting dialog for that
// key; keys whose function differs from the factory one are drawn marked and
// tell their function in a tooltip. Below the picture: five profile tabs, a
// program link, the profile's text field, Restore and Apply; the report rate
// button sits at the top right.
//
// The page owns the driver link: it receives the keyboard's key events
// (0x7EB) and the download results (0x703, 0x704), and its presence flags
// and download lock are what the download and the main window's presence
// tracking share.
#pragma once

#include <array>
#include <memory>
#include <mutex>

#include "device/driver_link.h"
#include "device/presence_tracker.h"
#include "model/key_caption.h"
#include "pages/message_link.h"
#include "skin/bitmap_button.h"
#include "skin/gdi_handles.h"
#include "skin/irregular_button.h"
#include "skin/skinned_dialog.h"

namespace q730x {

class CProgressDlg;

constexpr UINT WM_START_BURN_TOOL = 0x709;  // 0x708 (WM_FIRMWARE_DOWNLOAD) comes from the prompt box
// From the firmware download worker when the burn tool cannot start:
// wParam is the FirmwareDownloadResult (failed or rejected).
constexpr UINT WM_FIRMWARE_NOT_READY = WM_APP + 0x70F;
constexpr UINT_PTR kProgramLinkTimer = 18;
constexpr UINT kProgramLinkPeriodMs = 1300;
constexpr UINT_PTR kDriverOpenTimer = 19;
constexpr UINT kDriverOpenPeriodMs = 500;
// Failed driver opens after which the program gives up.
constexpr int kMaxDriverOpenRetries = 5;

class CKeyboardDlg : public SkinnedDialog {
 public:
  static constexpr int kTemplate = 131;
  static constexpr int kTextFieldId = 1000;
  static constexpr const wchar_t* kWindowText = L"KavexQ730XKeyboardConfig";
  static constexpr int kKeyButtons = 144;

  CKeyboardDlg();
  ~CKeyboardDlg() override;

  // Marks and tooltips of every key, the program link and the text field
  // from the profile buffers; a key whose macro is gone gets its default.
  void RefreshKeys();
  // Runs the configuration download; with a progress box, the call returns
  // when the download has ended.
  void StartDownload(bool withProgressBox);
  void SetCaptionsOn(bool on) { captionsOn_ = on; }
  void ShowKeyButtons();
  // Reopens the HID handle of the driver link.
  bool OpenHid();
  // Stops all of the page that reaches outside the process (download
  // workers, timers, the driver link and its event thread), as the page's
  // end does; also for a program that ends without taking its windows down.
  void Stop();

  int currentProfile() const { return currentProfile_; }
  // Shared with the download worker and the main window's presence
  // tracking; process-wide storage, so a worker still waiting for the lock
  // when the page goes never touches freed memory.
  static PresenceFlags& Presence();
  static std::mutex& DownloadLock();

  CGDIBitmapBtn& keyButton(int entry) { return keys_[entry]; }

 protected:
  bool OnInitDialog() override;
  bool OnCommand(HWND control, int code, int id) override;
  void PaintTexts(HDC dc) override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void StartDriverLink();
  void CreateControls();
  void CreateProfileButtons();
  void UpdateKey(int entry, const MacroNameLookup& macroName);
  void UpdateProgramLink();
  void SelectProfileButton(int profile);

  void EditKey(int entry);
  void SwitchProfile(int profile);
  void ToggleProgramLink();
  void ChooseLinkedProgram();
  void Restore();
  void Apply();
  void ChangeRate();

  void OnDownloadDone();
  void OnDownloadFailed();
  void OnProgramLinkTimer();
  void OnDriverOpenTimer();
  void OnKeyEvent(WPARAM eventWord);
  void StartFirmwareDownload();
  void StartBurnTool();

  int currentProfile_ = 0;
  int driverOpenRetries_ = 0;
  bool firmwareDownloadRunning_ = false;
  bool captionsOn_ = true;
  std::unique_ptr<CUSBDriver> link_;
  std::array<CGDIBitmapBtn, kKeyButtons> keys_;
  CGDIBitmapBtn restore_, apply_, rate_, linkBox_, programName_;
  std::array<CIrrButton, 5> profiles_;
  UniqueBrush editBrush_;
  UniqueFont font_;
};

}  // namespace q730x
