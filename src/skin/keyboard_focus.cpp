#include "skin/keyboard_focus.h"

namespace q730x {

namespace {

// Whether the last input that decides the marks came from the keyboard.
bool keyboardUsedLast = false;

bool IsNavigationKey(WPARAM key) {
  switch (key) {
    case VK_TAB: case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
    case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT:
      return true;
    default:
      return false;
  }
}

void ChangeMarks(HWND window, WORD action, WORD flags) {
  HWND root = window ? GetAncestor(window, GA_ROOT) : nullptr;
  if (!root) return;
  const LRESULT state = SendMessageW(root, WM_QUERYUISTATE, 0, 0);
  const bool hidden = (state & flags) == flags, shown = (state & flags) == 0;
  if ((action == UIS_CLEAR && shown) || (action == UIS_SET && hidden)) return;
  SendMessageW(root, WM_CHANGEUISTATE, MAKEWPARAM(action, flags), 0);
}

}  // namespace

void SetTabStop(HWND control, bool on) {
  if (!control) return;
  const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
  const LONG_PTR wanted = on ? style | WS_TABSTOP | WS_GROUP : style & ~LONG_PTR(WS_TABSTOP);
  if (wanted != style) SetWindowLongPtrW(control, GWL_STYLE, wanted);
}

bool FocusMarkShown(HWND control) {
  return control && GetFocus() == control &&
         !(SendMessageW(control, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
}

bool AcceleratorsShown(HWND control) {
  return control && !(SendMessageW(control, WM_QUERYUISTATE, 0, 0) & UISF_HIDEACCEL);
}

void DrawFocusMark(HDC dc, const RECT& rect) {
  HBRUSH accent = CreateSolidBrush(kFocusMarkColour);
  if (!accent) return;
  FrameRect(dc, &rect, accent);
  DeleteObject(accent);
}

void NoteInput(const MSG& message) {
  switch (message.message) {
    case WM_KEYDOWN:
      if (IsNavigationKey(message.wParam)) {
        keyboardUsedLast = true;
        ChangeMarks(message.hwnd, UIS_CLEAR, UISF_HIDEFOCUS);
      }
      break;
    case WM_SYSKEYDOWN:
      keyboardUsedLast = true;
      ChangeMarks(message.hwnd, UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL);
      break;
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
    case WM_NCLBUTTONDOWN: case WM_NCRBUTTONDOWN:
      keyboardUsedLast = false;
      ChangeMarks(message.hwnd, UIS_SET, UISF_HIDEFOCUS | UISF_HIDEACCEL);
      break;
  }
}

void InitialiseFocusMarks(HWND topLevel) {
  if (!topLevel) return;
  SendMessageW(topLevel, WM_CHANGEUISTATE,
               MAKEWPARAM(keyboardUsedLast ? UIS_CLEAR : UIS_SET, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
}

bool ButtonKeyMessage(HWND button, UINT message, WPARAM wParam, LPARAM lParam, LRESULT defaultResult,
                      bool takesEnter, const ControlKeyHandler& handler, LRESULT& result) {
  if (message == WM_GETDLGCODE) {
    result = defaultResult;
    if (handler) result |= DLGC_WANTARROWS;
    const MSG* pending = reinterpret_cast<const MSG*>(lParam);
    if (pending && pending->message == WM_KEYDOWN &&
        ((takesEnter && pending->wParam == VK_RETURN) ||
         (handler && (pending->wParam == VK_HOME || pending->wParam == VK_END))))
      result |= DLGC_WANTMESSAGE;
    return true;
  }
  if (message != WM_KEYDOWN) return false;
  if (handler && handler(wParam)) return (result = 0), true;
  if (takesEnter && wParam == VK_RETURN) {
    ClickFromKeyboard(button);
    return (result = 0), true;
  }
  return false;
}

void ClickFromKeyboard(HWND button) {
  if (!button || !IsWindowEnabled(button)) return;
  if (HWND parent = GetParent(button))
    SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

}  // namespace q730x

namespace q730x {

void ArrangeTabOrder(std::initializer_list<HWND> controls) {
  HWND after = nullptr;
  for (HWND control : controls) {
    if (!control) continue;
    if (after)
      SetWindowPos(control, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
    after = control;
  }
}

void MoveRovingFocus(HWND control, std::initializer_list<HWND> group) {
  if (!control) return;
  for (HWND other : group)
    if (other != control) SetTabStop(other, false);
  SetTabStop(control, true);
  SetFocus(control);
}

}  // namespace q730x
