// A tooltip control with one tool covering a window's client area.
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
  bool exists() const { return tip_ != nullptr; }
  // Adds the tool on first use, sets its text and activates the tooltip.
  void SetText(const std::wstring& text);
  void Activate(bool on);
  void Relay(MSG& message);
  const std::wstring& text() const { return text_; }
  HWND hwnd() const { return tip_; }

 private:
  TTTOOLINFOW ToolInfo();

  HWND tip_ = nullptr;
  HWND tool_ = nullptr;
  bool toolAdded_ = false;
  std::wstring text_;
};

}  // namespace q730x
