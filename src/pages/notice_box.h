// The skinned notice box: a text without buttons, shown over its parent.
#pragma once

#include <string>

#include "skin/skinned_dialog.h"

namespace q730x {

class CMsgNotice : public SkinnedDialog {
 public:
  static constexpr int kTemplate = 134;
  static constexpr DWORD kTextColour = 0xFF535C6B;

  CMsgNotice();
  void SetText(const std::wstring& text);
  const std::wstring& text() const { return text_; }

 protected:
  bool OnInitDialog() override;
  void PaintTexts(HDC dc) override;

 private:
  std::wstring text_;
  HWND label_ = nullptr;  // the text, for screen readers
};

}  // namespace q730x
