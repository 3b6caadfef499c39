// The keyboard page: a picture of the keyboard inside the main window on
// which every key is a button. A click opens the key setting dialog for that
// key; keys whose function differs from the factory one are drawn marked and
// tell their function in a tooltip. Below the picture: five profile tabs, a
// program link, the profile's text field, Restore and Apply; the report rate
// button sits at the top right.
//
// The page shows and edits through the keyboard session, which holds the
// driver link, the downloads and what the keyboard holds. A tab with edits
// not yet applied is marked; leaving such a profile by its tab asks first.
#pragma once

#include <array>
#include <memory>

#include "device/keyboard_session.h"
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

class CKeyboardDlg : public SkinnedDialog {
 public:
  static constexpr int kTemplate = 131;
  static constexpr int kTextFieldId = 1000;
  static constexpr const wchar_t* kWindowText = L"KavexQ730XKeyboardConfig";
  static constexpr int kKeyButtons = 144;

  explicit CKeyboardDlg(KeyboardSession& session);
  ~CKeyboardDlg() override;

  // Marks and tooltips of every key, the program link, the text field and
  // the tabs' marks from the edited profile; a key whose macro is gone gets
  // its default.
  void RefreshKeys();
  // Runs the configuration download of the shown profile; with a progress
  // box, the call returns when the download has ended.
  void StartDownload(bool withProgressBox);
  void SetCaptionsOn(bool on) { captionsOn_ = on; }
  void ShowKeyButtons();

  int currentProfile() const { return session_.currentProfile(); }

  CGDIBitmapBtn& keyButton(int entry) { return keys_[entry]; }

 protected:
  bool OnInitDialog() override;
  bool OnCommand(HWND control, int code, int id) override;
  void PaintTexts(HDC dc) override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void CreateControls();
  void CreateProfileButtons();
  void UpdateKey(int entry, const MacroNameLookup& macroName);
  void UpdateProgramLink();
  void SelectProfileButton(int profile);
  void UpdateProfileMarks();
  void TextEdited();

  void EditKey(int entry);
  void SwitchProfile(int profile);
  void ToggleProgramLink();
  void ChooseLinkedProgram();
  void Restore();
  void Apply();
  void ChangeRate();

  void StartFirmwareDownload();
  void StartBurnTool();

  KeyboardSession& session_;
  bool firmwareDownloadRunning_ = false;
  bool captionsOn_ = true;
  std::array<CGDIBitmapBtn, kKeyButtons> keys_;
  CGDIBitmapBtn restore_, apply_, rate_, linkBox_, programName_;
  std::array<CIrrButton, 5> profiles_;
  UniqueBrush editBrush_;
  UniqueFont font_;
};

}  // namespace q730x
