#include "capture_area.h"

#include <dwmapi.h>

#include <algorithm>

namespace q730x::screenclip {
namespace {

RECT VirtualScreen() {
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  return RECT{left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
              top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

// The window as it is seen: with a desktop compositor GetWindowRect also
// counts the invisible resizing borders, the frame bounds do not.
std::optional<RECT> ForegroundWindowRect() {
  HWND window = GetForegroundWindow();
  if (!window) return std::nullopt;
  RECT rect{};
  if (SUCCEEDED(DwmGetWindowAttribute(window, DWMWA_EXTENDED_FRAME_BOUNDS, &rect, sizeof(rect))) &&
      !IsRectEmpty(&rect))
    return rect;
  if (!GetWindowRect(window, &rect)) return std::nullopt;
  return rect;
}

RECT CentreOfPrimaryScreen() {
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  const int width = std::min(kRegionWidth, screenWidth);
  const int height = std::min(kRegionHeight, screenHeight);
  const int left = (screenWidth - width) / 2;
  const int top = (screenHeight - height) / 2;
  return RECT{left, top, left + width, top + height};
}

}  // namespace

std::optional<RECT> CaptureArea(CaptureTarget target) {
  const RECT screen = VirtualScreen();
  RECT wanted{};
  switch (target) {
    case CaptureTarget::Desktop: wanted = screen; break;
    case CaptureTarget::Region: wanted = CentreOfPrimaryScreen(); break;
    case CaptureTarget::Window: {
      const std::optional<RECT> window = ForegroundWindowRect();
      if (!window) return std::nullopt;
      wanted = *window;
      break;
    }
  }
  // Parts off the screen have no pixels to copy.
  RECT area{};
  if (!IntersectRect(&area, &wanted, &screen)) return std::nullopt;
  return area;
}

}  // namespace q730x::screenclip
