#include "skin/modal_scope.h"

namespace q730x {

namespace {
// All windows of the utility live on the user-interface thread.
int depth = 0;
HWND deferredWindow = nullptr;
UINT deferredMessage = 0;

void PostDeferred() {
  HWND window = deferredWindow;
  deferredWindow = nullptr;
  if (window && IsWindow(window)) PostMessageW(window, deferredMessage, 0, 0);
}
}  // namespace

ModalScope::ModalScope() { ++depth; }

ModalScope::~ModalScope() {
  if (--depth == 0) PostDeferred();
}

bool ModalScope::Active() { return depth > 0; }

int ModalScope::Depth() { return depth; }

void ModalScope::DeferUntilIdle(HWND window, UINT message) {
  deferredWindow = window;
  deferredMessage = message;
  if (depth == 0) PostDeferred();
}

}  // namespace q730x
