// The about dialog: the product texts, the maker's web address, the
// keyboard's firmware version and the utility's own version, and two buttons
// that check for newer firmware and for a newer utility. Modeless, hidden
// between uses, alive for the whole run; it owns the update prompt box and
// answers the update check's outcome (0x801).
#pragma once

#include <string>

#include "pages/message_link.h"
#include "skin/bitmap_button.h"
#include "skin/skinned_dialog.h"
#include "update/update_check.h"

namespace q730x {

class CDlgAbout : public SkinnedDialog {
 public:
  static constexpr int kTemplate = 166;
  static constexpr DWORD kTextColour = 0xFF535C6B;
  static constexpr const wchar_t* kMakerAddress = L"www.kavex.com";

  CDlgAbout();

  // Shown as "<str_fwversion>: v<text>" when not empty, e.g. "1.2".
  void SetFirmwareVersion(const std::wstring& text);
  // The window that receives the firmware download request.
  void SetKeyboardPage(HWND page) { keyboardPage_ = page; }
  // Starts a check on its own thread and hides the dialog.
  void StartUpdateCheck(UpdateKind kind);

  const std::wstring& firmwareVersion() const { return firmwareVersion_; }
  // The prompt box, made hidden the first time it is needed.
  CMessageLink* Prompt();
  CGDIBitmapBtn& firmwareCheckButton() { return firmwareCheck_; }
  CGDIBitmapBtn& utilityCheckButton() { return utilityCheck_; }

  // The version line's two parts, from a str_version such as "Version V1.2".
  static std::wstring VersionLine(const std::wstring& versionText);

 protected:
  bool OnInitDialog() override;
  bool OnCommand(HWND control, int code, int id) override;
  void OnOK() override { ShowWindow(hwnd(), SW_HIDE); }
  void OnCancel() override { ShowWindow(hwnd(), SW_HIDE); }
  void PaintTexts(HDC dc) override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnUpdateOutcome(UpdateOutcome outcome);

  std::wstring firmwareVersion_;
  HWND keyboardPage_ = nullptr;
  HWND promptTarget_ = nullptr;  // the keyboard page, as of the last firmware check
  WindowPtr<CMessageLink> prompt_;
  CGDIBitmapBtn close_, cancel_, firmwareCheck_, utilityCheck_;
};

}  // namespace q730x
