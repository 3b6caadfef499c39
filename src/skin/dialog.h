// Dialogs made from the program's dialog templates, modeless or modal. A
// modal dialog runs its own message loop (so PreTranslateMessage reaches every
// window of the utility) with its owner disabled, until EndDialog.
#pragma once

#include "skin/window.h"

namespace q730x {

// What Enter, Escape and Space do in a dialog: each window says so itself.
enum class DialogKeys {
  // The platform's dialog keys: Enter is OnOK, Escape (and a close request) OnCancel.
  Ordinary,
  // Enter and Escape never end the window; a close request ends it as cancelled.
  NeverEnd,
  // Presses and releases of Enter, Escape and Space aimed at the window or
  // anything inside it are taken out before they are dispatched (while
  // SwallowsKeys() says so: a window that captures keys only while it
  // captures), and neither key ever ends it.
  Swallowed,
};

class Dialog : public Window {
 public:
  explicit Dialog(int templateId, DialogKeys keys = DialogKeys::Ordinary)
      : templateId_(templateId), keys_(keys) {}
  DialogKeys keys() const { return keys_; }

  // Creates the window from its template; false when that fails.
  bool CreateModeless(HWND parent);
  // Creates, shows and runs the dialog until it ends; answers the EndDialog
  // value, or -1 when the window could not be made.
  INT_PTR RunModal(HWND parent);
  // The same for the application's main window: its loop is the program's
  // own, not one nested inside a handler, so it opens no ModalScope.
  INT_PTR RunAsMainWindow();
  // A modal dialog leaves its loop and is destroyed; a modeless one is hidden.
  void EndDialog(INT_PTR result);
  bool IsModal() const { return modal_; }
  // Ends every modal dialog that runs inside a handler as cancelled; each
  // loop then returns to the handler that started it.
  static void CancelRunningModals();

  // Registers a dialog window class of this name (the platform's dialog
  // procedure under a name of our own), for templates that name it. True
  // when it is registered, also when it already was.
  static bool RegisterDialogClass(const wchar_t* name);

  // The message loop of modal dialogs, for one more message; false on
  // WM_QUIT or when the queue cannot be read.
  static bool PumpOneMessage();

  bool PreTranslateMessage(MSG& message) override;

 protected:
  // For a Swallowed window: whether Enter, Escape and Space are taken out
  // now. Always, unless the window says otherwise.
  virtual bool SwallowsKeys() const { return true; }
  // After the window exists and before it shows; the answer of WM_INITDIALOG.
  virtual bool OnInitDialog() { return true; }
  // Commands from controls: `control` is the sending window (buttons of the
  // utility all have id 0 and are told apart by it). True when handled.
  virtual bool OnCommand(HWND control, int code, int id);
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  INT_PTR RunLoop(HWND parent);
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  int templateId_;
  DialogKeys keys_;
  bool modal_ = false;
  bool ended_ = false;
  INT_PTR result_ = 0;
};

}  // namespace q730x
