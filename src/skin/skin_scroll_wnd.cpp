#include "skin/skin_scroll_wnd.h"

#include <commctrl.h>

#include "skin/gdi_handles.h"

namespace q730x {

namespace {

constexpr wchar_t kFrameClass[] = L"Q730X.SkinScrollFrame";
// The wrapping procedure's place among the control's subclasses.
constexpr UINT_PTR kWrapSubclassId = 0x5C801;

// The frame and LIMIT: plain windows that erase nothing (what shows of them
// is painted by their children and the corner).
bool RegisterFrameClass() {
  static const bool registered = [] {
    WNDCLASSEXW type{};
    type.cbSize = sizeof type;
    type.lpfnWndProc = DefWindowProcW;
    type.hInstance = GetModuleHandleW(nullptr);
    type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    type.lpszClassName = kFrameClass;
    return RegisterClassExW(&type) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  return registered;
}

// Messages a control sends its parent about itself.
bool IsControlNotification(UINT message) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_DELETEITEM:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
      return true;
  }
  return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}

bool HasStyle(HWND window, LONG_PTR bits) { return (GetWindowLongPtrW(window, GWL_STYLE) & bits) != 0; }

// A window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND window) {
  RECT rect;
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

}  // namespace

bool CSkinScrollWnd::Limit::Create(HWND frame, RECT rect) {
  // Tab walks on through the frames into the control they carry.
  HWND window = CreateWindowExW(WS_EX_CONTROLPARENT, kFrameClass, L"LIMIT", WS_CHILD | WS_VISIBLE, rect.left,
                                rect.top, rect.right - rect.left, rect.bottom - rect.top, frame,
                                reinterpret_cast<HMENU>(INT_PTR(kLimitId)),
                                GetModuleHandleW(nullptr), nullptr);
  if (window && !Attach(window)) {
    DestroyWindow(window);
    return false;
  }
  return window != nullptr;
}

LRESULT CSkinScrollWnd::Limit::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  // What the control did not answer itself (the window layer offered it
  // first) goes on to the dialog, as if the control were still its child.
  if (IsControlNotification(message)) {
    HWND frame = GetParent(hwnd());
    if (HWND dialog = frame ? GetParent(frame) : nullptr)
      return SendMessageW(dialog, message, wParam, lParam);
  }
  return Window::HandleMessage(message, wParam, lParam);
}

CSkinScrollWnd* WrapWithSkinScroll(HWND control, HBITMAP skin) {
  auto* frame = new CSkinScrollWnd;
  if (frame->Wrap(control, skin)) return frame;
  // The frame's window takes the object with it; without a window it goes here.
  if (frame->hwnd()) DestroyWindow(frame->hwnd());
  else delete frame;
  return nullptr;
}

bool CSkinScrollWnd::Wrap(HWND control, HBITMAP skin) {
  HWND parent = control && IsWindow(control) ? GetParent(control) : nullptr;
  if (!parent || !HasStyle(control, WS_CHILD) || !RegisterFrameClass()) return false;
  skin_ = skin;
  cell_ = ScrollSkinCell(skin);
  const RECT rect = RectInParent(control);
  const int id = GetDlgCtrlID(control);

  // The control's border and client edge move to the frame, and the control
  // shrinks by them, so the frame looks like the control did.
  const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
  const LONG_PTR exStyle = GetWindowLongPtrW(control, GWL_EXSTYLE);
  DWORD frameStyle = WS_CHILD | WS_CLIPCHILDREN | (style & WS_VISIBLE);
  DWORD frameExStyle = WS_EX_CONTROLPARENT;
  SIZE size{rect.right - rect.left, rect.bottom - rect.top};
  if (style & WS_BORDER) {
    frameStyle |= WS_BORDER;
    size.cx -= 2 * GetSystemMetrics(SM_CXBORDER);
    size.cy -= 2 * GetSystemMetrics(SM_CXBORDER);
  }
  if (exStyle & WS_EX_CLIENTEDGE) {
    frameExStyle |= WS_EX_CLIENTEDGE;
    size.cx -= 2 * GetSystemMetrics(SM_CXEDGE);
    size.cy -= 2 * GetSystemMetrics(SM_CXEDGE);
  }

  HWND window = CreateWindowExW(frameExStyle, kFrameClass, L"SkinScrollBarFrame", frameStyle,
                                rect.left, rect.top, rect.right - rect.left,
                                rect.bottom - rect.top, parent,
                                reinterpret_cast<HMENU>(INT_PTR(id)), GetModuleHandleW(nullptr),
                                nullptr);
  if (!window) return false;
  if (!Attach(window)) {
    DestroyWindow(window);
    return false;
  }
  // In the control's place among its siblings.
  SetWindowPos(hwnd(), control, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  RECT client;
  GetClientRect(hwnd(), &client);
  const RECT oneCell{0, 0, cell_, cell_};
  if (!limit_.Create(hwnd(), client) ||
      !horizontal_.Create(hwnd(), oneCell, false, kHorizontalBarId, false) ||
      !vertical_.Create(hwnd(), oneCell, true, kVerticalBarId, false))
    return false;
  horizontal_.SetSkin(skin, cell_);
  vertical_.SetSkin(skin, cell_);

  // The wrapping procedure goes on before the move, so that the frame
  // changes the move makes are already ours to lay out.
  if (!SetWindowSubclass(control, &ControlProc, kWrapSubclassId, reinterpret_cast<DWORD_PTR>(this)))
    return false;
  control_ = control;
  // A list box (like most controls) notifies the parent it was created in,
  // whoever its parent is now: the dialog hands those to the control first.
  if (SetWindowSubclass(parent, &DialogProc, reinterpret_cast<UINT_PTR>(this),
                        reinterpret_cast<DWORD_PTR>(this)))
    dialog_ = parent;
  if (style & WS_BORDER) SetWindowLongPtrW(control, GWL_STYLE, style & ~LONG_PTR(WS_BORDER));
  if (exStyle & WS_EX_CLIENTEDGE)
    SetWindowLongPtrW(control, GWL_EXSTYLE, exStyle & ~LONG_PTR(WS_EX_CLIENTEDGE));
  SetParent(control, limit_.hwnd());
  SetWindowPos(control, nullptr, 0, 0, size.cx, size.cy,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);

  SetTimer(hwnd(), kSyncTimer, kSyncInterval, nullptr);
  SetWindowPos(limit_.hwnd(), nullptr, 0, 0, client.right, client.bottom,
               SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}

LRESULT CALLBACK CSkinScrollWnd::ControlProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam, UINT_PTR, DWORD_PTR data) {
  auto* frame = reinterpret_cast<CSkinScrollWnd*>(data);
  if (message == WM_DESTROY) {
    frame->Unwrap();  // the frame is gone after this
    return DefSubclassProc(window, message, wParam, lParam);
  }
  // The control's own procedure first; the frame follows what it did.
  const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
  frame->AfterControlMessage(message, wParam, lParam);
  return result;
}

LRESULT CALLBACK CSkinScrollWnd::DialogProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam, UINT_PTR, DWORD_PTR data) {
  auto* frame = reinterpret_cast<CSkinScrollWnd*>(data);
  // Draw requests name their control and are reflected by the dialog itself.
  if (frame->control_ && message != WM_DRAWITEM && IsControlNotification(message)) {
    LRESULT result = 0;
    if (Window::ReflectToChild(frame->limit_.hwnd(), message, wParam, lParam, result)) return result;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

void CSkinScrollWnd::AfterControlMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCALCSIZE && wParam) {
    // Laid out even in the middle of a forwarded scroll: the control's own
    // bars must never come out from under LIMIT.
    PlaceBars(*reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam));
    return;
  }
  if (inScroll_) return;
  if (message == WM_ERASEBKGND) {
    if (HasStyle(control_, WS_VSCROLL)) SyncBar(vertical_);
    if (HasStyle(control_, WS_HSCROLL)) SyncBar(horizontal_);
  }
}

void CSkinScrollWnd::PlaceBars(NCCALCSIZE_PARAMS& sizes) {
  const bool hasVertical = HasStyle(control_, WS_VSCROLL);
  const bool hasHorizontal = HasStyle(control_, WS_HSCROLL);
  const bool left = (GetWindowLongPtrW(control_, GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR) != 0;
  // The control's own bars shrink to a strip one cell wide, which LIMIT cuts off.
  RECT& client = sizes.rgrc[0];
  const int widen = GetSystemMetrics(SM_CXVSCROLL) - cell_;
  if (hasVertical && left) client.left -= widen;
  if (hasVertical && !left) client.right += widen;
  if (hasHorizontal) client.bottom += widen;

  // The skinned bars go where those strips are, in the frame's coordinates.
  RECT area = client;
  MapWindowPoints(GetParent(control_), hwnd(), reinterpret_cast<POINT*>(&area), 2);
  const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
  const int verticalX = left ? area.left - cell_ : area.right;
  SetWindowPos(vertical_.hwnd(), nullptr, verticalX, area.top, cell_, area.bottom - area.top,
               flags | (hasVertical ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
  SetWindowPos(horizontal_.hwnd(), nullptr, area.left, area.bottom, area.right - area.left, cell_,
               flags | (hasHorizontal ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
  corner_ = hasVertical && hasHorizontal ? (left ? Corner::Left : Corner::Right) : Corner::None;
  PostMessageW(hwnd(), kScrollRelayoutMessage, hasVertical, left);
}

void CSkinScrollWnd::Relayout(bool vertical, bool left) {
  RECT area;
  GetClientRect(hwnd(), &area);
  if (HasStyle(horizontal_.hwnd(), WS_VISIBLE)) area.bottom -= cell_;
  int controlX = 0;
  if (vertical && left) {
    area.left += cell_;
    controlX = -cell_;  // the control's own left strip lies outside LIMIT
  } else if (vertical) {
    area.right -= cell_;
  }
  const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
  SetWindowPos(limit_.hwnd(), nullptr, area.left, area.top, area.right - area.left,
               area.bottom - area.top, flags);
  if (control_) SetWindowPos(control_, nullptr, controlX, 0, 0, 0, flags | SWP_NOSIZE);
  InvalidateRect(hwnd(), nullptr, FALSE);  // the corner
}

void CSkinScrollWnd::SyncBar(CSkinScrollBar& bar) {
  if (!control_ || bar.dragging()) return;
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  if (!GetScrollInfo(control_, bar.vertical() ? SB_VERT : SB_HORZ, &info)) return;
  const ScrollState& state = bar.state();
  if (info.nMin != state.minimum || info.nMax != state.maximum || info.nPos != state.position ||
      info.nPage != state.page) {
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    bar.SetInfo(info, true);
  }
  EnableWindow(bar.hwnd(), std::int64_t(info.nMax) >= std::int64_t(info.nPage));
}

void CSkinScrollWnd::ForwardScroll(UINT message, WPARAM wParam, HWND bar) {
  if (!control_) return;
  CSkinScrollBar& skinned = bar == vertical_.hwnd() ? vertical_ : horizontal_;
  inScroll_ = true;
  SendMessageW(control_, message, wParam, 0);
  if (LOWORD(wParam) == SB_THUMBTRACK) {
    // The platform list box takes a thumb track's position from its own
    // bar, which never moves here; where the control did not follow, the
    // position goes again as one it does take.
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    if (GetScrollInfo(control_, skinned.vertical() ? SB_VERT : SB_HORZ, &info) &&
        info.nPos != HIWORD(wParam))
      SendMessageW(control_, message, MAKEWPARAM(SB_THUMBPOSITION, HIWORD(wParam)), 0);
  }
  inScroll_ = false;
  if (LOWORD(wParam) != SB_THUMBTRACK) SyncBar(skinned);
}

void CSkinScrollWnd::PaintCorner() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd(), &paint);
  if (dc && skin_ && corner_ != Corner::None) {
    RECT client;
    GetClientRect(hwnd(), &client);
    MemoryDc cells(dc);
    cells.Borrow(skin_);
    const bool right = corner_ == Corner::Right;
    BitBlt(dc, right ? client.right - cell_ : 0, client.bottom - cell_, cell_, cell_, cells.get(),
           kCellCorner * cell_, (right ? 0 : 1) * cell_, SRCCOPY);
  }
  EndPaint(hwnd(), &paint);
}

void CSkinScrollWnd::Unhook() {
  if (dialog_) RemoveWindowSubclass(dialog_, &DialogProc, reinterpret_cast<UINT_PTR>(this));
  dialog_ = nullptr;
  if (control_) RemoveWindowSubclass(control_, &ControlProc, kWrapSubclassId);
  control_ = nullptr;
}

void CSkinScrollWnd::Unwrap() {
  HWND control = control_;
  Unhook();
  const RECT rect = RectInParent(hwnd());
  SetParent(control, GetParent(hwnd()));
  SetWindowPos(control, nullptr, rect.left, rect.top, rect.right - rect.left,
               rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
  DestroyWindow(hwnd());  // and with its window, the frame object
}

LRESULT CSkinScrollWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kScrollRelayoutMessage:
      Relayout(wParam != 0, lParam != 0);
      return 0;
    case WM_SIZE:
      SetWindowPos(limit_.hwnd(), nullptr, 0, 0, LOWORD(lParam), HIWORD(lParam),
                   SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    case WM_VSCROLL:
    case WM_HSCROLL: {
      HWND bar = reinterpret_cast<HWND>(lParam);
      if (bar && (bar == vertical_.hwnd() || bar == horizontal_.hwnd())) {
        ForwardScroll(message, wParam, bar);
        return 0;
      }
      break;
    }
    case WM_MOUSEWHEEL:
      // The wheel over a bar scrolls the control, as it does over the control.
      if (control_) return SendMessageW(control_, message, wParam, lParam);
      break;
    case WM_TIMER:
      if (wParam != kSyncTimer) break;
      for (CSkinScrollBar* bar : {&vertical_, &horizontal_})
        if (HasStyle(bar->hwnd(), WS_VISIBLE)) SyncBar(*bar);
      return 0;
    case WM_PAINT:
      PaintCorner();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_DESTROY:
      // The frame goes with its dialog (before the control gets WM_DESTROY):
      // the control needs no unwrapping then.
      KillTimer(hwnd(), kSyncTimer);
      Unhook();
      break;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace q730x
