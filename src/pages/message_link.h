// The update prompt box: a modeless skinned box that offers newer firmware
// (accepting asks the keyboard page to download and burn it, message 0x708)
// or a newer utility (accepting opens its download location with the shell).
// It lives hidden for the whole run and is shown by the about dialog.
#pragma once

#include <string>

#include "skin/bitmap_button.h"
#include "skin/skinned_dialog.h"

namespace q730x {

constexpr UINT WM_FIRMWARE_DOWNLOAD = 0x708;

class CMessageLink : public SkinnedDialog {
 public:
  static constexpr int kTemplate = 167;
  static constexpr DWORD kTextColour = 0xFF535C6B;
  enum class Mode { Firmware, Driver };

  CMessageLink();

  void SetMode(Mode mode);
  void SetLinkText(const std::wstring& link) { link_ = link; }
  // The window that receives 0x708 when the firmware prompt is accepted.
  void SetTarget(HWND target) { target_ = target; }

  Mode mode() const { return mode_; }
  const std::wstring& linkText() const { return link_; }

 protected:
  bool OnInitDialog() override;
  bool OnCommand(HWND control, int code, int id) override;
  void OnOK() override { Accept(); }
  void PaintTexts(HDC dc) override;

 private:
  void Accept();

  Mode mode_ = Mode::Firmware;
  std::wstring link_;
  HWND target_ = nullptr;
  CGDIBitmapBtn close_, cancel_, accept_;
};

}  // namespace q730x
