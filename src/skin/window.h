// The window layer every window of the utility stands on. A Window object
// owns one HWND: it attaches with SetWindowSubclass (so other procedures can
// stack on the same window and come off in any order), routes every message
// to the virtual HandleMessage, and reflects the notifications a control
// sends to its parent (owner drawing, measuring, commands, colour requests,
// scrolling) back to that control, so that every control is self-contained.
//
// Teardown: a window must be destroyed while its whole object is still
// alive, so that WM_DESTROY reaches the most-derived handlers and the child
// controls the object holds as members. Modal dialogs do this at the end of
// their loop; owners of modeless windows hold them in a WindowPtr, which
// destroys the window before it deletes the object. ~Window only catches
// what slipped through (and reports it to the debugger output).
#pragma once

#include <windows.h>

#include <memory>

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

  // Sends a notification that `parent` received back to the control that
  // sent it (a window anywhere below `parent`: a control notifies the parent
  // it was created in, even after it was moved into a frame), if that
  // control is one of ours and handles it. Also for window procedures
  // outside this layer (frames and clipping windows that sit between a
  // control and its dialog). True when the control answered.
  static bool ReflectToChild(HWND parent, UINT message, WPARAM wParam, LPARAM lParam,
                             LRESULT& result);
  // A measure request found for this control by ReflectToChild.
  bool MeasureReflected(MEASUREITEMSTRUCT& item) { return OnMeasureItem(item); }

 protected:
  // Subclasses an existing window; false if another object already owns it.
  bool Attach(HWND window);
  // Messages not handled by a derived class end here: the next procedure
  // of the window (its own class procedure, or one stacked before ours).
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);

  // Owner-draw requests of this control, reflected from its parent.
  virtual bool OnDrawItem(DRAWITEMSTRUCT&) { return false; }
  virtual bool OnMeasureItem(MEASUREITEMSTRUCT&) { return false; }
  // Other notifications of this control, reflected from its parent:
  // WM_COMMAND (control notifications), WM_CTLCOLOR*, WM_VSCROLL and
  // WM_HSCROLL. True when handled; `result` is then the parent's answer.
  virtual bool OnReflected(UINT, WPARAM, LPARAM, LRESULT&) { return false; }
  // The window is gone (after WM_NCDESTROY); the object is detached.
  virtual void OnDetached() {}

 private:
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR self);
  void Detach();

  HWND hwnd_ = nullptr;
};

// Owns a modeless window object: destroys its window first, while the
// whole object is alive, then deletes it.
struct WindowDeleter {
  void operator()(Window* window) const;
};
template <typename T>
using WindowPtr = std::unique_ptr<T, WindowDeleter>;
template <typename T, typename... Args>
WindowPtr<T> MakeWindow(Args&&... args) {
  return WindowPtr<T>(new T(std::forward<Args>(args)...));
}

}  // namespace q730x
