#include "skin/window.h"

#include <commctrl.h>

namespace q730x {

namespace {
// The property under which a window keeps its object. The user-data slot is
// left to the controls themselves.
constexpr wchar_t kObjectProperty[] = L"Q730X.Window";
// Our one subclass on a window; other procedures stack with their own ids.
constexpr UINT_PTR kSubclassId = 0x51730;

bool IsColourRequest(UINT message) {
  return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}

// The window below `parent` with this control id whose object measures the
// entry. A measure request names only the id; a frame wrapped around a
// control carries the control's id, and the control itself then sits
// further down (a control notifies the parent it was created in).
bool MeasureByDescendant(HWND parent, int id, MEASUREITEMSTRUCT& item) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (GetDlgCtrlID(child) == id)
      if (Window* w = Window::FromHandle(child); w && w->MeasureReflected(item)) return true;
    if (MeasureByDescendant(child, id, item)) return true;
  }
  return false;
}

}  // namespace

Window::~Window() {
  if (hwnd_) OutputDebugStringW(L"Q730X: a window outlived its object's most-derived part\n");
  Destroy();
}

void WindowDeleter::operator()(Window* window) const {
  if (!window) return;
  window->Destroy();
  delete window;
}

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
  if (!SetWindowSubclass(window, &SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
    RemovePropW(window, kObjectProperty);
    return false;
  }
  hwnd_ = window;
  return true;
}

void Window::Detach() {
  if (!hwnd_) return;
  RemoveWindowSubclass(hwnd_, &SubclassProc, kSubclassId);
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
  return DefSubclassProc(hwnd_, message, wParam, lParam);
}

bool Window::ReflectToChild(HWND parent, UINT message, WPARAM wParam, LPARAM lParam,
                            LRESULT& result) {
  if (message == WM_DRAWITEM) {
    auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    Window* child = item->CtlType == ODT_MENU ? nullptr : FromHandle(item->hwndItem);
    if (child && child->OnDrawItem(*item)) return (result = TRUE), true;
    return false;
  }
  if (message == WM_MEASUREITEM) {
    auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    if (item->CtlType == ODT_MENU || !MeasureByDescendant(parent, int(wParam), *item)) return false;
    result = TRUE;
    return true;
  }
  const bool fromControl = (message == WM_COMMAND || message == WM_VSCROLL ||
                            message == WM_HSCROLL || IsColourRequest(message)) &&
                           lParam != 0;
  if (!fromControl) return false;
  HWND control = reinterpret_cast<HWND>(lParam);
  if (control == parent || !IsChild(parent, control)) return false;
  Window* child = FromHandle(control);
  return child && child->OnReflected(message, wParam, lParam, result);
}

LRESULT CALLBACK Window::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<Window*>(data);
  if (message == WM_NCDESTROY) {
    // The rest of the chain sees the message first; then the object lets go.
    LRESULT result = DefSubclassProc(window, message, wParam, lParam);
    self->Detach();
    self->OnDetached();
    return result;
  }
  LRESULT result = 0;
  if (ReflectToChild(window, message, wParam, lParam, result)) return result;
  return self->HandleMessage(message, wParam, lParam);
}

}  // namespace q730x
