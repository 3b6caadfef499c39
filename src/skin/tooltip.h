// A tooltip control with one tool covering a window's client area. The
// platform makes the tool's top-level window the control's owner and
// destroys the control with it, and its handle may then be given to a new
// window. The control therefore carries a mark naming this object, and the
// object only ever talks to (or destroys) a window that still carries it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace q730x {

class Tooltip {
 public:
  Tooltip() = default;
  ~Tooltip();
  Tooltip(const Tooltip&) = delete;
  Tooltip& operator=(const Tooltip&) = delete;

  // Creates the (inactive) control for `tool`; true when it exists.
  bool Create(HWND tool);
  bool exists() const { return Live() != nullptr; }
  // Adds the tool on first use, sets its text and activates the tooltip.
  void SetText(const std::wstring& text);
  void Activate(bool on);
  // Destroys the control now (when its tool goes).
  void Destroy();
  void Relay(MSG& message);
  const std::wstring& text() const { return text_; }
  HWND hwnd() const { return Live(); }

 private:
  TTTOOLINFOW ToolInfo();
  // The control, while it is still ours; null once it is gone.
  HWND Live() const;

  HWND tip_ = nullptr;
  HWND tool_ = nullptr;
  bool toolAdded_ = false;
  bool active_ = false;
  std::wstring text_;
};

}  // namespace q730x
