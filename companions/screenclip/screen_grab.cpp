#include "screen_grab.h"

namespace q730x::screenclip {

UniqueBitmap GrabScreen(const RECT& area) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return UniqueBitmap();
  WindowDc screen(nullptr);
  if (!screen.get()) return UniqueBitmap();
  MemoryDc copy(screen.get());
  if (!copy.CreateSurface(screen.get(), width, height)) return UniqueBitmap();
  if (!BitBlt(copy.get(), 0, 0, width, height, screen.get(), area.left, area.top, SRCCOPY | CAPTUREBLT))
    return UniqueBitmap();
  return copy.TakeSurface();  // deselected as it leaves the context
}

}  // namespace q730x::screenclip
