// The skinned message box: one text and an OK button, run modally.
#pragma once

#include <string>

#include "skin/bitmap_button.h"
#include "skin/skinned_dialog.h"

namespace q730x {

// Set while a message box is open; the main window ignores close requests then.
extern bool MessageBoxOpen;

// Shows `text` in a modal message box; answers IDOK (1) or IDCANCEL.
INT_PTR ShowMessageBox(const std::wstring& text);

class CMsgBox : public SkinnedDialog {
 public:
  static constexpr int kTemplate = 130;
  static constexpr DWORD kTextColour = 0xFF535C6B;

  CMsgBox();
  void SetText(const std::wstring& text) { text_ = text; }
  const std::wstring& text() const { return text_; }

  CGDIBitmapBtn& closeButton() { return close_; }
  CGDIBitmapBtn& okButton() { return ok_; }

 protected:
  bool OnInitDialog() override;
  bool OnCommand(HWND control, int code, int id) override;
  void PaintTexts(HDC dc) override;

 private:
  std::wstring text_;
  CGDIBitmapBtn close_, ok_;
};

}  // namespace q730x
