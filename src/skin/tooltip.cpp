#include "skin/tooltip.h"

#include <commctrl.h>

namespace q730x {

namespace {
constexpr wchar_t kOwnerMark[] = L"Q730X.Tooltip";
}

Tooltip::~Tooltip() { Destroy(); }

void Tooltip::Destroy() {
  if (HWND tip = Live()) DestroyWindow(tip);
  tip_ = nullptr;
  toolAdded_ = false;
  active_ = false;
}

HWND Tooltip::Live() const {
  if (!tip_ || !IsWindow(tip_)) return nullptr;
  return GetPropW(tip_, kOwnerMark) == this ? tip_ : nullptr;
}

bool Tooltip::Create(HWND tool) {
  if (Live()) return true;
  if (!tool) return false;
  tip_ = nullptr;
  toolAdded_ = false;
  active_ = false;
  tool_ = tool;
  tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, tool, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
  if (!tip_) return false;
  SetPropW(tip_, kOwnerMark, const_cast<Tooltip*>(this));
  Activate(false);
  return true;
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
  // The keyboard page sets every tooltip at each refresh; one that already
  // shows this text needs no messages (each costs a trip to the window
  // system under Wine). A control that went is made again with the tool
  // not yet added, so this never skips a new control.
  if (toolAdded_ && active_ && text == text_) return;
  HWND tip = Live();
  if (!tip) return;
  text_ = text;
  TTTOOLINFOW info = ToolInfo();
  if (!toolAdded_) toolAdded_ = SendMessageW(tip, TTM_ADDTOOLW, 0, LPARAM(&info)) != 0;
  SendMessageW(tip, TTM_UPDATETIPTEXTW, 0, LPARAM(&info));
  Activate(true);
}

void Tooltip::Activate(bool on) {
  if (HWND tip = Live()) {
    SendMessageW(tip, TTM_ACTIVATE, on, 0);
    active_ = on;
  }
}

void Tooltip::Relay(MSG& message) {
  if (Live()) SendMessageW(tip_, TTM_RELAYEVENT, 0, LPARAM(&message));
}

}  // namespace q730x
