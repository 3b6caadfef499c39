// What the scroll bar tests share: a skin picture with one plain colour per
// cell (and marked thumb ends), and a top-level host window that records the
// scroll messages and commands it receives.
#pragma once

#include <windows.h>

#include <vector>

#include "skin/gdi_handles.h"
#include "skin/window.h"

namespace q730x::test {

// 162 x 54: 18-pixel cells. A cell (column, row) is RGB(20 + 20 * column,
// 40 + 60 * row, blue), blue 0, except in the thumb columns (2 and 6), whose
// first 3 pixels along the bar have blue 200 and whose last 3 have blue 100.
UniqueBitmap MakeScrollSkin();
COLORREF SkinCell(int column, int row, int blue = 0);

struct ScrollMessage {
  UINT message;  // WM_VSCROLL or WM_HSCROLL
  int code;
  int position;
  HWND bar;
  DWORD tick;
};

class ScrollHost : public Window {
 public:
  // A visible topmost popup at (x, y) on the screen, client size w x h.
  bool Create(int x, int y, int w, int h);
  ~ScrollHost() override { Destroy(); }

  std::vector<ScrollMessage> scrolls;
  std::vector<WPARAM> commands;  // wParam of every WM_COMMAND
  // When set, the host answers a bar's scroll messages as a list would:
  // moves `state` and sets it back into the bar.
  HWND followBar = nullptr;
  int minimum = 0, maximum = 99, page = 10, position = 0;

  int Count(int code) const;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

}  // namespace q730x::test
