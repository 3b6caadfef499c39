// CSkinScrollWnd: puts the skinned scroll bars on an existing control (the
// lists of the assignment pages and the macro manager). The control keeps
// its own scrolling; it moves into a frame window, inside a clipping window
// ("LIMIT") that hides its own scroll bars, and two CSkinScrollBar controls
// take their place. The skinned bars follow the control's scroll state and
// send the user's scrolling back to it as ordinary scroll messages.
//
//   frame "SkinScrollBarFrame" (the control's id and rectangle)
//     LIMIT (id 200)  ->  the control, whose own bars fall outside LIMIT
//     horizontal bar (id 100), vertical bar (id 101), and the corner between them
//
// The frame owns itself: it goes when its window goes, and it goes (putting
// the control back where it was) when the control is destroyed.
#pragma once

#include "skin/skin_scroll_bar.h"
#include "skin/window.h"

namespace q730x {

// Posted to the frame when the control's own bars were laid out: wParam
// nonzero if the vertical bar shows, lParam nonzero if it is on the left.
inline constexpr UINT kScrollRelayoutMessage = 0x464;

class CSkinScrollWnd : public Window {
 public:
  static constexpr int kHorizontalBarId = 100;
  static constexpr int kVerticalBarId = 101;
  static constexpr int kLimitId = 200;
  // Every half second the bars catch up with scrolling they did not see.
  static constexpr UINT_PTR kSyncTimer = 100;
  static constexpr UINT kSyncInterval = 500;

  // Which corner is filled where both bars meet.
  enum class Corner { None = 0, Left = 1, Right = 2 };

  HWND control() const { return control_; }
  HWND limit() const { return limit_.hwnd(); }
  CSkinScrollBar& horizontalBar() { return horizontal_; }
  CSkinScrollBar& verticalBar() { return vertical_; }
  int cell() const { return cell_; }
  Corner corner() const { return corner_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnDetached() override { delete this; }

 private:
  friend CSkinScrollWnd* WrapWithSkinScroll(HWND control, HBITMAP skin);

  // The clipping window: the control's notifications pass through it to the
  // dialog, unless the control answers them itself.
  class Limit : public Window {
   public:
    bool Create(HWND frame, RECT rect);

   protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  };

  CSkinScrollWnd() = default;
  bool Wrap(HWND control, HBITMAP skin);
  static LRESULT CALLBACK ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR frame);
  void AfterControlMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void PlaceBars(NCCALCSIZE_PARAMS& sizes);
  void Relayout(bool vertical, bool left);
  // Copies the control's scroll state into a bar when it differs, and
  // enables the bar only when there is something to scroll.
  void SyncBar(CSkinScrollBar& bar);
  void ForwardScroll(UINT message, WPARAM wParam, HWND bar);
  void PaintCorner();
  // Takes the wrapping procedure off the control.
  void Unhook();
  // The control is being destroyed: it goes back to the frame's place, and the frame goes.
  void Unwrap();

  int cell_ = 16;
  HBITMAP skin_ = nullptr;  // not owned
  CSkinScrollBar horizontal_, vertical_;
  Limit limit_;
  HWND control_ = nullptr;
  bool inScroll_ = false;
  Corner corner_ = Corner::None;
};

// Wraps `control` (a child window) with skinned bars cut from `skin`, which
// the caller keeps while the control lives. Answers the frame, or null when
// the control cannot be wrapped (it is then left as it was).
CSkinScrollWnd* WrapWithSkinScroll(HWND control, HBITMAP skin);

}  // namespace q730x
