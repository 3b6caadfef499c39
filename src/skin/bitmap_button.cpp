#include "skin/bitmap_button.h"

#include <windowsx.h>

#include <cwctype>

#include "skin/skin_files.h"

namespace q730x {

namespace {
constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | BS_OWNERDRAW;  // 0x5000000B
constexpr UINT kButtonTextFlags = DT_CENTER | DT_WORDBREAK | DT_SINGLELINE | DT_NOCLIP |
                                  DT_END_ELLIPSIS;  // 0x8131
}  // namespace

bool CGDIBitmapBtn::Create(HWND owner, RECT rect) {
  HWND window = CreateWindowExW(0, L"BUTTON", L"", kButtonStyle, rect.left, rect.top,
                                rect.right - rect.left, rect.bottom - rect.top, owner,
                                HMENU(0), GetModuleHandleW(nullptr), nullptr);
  if (!window) return false;
  if (!Attach(window)) {
    DestroyWindow(window);
    return false;
  }
  ClearStyle(WS_TABSTOP);
  return true;
}

// A style change is a trip to the window system with two notifications, so
// it is made only when a bit is actually set: a page makes 150 buttons.
void CGDIBitmapBtn::ClearStyle(LONG_PTR bits) {
  if (!hwnd()) return;
  const LONG_PTR style = GetWindowLongPtrW(hwnd(), GWL_STYLE);
  if (style & bits) SetWindowLongPtrW(hwnd(), GWL_STYLE, style & ~bits);
}

void CGDIBitmapBtn::SetImages(const SharedPicture& normal, const SharedPicture& hover,
                              const SharedPicture& pressed, const SharedPicture& disabled, RECT rect) {
  const SharedPicture* pictures[4] = {&normal, &hover, &pressed, &disabled};
  if (rect.right > rect.left && rect.bottom > rect.top)
    for (int i = 0; i < 4; ++i)
      if (*pictures[i]) looks_[i] = {*pictures[i], {rect.left, rect.top}};
  ClearStyle(WS_BORDER);  // the tab stop is the owner's to give (SetTabStop)
}

void CGDIBitmapBtn::SetText(const std::wstring& text, int dx, int dy) {
  if (text == text_ && dx == textDx_ && dy == textDy_) return;  // nothing to repaint
  text_ = text;
  textDx_ = dx;
  textDy_ = dy;
  SyncName();
  Repaint();
}

void CGDIBitmapBtn::SetAccessibleName(const std::wstring& name) {
  name_ = name;
  SyncName();
}

void CGDIBitmapBtn::SyncName() {
  if (!hwnd()) return;
  const std::wstring& wanted = !name_.empty() ? name_ : !text_.empty() ? text_ : tooltip_.text();
  const int length = GetWindowTextLengthW(hwnd());
  std::wstring shown(std::size_t(length) + 1, L'\0');
  shown.resize(std::size_t(GetWindowTextW(hwnd(), shown.data(), length + 1)));
  if (shown != wanted) SetWindowTextW(hwnd(), wanted.c_str());
}

// The text with its accelerator marked for DrawTextW while the window shows
// accelerators; a literal & is doubled so that it is not taken for a mark.
std::wstring CGDIBitmapBtn::DrawnText() const {
  std::wstring drawn;
  bool marked = !(accelerator_ && AcceleratorsShown(hwnd()));
  for (wchar_t c : text_) {
    if (c == L'&') drawn += L'&';
    if (!marked && towupper(c) == towupper(accelerator_)) drawn += L'&', marked = true;
    drawn += c;
  }
  return drawn;
}

void CGDIBitmapBtn::SetTooltip(const std::wstring& text) {
  if (!tooltip_.exists() && !tooltip_.Create(hwnd())) return;
  tooltip_.SetText(text);
  SyncName();
}

void CGDIBitmapBtn::SetChecked(bool checked) {
  if (checked == checked_) return;
  checked_ = checked;
  Repaint();
}

void CGDIBitmapBtn::Repaint() {
  if (hwnd()) InvalidateRect(hwnd(), nullptr, FALSE);
}

HWND CGDIBitmapBtn::OwnerOrParent() const {
  HWND owner = GetWindow(hwnd(), GW_OWNER);
  return owner ? owner : GetParent(hwnd());
}

CGDIBitmapBtn::Look CGDIBitmapBtn::ChooseLook(bool pushed, bool disabled) const {
  if (checked_) return Look::Pressed;
  if (!checkMode_) {
    if (pushed) return Look::Pressed;
    if (hover_) return Look::Hover;
  }
  return disabled ? Look::Disabled : Look::Normal;
}

bool CGDIBitmapBtn::OnDrawItem(DRAWITEMSTRUCT& item) {
  Look look = ChooseLook(item.itemState & ODS_SELECTED, item.itemState & ODS_DISABLED);
  const LookPicture& picture = looks_[int(look)];
  COLORREF colour = look == Look::Pressed ? kButtonTextPressed
                    : look == Look::Hover ? kButtonTextHover
                                          : kButtonTextNormal;
  RECT client;
  GetClientRect(hwnd(), &client);
  int w = client.right, h = client.bottom;
  HDC dc = item.hDC;

  const auto drawPicture = [&](HDC target) {
    if (picture.picture) picture.picture->Draw(target, 0, 0, w, h, picture.origin);
  };
  const bool marked = FocusMarkShown(hwnd());
  if (text_.empty()) {
    drawPicture(dc);
    if (marked) DrawFocusMark(dc, client);
    return true;
  }

  MemoryDc canvas(dc);
  if (!canvas.CreateSurface(dc, w, h)) return true;
  drawPicture(canvas.get());
  if (!font_) font_ = CreateSkinFont();
  canvas.Select(font_.get());
  SetBkMode(canvas.get(), TRANSPARENT);
  SetTextColor(canvas.get(), colour);
  SIZE extent{};
  GetTextExtentPoint32W(canvas.get(), text_.c_str(), int(text_.size()), &extent);
  int top = h / 2 - extent.cy / 2;
  bool shifted = colour == kButtonTextPressed;  // pressed text moves one pixel
  RECT box;
  if (textRect_) {
    const RECT& r = *textRect_;
    box = shifted ? RECT{r.left + 6, r.top + 1, r.right - 4, r.bottom + 1}
                  : RECT{r.left + 5, r.top, r.right - 5, r.bottom};
  } else {
    box = shifted ? RECT{9 + textDx_, top + textDy_ + 1, w - 4, h + 1}
                  : RECT{8 + textDx_, top + textDy_, w - 5, h};
  }
  const std::wstring drawn = DrawnText();
  DrawTextW(canvas.get(), drawn.c_str(), int(drawn.size()), &box, kButtonTextFlags);
  if (marked) DrawFocusMark(canvas.get(), client);
  BitBlt(dc, 0, 0, w, h, canvas.get(), 0, 0, SRCCOPY);
  return true;
}

void CGDIBitmapBtn::OnMouseMove(WPARAM keys, LPARAM position) {
  bool leftHeld = keys & MK_LBUTTON;
  if (leftHeld && !hover_) return;
  if (GetCapture() != hwnd() && GetActiveWindow() && OwnerOrParent()) {
    hover_ = true;
    SetCapture(hwnd());
    Repaint();
  } else {
    POINT screen{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    ClientToScreen(hwnd(), &screen);
    if (WindowFromPoint(screen) != hwnd()) {
      if (hover_) {
        hover_ = false;
        Repaint();
      }
      if (!leftHeld) ReleaseCapture();
    }
  }
  Repaint();
  if (HWND parent = GetParent(hwnd())) {
    POINT p{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    MapWindowPoints(hwnd(), parent, &p, 1);
    PostMessageW(parent, WM_MOUSEMOVE, keys, MAKELPARAM(p.x, p.y));
  }
}

bool CGDIBitmapBtn::PreTranslateMessage(MSG& message) {
  // A control that went (with its top-level owner) is made again when the
  // pointer comes by, with the text it had. Only then: a page of 150 buttons
  // made 150 tooltip windows at its first paint, and destroyed them at exit.
  const bool pointer = message.message >= WM_MOUSEFIRST && message.message <= WM_MOUSELAST;
  if (pointer && !tooltip_.exists() && !tooltip_.text().empty() && tooltip_.Create(hwnd()))
    tooltip_.SetText(std::wstring(tooltip_.text()));
  tooltip_.Relay(message);
  return false;
}

LRESULT CGDIBitmapBtn::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_GETDLGCODE || message == WM_KEYDOWN) {
    const LRESULT standard = message == WM_GETDLGCODE ? DefaultProc(message, wParam, lParam) : 0;
    LRESULT result = 0;
    if (ButtonKeyMessage(hwnd(), message, wParam, lParam, standard, !checkMode_, keyHandler_, result)) return result;
  }
  switch (message) {
    case BM_GETCHECK:
      // The checked state is ours, not the platform button's: readers ask here.
      return checked_ ? BST_CHECKED : BST_UNCHECKED;
    case BM_GETSTATE:
      return (DefaultProc(message, wParam, lParam) & ~LRESULT(BST_CHECKED)) | (checked_ ? BST_CHECKED : 0);
    case WM_SETFOCUS:
    case WM_UPDATEUISTATE: {
      LRESULT result = DefaultProc(message, wParam, lParam);
      Repaint();
      return result;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_DESTROY:
      tooltip_.Destroy();  // it belongs to the top-level window otherwise
      break;
    case WM_MOUSEMOVE: {
      LRESULT result = DefaultProc(message, wParam, lParam);
      OnMouseMove(wParam, lParam);
      return result;
    }
    case WM_KILLFOCUS: {
      LRESULT result = DefaultProc(message, wParam, lParam);
      hover_ = false;
      Repaint();
      return result;
    }
    case WM_CAPTURECHANGED:
      // Losing the capture (a click ends, another window takes it) ends the hover look.
      if (hover_) {
        hover_ = false;
        if (GetCapture() == hwnd()) ReleaseCapture();
        Repaint();
      }
      break;
    case WM_LBUTTONDOWN: {
      HWND top = GetAncestor(hwnd(), GA_ROOT);
      if (top && GetActiveWindow() != top) SetActiveWindow(top);
      if (mouseReport_) PostMessageW(GetParent(hwnd()), kMouseReportMessage, WM_LBUTTONDOWN,
                                     reinterpret_cast<LPARAM>(hwnd()));
      break;
    }
    case WM_LBUTTONUP:
      if (mouseReport_) PostMessageW(GetParent(hwnd()), kMouseReportMessage, WM_LBUTTONUP,
                                     reinterpret_cast<LPARAM>(hwnd()));
      break;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace q730x
