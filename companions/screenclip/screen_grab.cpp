#include "screen_grab.h"

namespace q730x::screenclip {

UniqueBitmap GrabScreen(const RECT& area) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return UniqueBitmap();
  WindowDc screen(nullptr);
  if (!screen.get()) return UniqueBitmap();
  UniqueBitmap picture(CreateCompatibleBitmap(screen.get(), width, height));
  if (!picture) return UniqueBitmap();
  bool copied = false;
  {
    // The context only borrows the picture and puts it back when it ends.
    MemoryDc copy(screen.get());
    if (!copy) return UniqueBitmap();
    copy.Select(picture.get());
    copied = BitBlt(copy.get(), 0, 0, width, height, screen.get(), area.left, area.top,
                    SRCCOPY | CAPTUREBLT) != FALSE;
  }
  if (!copied) return UniqueBitmap();
  return picture;
}

}  // namespace q730x::screenclip
