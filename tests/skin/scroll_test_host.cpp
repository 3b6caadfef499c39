#include "scroll_test_host.h"

#include <algorithm>

#include "gui_support.h"

namespace q730x::test {

COLORREF SkinCell(int column, int row, int blue) {
  return RGB(20 + 20 * column, 40 + 60 * row, blue);
}

UniqueBitmap MakeScrollSkin() {
  return MakeBitmap(162, 54, [](int x, int y) {
    const int column = x / 18, row = y / 18;
    int blue = 0;
    if (column == 2 || column == 6) {
      const int along = column == 2 ? y % 18 : x % 18;
      blue = along < 3 ? 200 : along >= 15 ? 100 : 0;
    }
    return SkinCell(column, row, blue);
  });
}

bool ScrollHost::Create(int x, int y, int w, int h) {
  static const bool registered = [] {
    WNDCLASSW type{};
    type.lpfnWndProc = DefWindowProcW;
    type.hInstance = GetModuleHandleW(nullptr);
    type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    type.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    type.lpszClassName = L"Q730X.ScrollTestHost";
    return RegisterClassW(&type) != 0;
  }();
  if (!registered) return false;
  RECT frame{0, 0, w, h};
  AdjustWindowRectEx(&frame, WS_POPUP, FALSE, WS_EX_TOPMOST);
  HWND window = CreateWindowExW(WS_EX_TOPMOST, L"Q730X.ScrollTestHost", L"scroll test",
                                WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, x, y,
                                frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!window || !Attach(window)) return false;
  SetForegroundWindow(window);
  Pump(100);
  return true;
}

int ScrollHost::Count(int code) const {
  return int(std::count_if(scrolls.begin(), scrolls.end(),
                           [code](const ScrollMessage& m) { return m.code == code; }));
}

LRESULT ScrollHost::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) commands.push_back(wParam);
  if (message != WM_VSCROLL && message != WM_HSCROLL)
    return Window::HandleMessage(message, wParam, lParam);
  const int code = LOWORD(wParam), at = HIWORD(wParam);
  scrolls.push_back({message, code, at, reinterpret_cast<HWND>(lParam), GetTickCount()});
  if (followBar && reinterpret_cast<HWND>(lParam) == followBar) {
    const int last = maximum - page + 1;
    switch (code) {
      case SB_LINEUP: position -= 1; break;
      case SB_LINEDOWN: position += 1; break;
      case SB_PAGEUP: position -= page; break;
      case SB_PAGEDOWN: position += page; break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION: position = at; break;
    }
    position = std::clamp(position, minimum, last);
    SCROLLINFO info{sizeof info, SIF_POS, 0, 0, 0, position, 0};
    SetScrollInfo(followBar, SB_CTL, &info, TRUE);
  }
  return 0;
}

}  // namespace q730x::test
