#include "skin/spoken_label.h"

#include <commctrl.h>

namespace q730x {

namespace {

constexpr UINT_PTR kSilentSubclassId = 0x51732;

LRESULT CALLBACK SilentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  switch (message) {
    case WM_PAINT: {
      // The parent's picture already shows the text or the bar.
      PAINTSTRUCT ps;
      BeginPaint(window, &ps);
      EndPaint(window, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_NCHITTEST:
      return HTTRANSPARENT;
    case WM_NCDESTROY:
      RemoveWindowSubclass(window, &SilentProc, kSilentSubclassId);
      break;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

HWND CreateSilent(const wchar_t* windowClass, HWND parent, RECT rect, const std::wstring& text, DWORD style) {
  if (!parent) return nullptr;
  HWND window = CreateWindowExW(WS_EX_TRANSPARENT, windowClass, text.c_str(), WS_CHILD | WS_VISIBLE | style,
                                rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
  if (window && !SetWindowSubclass(window, &SilentProc, kSilentSubclassId, 0)) {
    DestroyWindow(window);
    return nullptr;
  }
  return window;
}

}  // namespace

HWND CreateSpokenLabel(HWND parent, RECT rect, const std::wstring& text, HWND before) {
  HWND label = CreateSilent(L"STATIC", parent, rect, text, SS_LEFT | SS_NOPREFIX);
  if (label && before) {
    // Just before `before`: behind the control that precedes it.
    HWND previous = GetWindow(before, GW_HWNDPREV);
    SetWindowPos(label, previous ? previous : HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
  }
  return label;
}

HWND CreateSpokenProgress(HWND parent, RECT rect) {
  HWND bar = CreateSilent(PROGRESS_CLASSW, parent, rect, L"", 0);
  if (bar) SendMessageW(bar, PBM_SETRANGE32, 0, 100);
  return bar;
}

void AnnounceAlert(HWND window) {
  if (window) NotifyWinEvent(EVENT_SYSTEM_ALERT, window, OBJID_CLIENT, CHILDID_SELF);
}

}  // namespace q730x
