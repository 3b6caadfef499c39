// CSkinScrollBar: a platform scroll bar control that paints itself from the
// scroll bar skin picture and runs its own arrows, page areas, thumb drag and
// auto-repeat. It keeps its own scroll state (SetScrollInfo/GetScrollInfo on
// the bar work on it) and tells its parent what the user did with ordinary
// WM_VSCROLL/WM_HSCROLL messages.
//
// The skin picture is a grid of square cells, 9 columns by 3 rows (normal,
// hover, pressed); the cell size is the picture's width / 9.
#pragma once

#include "skin/gdi_handles.h"
#include "skin/scroll_geometry.h"
#include "skin/window.h"

namespace q730x {

// The embedded scroll bar picture (163 x 54: 18-pixel cells).
inline constexpr int kScrollSkinBitmapId = 176;
// Loads it from the program's resources; the caller keeps it while bars use it.
UniqueBitmap LoadScrollSkinBitmap();

// Columns of the skin picture.
enum ScrollSkinColumn : int {
  kCellUpArrow = 0,
  kCellDownArrow = 1,
  kCellVerticalThumb = 2,
  kCellVerticalTrack = 3,
  kCellLeftArrow = 4,
  kCellRightArrow = 5,
  kCellHorizontalThumb = 6,
  kCellHorizontalTrack = 7,
  kCellCorner = 8,  // row 0: a bar on the right; row 1: a bar on the left
};
enum ScrollSkinRow : int { kRowNormal = 0, kRowHover = 1, kRowPressed = 2 };

// The cell size of a skin picture: its width / 9 (16 without a picture).
int ScrollSkinCell(HBITMAP skin);

class CSkinScrollBar : public Window {
 public:
  // Timers of a bar: the first repeat of a held arrow or page area, then the rest.
  static constexpr UINT_PTR kFirstRepeatTimer = 200;
  static constexpr UINT kFirstRepeatDelay = 500;
  static constexpr UINT_PTR kRepeatTimer = 100;
  static constexpr UINT kRepeatInterval = 100;

  // A visible child scroll bar of `parent` at `rect` (SBS_VERT when vertical).
  bool Create(HWND parent, RECT rect, bool vertical, int id, bool visible = true);
  // The skin picture (not owned) and its cell size.
  void SetSkin(HBITMAP skin, int cell);

  bool vertical() const { return vertical_; }
  int cell() const { return cell_; }
  int length() const { return length_; }
  const ScrollState& state() const { return state_; }
  bool dragging() const { return dragging_; }
  ScrollSegment pressedSegment() const { return pressed_; }
  ScrollSegment hoverSegment() const { return hover_; }
  bool autoRepeat() const { return autoRepeat_; }
  bool pressedOut() const { return pressedOut_; }

  // The scroll state as SBM_SETSCROLLINFO/SBM_GETSCROLLINFO see it; both answer 1.
  LRESULT SetInfo(const SCROLLINFO& info, bool redraw);
  LRESULT GetInfo(SCROLLINFO& info) const;

  // The parts as painted now, and the part a client point would hit.
  ScrollLayout Layout() const;
  ScrollSegment HitTest(POINT client) const;
  // A segment's rectangle in client coordinates (empty for none).
  RECT SegmentRect(ScrollSegment segment) const;

  // Paints the whole bar in its present state onto `dc` (client coordinates).
  void Draw(HDC dc) const;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  int Along(POINT client) const { return vertical_ ? client.y : client.x; }
  void Redraw();
  void DrawBuffered(HDC dc) const;
  void Notify(int code, int position);

  void OnButtonDown(POINT client);
  void OnMouseMove(POINT client);
  void OnButtonUp(POINT client);
  void OnTimer(UINT_PTR timer);
  // Back to idle after the button came up or the capture was lost.
  void EndPress(POINT client);
  // One step of a held arrow or page area; false once it should stop.
  bool RepeatStep();
  ScrollSegment HoverAt(POINT client) const;

  HBITMAP skin_ = nullptr;  // not owned
  int cell_ = 16;
  bool vertical_ = false;
  int length_ = 0;
  ScrollState state_;
  bool dragging_ = false;
  POINT dragStart_{};
  std::int32_t dragStartPosition_ = 0;
  ScrollSegment pressed_ = kSegmentNone;
  bool autoRepeat_ = false;
  ScrollSegment hover_ = kSegmentNone;
  bool pressedOut_ = false;
  bool trackingLeave_ = false;
};

}  // namespace q730x
