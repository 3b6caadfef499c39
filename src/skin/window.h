// The window layer every window of the utility stands on. A Window object
// owns one HWND: it attaches by subclassing (dialogs, buttons and other
// controls created by the platform), routes every message to the virtual
// HandleMessage, reflects owner-draw requests back to the control that asked,
// and destroys its window when the object is destroyed.
#pragma once

#include <windows.h>

namespace q730x {

class Window {
 public:
  Window() = default;
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND hwnd() const { return hwnd_; }
  // The object attached to a window, or null.
  static Window* FromHandle(HWND window);

  // Called for every message the utility's message loops take, before it is
  // dispatched, for the target window and each of its parents; true means
  // the message was dealt with and is not dispatched.
  virtual bool PreTranslateMessage(MSG& message);
  static bool PreTranslateChain(MSG& message);

  void Destroy();
  void Invalidate(bool erase = false) const;

 protected:
  // Subclasses an existing window; false if another object already owns it.
  bool Attach(HWND window);
  // Messages not handled by a derived class end here: the window's own procedure.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);
  // Owner-draw requests of this control, reflected from its parent.
  virtual bool OnDrawItem(DRAWITEMSTRUCT&) { return false; }
  virtual bool OnMeasureItem(MEASUREITEMSTRUCT&) { return false; }
  // The window is gone (after WM_NCDESTROY); the object is detached.
  virtual void OnDetached() {}

 private:
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  bool ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  void Detach();

  HWND hwnd_ = nullptr;
  WNDPROC previous_ = nullptr;
};

}  // namespace q730x
