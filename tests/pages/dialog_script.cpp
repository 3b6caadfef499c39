#include "dialog_script.h"

#include "gui_support.h"

namespace q730x::test {

namespace {
const wchar_t* awaitedTitle = nullptr;
std::function<void(HWND)> pendingSteps;

void CALLBACK RunIfShown(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND window = FindWindowW(nullptr, awaitedTitle);
  if (!window || !IsWindowVisible(window)) return;  // not up yet: the timer fires again
  KillTimer(nullptr, timer);
  SetForegroundWindow(window);
  Pump(200);
  auto steps = std::move(pendingSteps);
  steps(window);
}
}  // namespace

void RunWhenShown(const wchar_t* title, std::function<void(HWND)> steps) {
  awaitedTitle = title;
  pendingSteps = std::move(steps);
  SetTimer(nullptr, 0, 100, &RunIfShown);
}

}  // namespace q730x::test
