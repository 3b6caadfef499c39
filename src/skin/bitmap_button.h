// CGDIBitmapBtn: the utility's button. Its four looks (normal, hover,
// pressed, disabled) are the parts of the owner's skin pictures at the
// button's rectangle, so it is invisible in the picture until the pointer
// comes over it. Push or check mode, optional text, tooltip, hover with mouse
// capture, and optional reports of left button presses to the parent.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "skin/gdi_handles.h"
#include "skin/keyboard_focus.h"
#include "skin/picture.h"
#include "skin/tooltip.h"
#include "skin/window.h"

namespace q730x {

// Posted to the parent when mouse report is on: wParam 0x201 press, 0x202
// release, lParam the button's window.
inline constexpr UINT kMouseReportMessage = 0x70D;

inline constexpr COLORREF kButtonTextNormal = RGB(83, 92, 107);
inline constexpr COLORREF kButtonTextHover = RGB(200, 200, 200);
inline constexpr COLORREF kButtonTextPressed = RGB(250, 250, 250);

class CGDIBitmapBtn : public Window {
 public:
  CGDIBitmapBtn() = default;

  // A visible owner-drawn child button of `owner` at `rect`, control id 0.
  bool Create(HWND owner, RECT rect);

  // The four looks are the parts at `rect` (picture coordinates) of these
  // pictures; a null picture leaves that look as it was. The button draws
  // straight from the shared pictures and keeps them alive, instead of
  // keeping copies of its parts: a page of 144 keys made some 600 bitmaps.
  void SetImages(const SharedPicture& normal, const SharedPicture& hover, const SharedPicture& pressed,
                 const SharedPicture& disabled, RECT rect);
  void SetText(const std::wstring& text, int dx = 0, int dy = 0);
  void SetTooltip(const std::wstring& text);
  void SetChecked(bool checked);
  void SetCheckMode(bool on) { checkMode_ = on; }
  // Lays the text out in this rectangle (button client coordinates).
  void SetTextRect(RECT rect) { textRect_ = rect; }
  void SetUserValue(uint32_t value) { userValue_ = value; }
  void SetMouseReport(bool on) { mouseReport_ = on; }
  // What a screen reader reads for the button: this name, else its text,
  // else its tooltip. It is the window text, which the button never draws.
  void SetAccessibleName(const std::wstring& name);
  // Tab and Shift+Tab stop here; Enter and Space click it.
  void SetTabStop(bool on) { q730x::SetTabStop(hwnd(), on); }
  // Keys the button answers itself (the arrows among them), before Enter.
  void SetKeyHandler(ControlKeyHandler handler) { keyHandler_ = std::move(handler); }
  // The letter that, with Alt, the owner takes for this button: drawn
  // underlined while the window shows its accelerators.
  void SetAccelerator(wchar_t letter) { accelerator_ = letter; }

  bool checked() const { return checked_; }
  bool checkMode() const { return checkMode_; }
  bool hover() const { return hover_; }
  const std::wstring& text() const { return text_; }
  std::optional<uint32_t> userValue() const { return userValue_; }
  const Tooltip& tooltip() const { return tooltip_; }

  // Which picture and text colour a draw would use, for a given platform state.
  enum class Look { Normal, Hover, Pressed, Disabled };
  Look ChooseLook(bool pushed, bool disabled) const;

  bool PreTranslateMessage(MSG& message) override;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool OnDrawItem(DRAWITEMSTRUCT& item) override;

 private:
  void OnMouseMove(WPARAM keys, LPARAM position);
  void SyncName();
  std::wstring DrawnText() const;
  void Repaint();
  void ClearStyle(LONG_PTR bits);
  HWND OwnerOrParent() const;

  struct LookPicture {
    SharedPicture picture;
    POINT origin{};  // where the button's top left corner is in the picture
  };
  LookPicture looks_[4];
  bool checked_ = false;
  bool checkMode_ = false;
  bool hover_ = false;
  std::wstring text_;
  int textDx_ = 0, textDy_ = 0;
  std::optional<RECT> textRect_;
  std::optional<uint32_t> userValue_;
  bool mouseReport_ = false;
  Tooltip tooltip_;
  UniqueFont font_;
  std::wstring name_;
  ControlKeyHandler keyHandler_;
  wchar_t accelerator_ = 0;
};

}  // namespace q730x
