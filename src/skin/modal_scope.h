// Modal loops run inside message handlers: the utility's own modal dialogs,
// the platform's file dialogs and folder browser. While one runs, the
// handler that started it is still on the stack, so the window that owns
// that handler must not be torn down. A ModalScope marks such a loop; a
// close request that arrives meanwhile is deferred with DeferUntilIdle and
// delivered again once the outermost loop has ended.
#pragma once

#include <windows.h>

namespace q730x {

class ModalScope {
 public:
  ModalScope();
  ~ModalScope();
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;

  // True while any modal loop started inside a handler runs.
  static bool Active();
  static int Depth();
  // Posts `message` to `window` when the last running loop has ended (at
  // once when none runs). One deferred message is kept; a later one replaces it.
  static void DeferUntilIdle(HWND window, UINT message);
};

}  // namespace q730x
