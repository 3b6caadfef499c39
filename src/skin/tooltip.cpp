#include "skin/tooltip.h"

#include <commctrl.h>

namespace q730x {

Tooltip::~Tooltip() {
  if (tip_ && IsWindow(tip_)) DestroyWindow(tip_);
}

bool Tooltip::Create(HWND tool) {
  if (tip_) return true;
  tool_ = tool;
  tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, tool, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
  if (tip_) Activate(false);
  return tip_ != nullptr;
}

TTTOOLINFOW Tooltip::ToolInfo() {
  TTTOOLINFOW info{};
  // The older record size is understood by every version of the control.
  info.cbSize = TTTOOLINFOW_V2_SIZE;
  info.hwnd = tool_;
  info.uId = 1;
  info.lpszText = const_cast<wchar_t*>(text_.c_str());
  GetClientRect(tool_, &info.rect);
  return info;
}

void Tooltip::SetText(const std::wstring& text) {
  if (!tip_) return;
  text_ = text;
  TTTOOLINFOW info = ToolInfo();
  if (!toolAdded_) toolAdded_ = SendMessageW(tip_, TTM_ADDTOOLW, 0, LPARAM(&info)) != 0;
  SendMessageW(tip_, TTM_UPDATETIPTEXTW, 0, LPARAM(&info));
  Activate(true);
}

void Tooltip::Activate(bool on) {
  if (tip_) SendMessageW(tip_, TTM_ACTIVATE, on, 0);
}

void Tooltip::Relay(MSG& message) {
  if (tip_) SendMessageW(tip_, TTM_RELAYEVENT, 0, LPARAM(&message));
}

}  // namespace q730x
