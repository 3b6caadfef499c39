#include "message_window.h"

namespace q730x::test {

MessageWindow::MessageWindow(Handler handler) : handler_(std::move(handler)) {
  static const ATOM atom = [] {
    WNDCLASSW c{};
    c.lpfnWndProc = &MessageWindow::Proc;
    c.hInstance = GetModuleHandleW(nullptr);
    c.lpszClassName = L"Q730XTestMessageWindow";
    return RegisterClassW(&c);
  }();
  hwnd_ = CreateWindowExW(0, MAKEINTATOM(atom), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                          GetModuleHandleW(nullptr), this);
}

MessageWindow::~MessageWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
}

bool MessageWindow::PumpUntil(const std::function<bool()>& done, DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  while (!(done && done()) && GetTickCount64() < end) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  }
  return done && done();
}

LRESULT CALLBACK MessageWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<MessageWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  LRESULT result = 0;
  if (self && self->handler_ && self->handler_(message, wParam, lParam, result)) return result;
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace q730x::test
