#include "skin/window.h"

namespace q730x {

namespace {
// The property under which a window keeps its object. The user-data slot is
// left to the controls themselves.
constexpr wchar_t kObjectProperty[] = L"Q730X.Window";
}  // namespace

Window::~Window() { Destroy(); }

Window* Window::FromHandle(HWND window) {
  return window ? static_cast<Window*>(GetPropW(window, kObjectProperty)) : nullptr;
}

void Window::Destroy() {
  if (hwnd_) DestroyWindow(hwnd_);  // WM_NCDESTROY detaches
  hwnd_ = nullptr;
}

void Window::Invalidate(bool erase) const {
  if (hwnd_) InvalidateRect(hwnd_, nullptr, erase);
}

bool Window::Attach(HWND window) {
  if (!window || hwnd_ || FromHandle(window)) return false;
  if (!SetPropW(window, kObjectProperty, this)) return false;
  hwnd_ = window;
  previous_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc)));
  return true;
}

void Window::Detach() {
  if (!hwnd_) return;
  SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
  RemovePropW(hwnd_, kObjectProperty);
  hwnd_ = nullptr;
}

bool Window::PreTranslateMessage(MSG&) { return false; }

bool Window::PreTranslateChain(MSG& message) {
  for (HWND h = message.hwnd; h; h = GetParent(h)) {
    if (Window* w = FromHandle(h); w && w->PreTranslateMessage(message)) return true;
    if (!(GetWindowLongPtrW(h, GWL_STYLE) & WS_CHILD)) break;  // stop at the top level
  }
  return false;
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefaultProc(message, wParam, lParam);
}

LRESULT Window::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcW(previous_, hwnd_, message, wParam, lParam);
}

bool Window::ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (message == WM_DRAWITEM) {
    auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    Window* child = item->CtlType == ODT_MENU ? nullptr : FromHandle(item->hwndItem);
    if (child && child->OnDrawItem(*item)) return (result = TRUE), true;
  } else if (message == WM_MEASUREITEM) {
    auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    Window* child =
        item->CtlType == ODT_MENU ? nullptr : FromHandle(GetDlgItem(hwnd_, int(wParam)));
    if (child && child->OnMeasureItem(*item)) return (result = TRUE), true;
  }
  return false;
}

LRESULT CALLBACK Window::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* self = FromHandle(window);
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    WNDPROC previous = self->previous_;
    self->Detach();
    LRESULT result = CallWindowProcW(previous, window, message, wParam, lParam);
    self->OnDetached();
    return result;
  }
  LRESULT result = 0;
  if (self->ReflectToChild(message, wParam, lParam, result)) return result;
  return self->HandleMessage(message, wParam, lParam);
}

}  // namespace q730x
