#include "skin/skin_scroll_bar.h"

#include <windowsx.h>

#include <algorithm>

#include "markup/access_texts.h"
#include "skin/skin_files.h"

namespace q730x {

namespace {

constexpr int kThumbEnd = 3;  // pixels of the thumb cell kept at each end

// Copies `length` pixels along the bar, starting at `along`, from the part
// of cell (column, row) that starts `cellOffset` pixels into the cell and is
// `cellLength` long; stretched when the lengths differ.
struct CellCopier {
  HDC target;
  HDC skin;
  int cell;
  bool vertical;

  void operator()(int along, int length, int column, int row, int cellOffset,
                  int cellLength) const {
    if (length <= 0 || cellLength <= 0) return;
    int x = vertical ? 0 : along, y = vertical ? along : 0;
    int w = vertical ? cell : length, h = vertical ? length : cell;
    int sx = column * cell + (vertical ? 0 : cellOffset);
    int sy = row * cell + (vertical ? cellOffset : 0);
    int sw = vertical ? cell : cellLength, sh = vertical ? cellLength : cell;
    if (w == sw && h == sh) {
      BitBlt(target, x, y, w, h, skin, sx, sy, SRCCOPY);
    } else {
      SetStretchBltMode(target, COLORONCOLOR);
      StretchBlt(target, x, y, w, h, skin, sx, sy, sw, sh, SRCCOPY);
    }
  }

  // Fills [along, along + length) with copies of a cell part, the last one cut.
  void Tile(int along, int length, int column, int row, int cellOffset, int cellLength) const {
    if (cellLength <= 0) return;
    for (int done = 0; done < length; done += cellLength) {
      const int piece = std::min(cellLength, length - done);
      (*this)(along + done, piece, column, row, cellOffset, piece);
    }
  }
};

}  // namespace

UniqueBitmap LoadScrollSkinBitmap() {
  return UniqueBitmap(LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kScrollSkinBitmapId)));
}

int ScrollSkinCell(HBITMAP skin) {
  const int cell = BitmapSize(skin).cx / 9;
  return cell > 0 ? cell : 16;
}

bool CSkinScrollBar::Create(HWND parent, RECT rect, bool vertical, int id, bool visible) {
  const DWORD style = WS_CHILD | (visible ? WS_VISIBLE : 0) | (vertical ? SBS_VERT : SBS_HORZ);
  // The bar draws no text: its window text is only the name readers speak.
  const std::wstring& name = vertical ? Access.str_scroll_vertical : Access.str_scroll_horizontal;
  HWND window = CreateWindowExW(0, L"SCROLLBAR", name.c_str(), style, rect.left, rect.top,
                                rect.right - rect.left, rect.bottom - rect.top, parent,
                                reinterpret_cast<HMENU>(INT_PTR(id)), GetModuleHandleW(nullptr),
                                nullptr);
  if (!window) return false;
  if (!Attach(window)) {
    DestroyWindow(window);
    return false;
  }
  vertical_ = vertical;
  // The size message of the creation came before we were attached.
  length_ = vertical ? rect.bottom - rect.top : rect.right - rect.left;
  return true;
}

void CSkinScrollBar::SetSkin(HBITMAP skin, int cell) {
  skin_ = skin;
  cell_ = cell > 0 ? cell : 16;
  Invalidate();
}

LRESULT CSkinScrollBar::SetInfo(const SCROLLINFO& info, bool redraw) {
  if (info.fMask & SIF_PAGE) state_.page = info.nPage;
  if (info.fMask & SIF_POS) state_.position = info.nPos;
  if (info.fMask & SIF_RANGE) {
    state_.minimum = info.nMin;
    state_.maximum = info.nMax;
  }
  if (redraw) Redraw();
  return 1;
}

LRESULT CSkinScrollBar::GetInfo(SCROLLINFO& info) const {
  if (info.fMask & SIF_PAGE) info.nPage = state_.page;
  if (info.fMask & SIF_POS) info.nPos = state_.position;
  if (info.fMask & SIF_TRACKPOS) info.nTrackPos = state_.trackPosition;
  if (info.fMask & SIF_RANGE) {
    info.nMin = state_.minimum;
    info.nMax = state_.maximum;
  }
  return 1;
}

ScrollLayout CSkinScrollBar::Layout() const { return PaintedLayout(length_, cell_, state_); }

ScrollSegment CSkinScrollBar::HitTest(POINT client) const {
  return PointerLayout(length_, cell_, state_).Hit(Along(client));
}

RECT CSkinScrollBar::SegmentRect(ScrollSegment segment) const {
  if (segment == kSegmentNone) return {};
  // The thumb and page areas as the pointer meets them.
  const ScrollLayout layout = PointerLayout(length_, cell_, state_);
  const int begin = layout.Begin(segment), end = layout.End(segment);
  return vertical_ ? RECT{0, begin, cell_, end} : RECT{begin, 0, end, cell_};
}

void CSkinScrollBar::Draw(HDC dc) const {
  RECT client;
  GetClientRect(hwnd(), &client);
  if (!skin_) {
    UniqueBrush plain(CreateSolidBrush(kPlainSkinColour));
    FillRect(dc, &client, plain.get());
    return;
  }
  MemoryDc skin(dc);
  if (!skin) return;
  skin.Borrow(skin_);
  const CellCopier copy{dc, skin.get(), cell_, vertical_};
  const ScrollLayout layout = Layout();
  const int first = vertical_ ? kCellUpArrow : kCellLeftArrow;
  const int second = vertical_ ? kCellDownArrow : kCellRightArrow;
  const int track = vertical_ ? kCellVerticalTrack : kCellHorizontalTrack;
  const int thumb = vertical_ ? kCellVerticalThumb : kCellHorizontalThumb;
  const bool idle = !dragging_ && pressed_ == kSegmentNone;

  auto arrowRow = [&](ScrollSegment arrow) {
    if (pressed_ == arrow && !pressedOut_) return kRowPressed;
    if (idle && hover_ == arrow) return kRowHover;
    return kRowNormal;
  };
  copy(0, layout.arrow, first, arrowRow(kSegmentLineUp), 0, cell_);
  copy(layout.length - layout.arrow, layout.arrow, second, arrowRow(kSegmentLineDown), 0, cell_);

  // A disabled bar shows its track without a thumb, as the platform's do.
  const bool showThumb = layout.thumb > 0 && IsWindowEnabled(hwnd());
  const int thumbBegin = layout.Begin(kSegmentThumb);
  const int thumbEnd = showThumb ? layout.End(kSegmentThumb) : thumbBegin;
  copy.Tile(layout.arrow, thumbBegin - layout.arrow, track, kRowNormal, 0, cell_);
  copy.Tile(thumbEnd, layout.length - layout.arrow - thumbEnd, track, kRowNormal, 0, cell_);
  if (!showThumb) return;

  const int row = dragging_ ? kRowPressed : (idle && hover_ == kSegmentThumb) ? kRowHover : kRowNormal;
  const int end = std::min(kThumbEnd, layout.thumb / 2);
  copy(thumbBegin, end, thumb, row, 0, end);
  copy.Tile(thumbBegin + end, layout.thumb - 2 * end, thumb, row, kThumbEnd, cell_ - 2 * kThumbEnd);
  copy(thumbEnd - end, end, thumb, row, cell_ - end, end);
}

void CSkinScrollBar::Redraw() {
  if (!hwnd()) return;
  WindowDc dc(hwnd());
  DrawBuffered(dc.get());
  ValidateRect(hwnd(), nullptr);
}

void CSkinScrollBar::DrawBuffered(HDC dc) const {
  RECT client;
  GetClientRect(hwnd(), &client);
  // Drawn off screen first, so that a moving thumb does not flicker.
  MemoryDc buffer(dc);
  if (!buffer.CreateSurface(dc, client.right, client.bottom)) return Draw(dc);
  Draw(buffer.get());
  BitBlt(dc, 0, 0, client.right, client.bottom, buffer.get(), 0, 0, SRCCOPY);
}

void CSkinScrollBar::Notify(int code, int position) {
  const bool withPosition = code == SB_THUMBTRACK || code == SB_THUMBPOSITION;
  SendMessageW(GetParent(hwnd()), vertical_ ? WM_VSCROLL : WM_HSCROLL,
               MAKEWPARAM(code, withPosition ? position : 0), reinterpret_cast<LPARAM>(hwnd()));
}

ScrollSegment CSkinScrollBar::HoverAt(POINT client) const {
  RECT bounds;
  GetClientRect(hwnd(), &bounds);
  return PtInRect(&bounds, client) ? HitTest(client) : kSegmentNone;
}

void CSkinScrollBar::OnButtonDown(POINT client) {
  SetCapture(hwnd());
  const ScrollSegment hit = HitTest(client);
  if (hit == kSegmentThumb) {
    dragging_ = true;
    dragStart_ = client;
    dragStartPosition_ = state_.position;
    state_.trackPosition = state_.position;
    Redraw();
    return;
  }
  if (hit == kSegmentNone) return;
  pressed_ = hit;
  pressedOut_ = false;
  Notify(hit, 0);
  SetTimer(hwnd(), kFirstRepeatTimer, kFirstRepeatDelay, nullptr);
  Redraw();
}

void CSkinScrollBar::OnMouseMove(POINT client) {
  if (!trackingLeave_) {
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd(), 0};
    trackingLeave_ = TrackMouseEvent(&track) != FALSE;
  }
  if (dragging_) {
    const ScrollLayout layout = PointerLayout(length_, cell_, state_);
    const std::int32_t position =
        DragPosition(layout, state_, dragStartPosition_, Along(client) - Along(dragStart_));
    if (position == state_.trackPosition) return;
    state_.trackPosition = position;
    Redraw();
    Notify(SB_THUMBTRACK, position);
    return;
  }
  if (pressed_ != kSegmentNone) {
    const RECT segment = SegmentRect(pressed_);
    const bool out = !PtInRect(&segment, client);
    if (out == pressedOut_) return;
    pressedOut_ = out;
    Redraw();
    return;
  }
  const ScrollSegment hover = HoverAt(client);
  if (hover == hover_) return;
  hover_ = hover;
  Redraw();
}

void CSkinScrollBar::OnButtonUp(POINT client) {
  EndPress(client);
  if (GetCapture() == hwnd()) ReleaseCapture();
}

void CSkinScrollBar::EndPress(POINT client) {
  if (dragging_) {
    dragging_ = false;
    Notify(SB_THUMBPOSITION, state_.trackPosition);
    state_.trackPosition = -1;
  } else if (pressed_ != kSegmentNone) {
    KillTimer(hwnd(), kFirstRepeatTimer);
    KillTimer(hwnd(), kRepeatTimer);
    autoRepeat_ = false;
    pressed_ = kSegmentNone;
    pressedOut_ = false;
  }
  hover_ = HoverAt(client);
  Redraw();
}

bool CSkinScrollBar::RepeatStep() {
  if (pressedOut_) return true;  // held outside the part: wait for the pointer to return
  switch (pressed_) {
    case kSegmentLineUp:
      if (state_.position <= state_.minimum) return false;
      break;
    case kSegmentLineDown:
      if (state_.position >= state_.LastPosition()) return false;
      break;
    case kSegmentPageUp:
    case kSegmentPageDown: {
      // Until the thumb reaches the pointer (or a page step took it past).
      POINT cursor;
      GetCursorPos(&cursor);
      ScreenToClient(hwnd(), &cursor);
      if (HitTest(cursor) != pressed_) return false;
      break;
    }
    default:
      return false;
  }
  Notify(pressed_, 0);
  return true;
}

void CSkinScrollBar::OnTimer(UINT_PTR timer) {
  if (timer == kFirstRepeatTimer) {
    KillTimer(hwnd(), kFirstRepeatTimer);
    if (pressed_ == kSegmentNone) return;
    autoRepeat_ = true;
    SetTimer(hwnd(), kRepeatTimer, kRepeatInterval, nullptr);
  } else if (timer != kRepeatTimer) {
    return;
  }
  if (pressed_ == kSegmentNone || !RepeatStep()) KillTimer(hwnd(), kRepeatTimer);
}

LRESULT CSkinScrollBar::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      if (HDC dc = BeginPaint(hwnd(), &paint)) DrawBuffered(dc);
      EndPaint(hwnd(), &paint);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case SBM_SETSCROLLINFO:
      return lParam ? SetInfo(*reinterpret_cast<const SCROLLINFO*>(lParam), wParam != 0) : 0;
    case SBM_GETSCROLLINFO:
      return lParam ? GetInfo(*reinterpret_cast<SCROLLINFO*>(lParam)) : 0;
    case WM_LBUTTONDOWN:
      OnButtonDown(at);
      return 0;
    case WM_LBUTTONDBLCLK:
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove(at);
      return 0;
    case WM_LBUTTONUP:
      OnButtonUp(at);
      return 0;
    case WM_MOUSELEAVE:
      trackingLeave_ = false;
      // Only the hover look goes: a held part keeps following the captured pointer.
      if (!dragging_ && pressed_ == kSegmentNone && hover_ != kSegmentNone) {
        hover_ = kSegmentNone;
        Redraw();
      }
      return 0;
    case WM_CAPTURECHANGED:
      // Another window took the pointer in the middle of a press: end it here,
      // or the repeat would run on with nobody holding the button.
      if (reinterpret_cast<HWND>(lParam) != hwnd() && (dragging_ || pressed_ != kSegmentNone)) {
        POINT cursor;
        GetCursorPos(&cursor);
        ScreenToClient(hwnd(), &cursor);
        EndPress(cursor);
      }
      return 0;
    case WM_TIMER:
      OnTimer(wParam);
      return 0;
    case WM_SIZE:
      length_ = vertical_ ? HIWORD(lParam) : LOWORD(lParam);
      return 0;
    case WM_ENABLE:
      // The platform bar would paint itself here; ours repaints in its own look.
      hover_ = kSegmentNone;
      Invalidate();
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      return 0;  // no focus caret over the picture
  }
  return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace q730x
