// The skinned progress box: a text and a bar, driven by message 0x42B (or
// SetProgressPosition) and closed with WM_CLOSE.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "skin/skinned_dialog.h"

namespace Gdiplus {
class Bitmap;
}

namespace q730x {

// wParam: the new position (signed 32 bits); answers 1.
inline constexpr UINT kProgressMessage = 0x42B;

class CProgressDlg : public SkinnedDialog {
 public:
  static constexpr int kTemplate = 149;
  static constexpr DWORD kTextColour = 0xFF808080;

  CProgressDlg();
  ~CProgressDlg() override;

  void SetRange(int minimum, int maximum);
  // The text and, when given, its layout rectangle (left, top, right, bottom).
  void SetProgressText(const std::wstring& text, const RECT* rect = nullptr);
  // The bar's left and right x in window pixels (top and bottom are kept only).
  void SetBarExtent(RECT bar) { bar_ = bar; }
  // Takes a position within the range, else the minimum, and repaints at once.
  void SetProgressPosition(int position);

  int position() const { return position_; }
  // The x up to which the bar shows filled.
  int FillEnd() const;

 protected:
  bool OnInitDialog() override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void PaintOffScreen();
  // The bar's pictures are decoded when the box first paints: the utility
  // makes its firmware box at start and shows it only during an update.
  void LoadImagesOnce();

  int minimum_ = 0, maximum_ = 10, position_ = 0;
  std::wstring text_;
  HWND label_ = nullptr, spokenBar_ = nullptr;  // the text and the position, for screen readers
  float textX_ = 0, textY_ = 0, textWidth_ = 0, textHeight_ = 0;
  RECT bar_{0, 0, 0, 0};
  std::unique_ptr<Gdiplus::Bitmap> empty_, full_;
  bool imagesLoaded_ = false;
};

}  // namespace q730x
