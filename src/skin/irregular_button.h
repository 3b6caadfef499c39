// CIrrButton: a button of any shape. Its window is cut to a region the owner
// gives (the keyboard page's slanted profile tabs), so corners outside the
// shape catch no clicks. It draws straight from the owner's full-size
// pictures, the part under its own box, and tells its owner when the left
// button goes down (not when it comes up). The owner sets its selected state.
#pragma once

#include <string>

#include "skin/gdi_handles.h"
#include "skin/keyboard_focus.h"
#include "skin/picture.h"
#include "skin/window.h"

namespace q730x {

inline constexpr COLORREF kIrrTextNormal = RGB(83, 92, 107);
inline constexpr COLORREF kIrrTextSelected = RGB(224, 224, 224);

class CIrrButton : public Window {
 public:
  // The owner's full-size pictures, shared.
  void SetPictures(const SharedPicture& normal, const SharedPicture& pressed, const SharedPicture& hover,
                   const SharedPicture& disabled);
  void SetTextOffset(int dx, int dy) { dx_ = dx, dy_ = dy; }
  void SetSelected(bool selected) { selected_ = selected; }
  // Tab and Shift+Tab stop here; Enter and Space press it.
  void SetTabStop(bool on) { q730x::SetTabStop(hwnd(), on); }
  // Keys the button answers itself (the arrows among them), before Enter.
  void SetKeyHandler(ControlKeyHandler handler) { keyHandler_ = std::move(handler); }

  // Makes the button over region (owner client coordinates; a copy is kept)
  // with text as its caption.
  bool CreateShaped(const std::wstring& text, HRGN region, HWND owner);

  // Inside the window's region (client coordinates).
  bool InsideRegion(int x, int y) const;

  bool selected() const { return selected_; }
  bool hover() const { return hover_; }
  bool pressed() const { return pressed_; }
  RECT box() const { return box_; }
  POINT centre() const { return centre_; }

  enum class Look { Normal, Pressed, Hover, Disabled };
  Look ChooseLook(bool pushed, bool disabled) const;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool OnDrawItem(DRAWITEMSTRUCT& item) override;

 private:
  void UpdateHover(int x, int y);
  void Press();
  void FrameFocusInRegion(HDC dc) const;

  SharedPicture pictures_[4];  // normal, pressed, hover, disabled (the owner's)
  RECT box_{};
  POINT centre_{};
  int dx_ = 0, dy_ = 0;
  bool selected_ = false, hover_ = false, pressed_ = false;
  UniqueFont font_;
  ControlKeyHandler keyHandler_;
};

}  // namespace q730x
