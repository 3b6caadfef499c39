#include "skin/irregular_button.h"

#include <windowsx.h>

#include "skin/skin_files.h"

namespace q730x {

void CIrrButton::SetPictures(const SharedPicture& normal, const SharedPicture& pressed, const SharedPicture& hover,
                             const SharedPicture& disabled) {
  pictures_[int(Look::Normal)] = normal;
  pictures_[int(Look::Pressed)] = pressed;
  pictures_[int(Look::Hover)] = hover;
  pictures_[int(Look::Disabled)] = disabled;
}

bool CIrrButton::CreateShaped(const std::wstring& text, HRGN region, HWND owner) {
  if (!region) return false;
  UniqueRegion shape(CreateRectRgn(0, 0, 0, 0));
  if (!shape || CombineRgn(shape.get(), region, nullptr, RGN_COPY) == ERROR) return false;
  GetRgnBox(shape.get(), &box_);
  OffsetRgn(shape.get(), -box_.left, -box_.top);
  centre_ = {box_.left + (box_.right - box_.left) / 2, box_.top + (box_.bottom - box_.top) / 2};
  HWND window = CreateWindowExW(0, L"BUTTON", text.c_str(), WS_CHILD | WS_VISIBLE, box_.left, box_.top,
                                box_.right - box_.left, box_.bottom - box_.top, owner, HMENU(0),
                                GetModuleHandleW(nullptr), nullptr);
  if (!window) return false;
  if (!Attach(window)) {
    DestroyWindow(window);
    return false;
  }
  SetWindowLongPtrW(window, GWL_STYLE, GetWindowLongPtrW(window, GWL_STYLE) | BS_OWNERDRAW);
  // The window owns the region from here on.
  if (SetWindowRgn(window, shape.get(), TRUE)) shape.release();
  return true;
}

bool CIrrButton::InsideRegion(int x, int y) const {
  UniqueRegion shape(CreateRectRgn(0, 0, 0, 0));
  if (!shape || GetWindowRgn(hwnd(), shape.get()) == ERROR) return false;
  RECT bounds;
  GetRgnBox(shape.get(), &bounds);
  POINT p{x, y};
  return PtInRect(&bounds, p) && PtInRegion(shape.get(), x, y);
}

void CIrrButton::UpdateHover(int x, int y) {
  if (InsideRegion(x, y)) {
    if (GetCapture() != hwnd()) SetCapture(hwnd());
    if (hover_) return;
    hover_ = true;
  } else {
    if (GetCapture() == hwnd()) ReleaseCapture();
    hover_ = false;
  }
  RedrawWindow(hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ERASE | RDW_INVALIDATE);
}

void CIrrButton::Press() {
  pressed_ = true;
  if (GetCapture() != hwnd()) SetCapture(hwnd());
  HWND owner = GetWindow(hwnd(), GW_OWNER);
  if (!owner) owner = GetParent(hwnd());
  PostMessageW(owner, WM_COMMAND, 0, reinterpret_cast<LPARAM>(hwnd()));
}

LRESULT CIrrButton::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_GETDLGCODE || message == WM_KEYDOWN) {
    const LRESULT standard = message == WM_GETDLGCODE ? Window::HandleMessage(message, wParam, lParam) : 0;
    LRESULT result = 0;
    if (ButtonKeyMessage(hwnd(), message, wParam, lParam, standard, true, keyHandler_, result)) return result;
  }
  switch (message) {
    case BM_GETCHECK:
      // Readers ask here: the selected tab answers checked.
      return selected_ ? BST_CHECKED : BST_UNCHECKED;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_UPDATEUISTATE: {
      LRESULT result = Window::HandleMessage(message, wParam, lParam);
      InvalidateRect(hwnd(), nullptr, FALSE);
      return result;
    }
    case WM_MOUSEMOVE:
      if (!pressed_) UpdateHover(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      // Not passed on: the platform button would notify again on release.
      Press();
      return 0;
    case WM_LBUTTONUP:
      pressed_ = false;
      if (GetCapture() == hwnd()) ReleaseCapture();
      UpdateHover(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_CAPTURECHANGED:
      // Another window took the pointer: the hover look goes with it.
      if (!pressed_ && hover_ && reinterpret_cast<HWND>(lParam) != hwnd()) {
        hover_ = false;
        InvalidateRect(hwnd(), nullptr, FALSE);
      }
      break;
    case WM_ERASEBKGND:
      return TRUE;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

CIrrButton::Look CIrrButton::ChooseLook(bool pushed, bool disabled) const {
  if (selected_) return Look::Pressed;
  if (disabled) return Look::Disabled;
  if (pushed) return Look::Pressed;
  if (hover_) return Look::Hover;
  return Look::Normal;
}

bool CIrrButton::OnDrawItem(DRAWITEMSTRUCT& item) {
  const Look look = ChooseLook(item.itemState & ODS_SELECTED, item.itemState & ODS_DISABLED);
  RECT client;
  GetClientRect(hwnd(), &client);
  const int w = client.right, h = client.bottom;
  // The picture's part under the box, with the text, on a surface of our
  // own: the owner's picture itself stays untouched.
  MemoryDc canvas(item.hDC);
  if (!canvas.CreateSurface(item.hDC, w, h)) return true;
  if (const SharedPicture& picture = pictures_[int(look)])
    picture->Draw(canvas.get(), 0, 0, w, h, {box_.left, box_.top});
  wchar_t text[128];
  const int length = GetWindowTextW(hwnd(), text, 128);
  if (length > 0) {
    if (!font_) font_ = CreateSkinFont();
    canvas.Select(font_.get());
    TEXTMETRICW metrics{};
    GetTextMetricsW(canvas.get(), &metrics);
    SetBkMode(canvas.get(), TRANSPARENT);
    SetTextColor(canvas.get(), selected_ ? kIrrTextSelected : kIrrTextNormal);
    // Placed in the picture's coordinates, then moved onto the surface.
    const int x = centre_.x + dx_ - 12, y = centre_.y + dy_ + metrics.tmHeight / 2 - 12;
    TextOutW(canvas.get(), x - box_.left, y - box_.top, text, length);
  }
  if (FocusMarkShown(hwnd())) FrameFocusInRegion(canvas.get());
  BitBlt(item.hDC, 0, 0, w, h, canvas.get(), 0, 0, SRCCOPY);
  return true;
}

// The focus mark follows the tab's slanted edge: a one-pixel frame of its region.
void CIrrButton::FrameFocusInRegion(HDC dc) const {
  UniqueRegion shape(CreateRectRgn(0, 0, 0, 0));
  if (!shape || GetWindowRgn(hwnd(), shape.get()) == ERROR) return;
  UniqueBrush accent(CreateSolidBrush(kFocusMarkColour));
  if (accent) FrameRgn(dc, shape.get(), accent.get(), 1, 1);
}

}  // namespace q730x
