#include "skin/dialog.h"

#include <algorithm>
#include <vector>

#include "skin/keyboard_focus.h"
#include "skin/modal_scope.h"

namespace q730x {

namespace {
HINSTANCE ModuleInstance() { return GetModuleHandleW(nullptr); }
// The modal dialogs running inside handlers, innermost last.
std::vector<Dialog*> runningModals;
}  // namespace

void Dialog::CancelRunningModals() {
  for (Dialog* dialog : runningModals) dialog->EndDialog(IDCANCEL);
}

INT_PTR CALLBACK Dialog::DialogProc(HWND window, UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_INITDIALOG) return FALSE;  // everything else is handled by Window
  auto* self = reinterpret_cast<Dialog*>(lParam);
  if (!self->Attach(window)) return FALSE;
  if (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) {
    // A page inside another dialog: Tab walks on into its controls.
    SetWindowLongPtrW(window, GWL_EXSTYLE, GetWindowLongPtrW(window, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
  } else {
    InitialiseFocusMarks(window);
  }
  return self->OnInitDialog() ? TRUE : FALSE;
}

bool Dialog::RegisterDialogClass(const wchar_t* name) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(ModuleInstance(), name, &existing)) return true;
  WNDCLASSEXW dialogClass{};
  dialogClass.cbSize = sizeof dialogClass;
  dialogClass.style = CS_DBLCLKS;
  dialogClass.lpfnWndProc = DefDlgProcW;
  dialogClass.cbWndExtra = DLGWINDOWEXTRA;
  dialogClass.hInstance = ModuleInstance();
  dialogClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  dialogClass.lpszClassName = name;
  return RegisterClassExW(&dialogClass) != 0;
}

bool Dialog::CreateModeless(HWND parent) {
  if (hwnd()) return false;
  ended_ = false;
  HWND window = CreateDialogParamW(ModuleInstance(), MAKEINTRESOURCEW(templateId_), parent,
                                   &DialogProc, reinterpret_cast<LPARAM>(this));
  return window != nullptr && hwnd() == window;
}

bool Dialog::PumpOneMessage() {
  MSG message{};
  const BOOL got = GetMessageW(&message, nullptr, 0, 0);
  if (got == -1) return false;  // the message was never filled in
  if (got == 0) {
    PostQuitMessage(int(message.wParam));  // the loops outside see it too
    return false;
  }
  NoteInput(message);
  if (Window::PreTranslateChain(message)) return true;
  HWND root = GetAncestor(message.hwnd, GA_ROOT);
  if (root && Window::FromHandle(root) && IsDialogMessageW(root, &message)) return true;
  TranslateMessage(&message);
  DispatchMessageW(&message);
  return true;
}

INT_PTR Dialog::RunModal(HWND parent) {
  ModalScope scope;
  runningModals.push_back(this);
  INT_PTR result = RunLoop(parent);
  runningModals.erase(std::remove(runningModals.begin(), runningModals.end(), this),
                      runningModals.end());
  return result;
}

INT_PTR Dialog::RunAsMainWindow() { return RunLoop(nullptr); }

INT_PTR Dialog::RunLoop(HWND parent) {
  // The owner of a popup is the top-level window of the parent.
  HWND owner = parent ? GetAncestor(parent, GA_ROOT) : nullptr;
  modal_ = true;
  if (!CreateModeless(parent)) {
    modal_ = false;
    return -1;
  }
  bool ownerWasEnabled = owner && IsWindowEnabled(owner);
  if (ownerWasEnabled) EnableWindow(owner, FALSE);
  if (!ended_) ShowWindow(hwnd(), SW_SHOW);
  while (!ended_ && hwnd()) {
    if (!PumpOneMessage()) break;
  }
  // Enable the owner before the dialog goes, so that activation returns to it.
  if (ownerWasEnabled) EnableWindow(owner, TRUE);
  Destroy();
  modal_ = false;
  return ended_ ? result_ : IDCANCEL;
}

void Dialog::EndDialog(INT_PTR result) {
  result_ = result;
  ended_ = true;
  if (!modal_ && hwnd()) ShowWindow(hwnd(), SW_HIDE);
  // A message sent from another thread or program (WM_CLOSE from an
  // uninstaller, say) is handled inside the loop's wait for a posted message;
  // wake the loop, or it would notice the end only at the next posted message.
  if (modal_ && hwnd()) PostMessageW(hwnd(), WM_NULL, 0, 0);
}

bool Dialog::PreTranslateMessage(MSG& message) {
  if (keys_ != DialogKeys::Swallowed) return false;
  if (message.message != WM_KEYDOWN && message.message != WM_KEYUP) return false;
  const bool dialogKey = message.wParam == VK_RETURN || message.wParam == VK_ESCAPE || message.wParam == VK_SPACE;
  return dialogKey && SwallowsKeys();
}

bool Dialog::OnCommand(HWND, int, int id) {
  // Enter and Escape arrive as IDOK and IDCANCEL; the utility's own buttons
  // all have id 0.
  if (id != IDOK && id != IDCANCEL) return false;
  if (keys_ != DialogKeys::Ordinary) return true;
  if (id == IDOK) return OnOK(), true;
  return OnCancel(), true;
}

LRESULT Dialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    if (keys_ == DialogKeys::NeverEnd) EndDialog(IDCANCEL);
    else OnCancel();
    return 0;
  }
  if (message == WM_COMMAND &&
      OnCommand(reinterpret_cast<HWND>(lParam), HIWORD(wParam), LOWORD(wParam)))
    return 0;
  return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace q730x
