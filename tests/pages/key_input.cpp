#include "key_input.h"

#include <vector>

#include "gui_support.h"

namespace q730x::test {

namespace {
void SendKey(WORD virtualKey, bool release, bool extended) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = virtualKey;
  input.ki.wScan = WORD(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = (release ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
  SendInput(1, &input, sizeof input);
}
}  // namespace

void HoldKey(WORD virtualKey, bool extended) { SendKey(virtualKey, false, extended); }
void LetGoKey(WORD virtualKey, bool extended) { SendKey(virtualKey, true, extended); }

void TapKey(WORD virtualKey, bool extended) {
  HoldKey(virtualKey, extended);
  WaitUntilInputHandled();
  LetGoKey(virtualKey, extended);
  WaitUntilInputHandled();
}

void InjectText(const std::wstring& text) {
  std::vector<INPUT> inputs;
  for (wchar_t c : text)
    for (DWORD up : {DWORD(0), DWORD(KEYEVENTF_KEYUP)}) {
      INPUT input{};
      input.type = INPUT_KEYBOARD;
      input.ki.wScan = c;
      input.ki.dwFlags = KEYEVENTF_UNICODE | up;
      inputs.push_back(input);
    }
  SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT));
}

void InjectKeyTap(WORD virtualKey) {
  HoldKey(virtualKey);
  LetGoKey(virtualKey);
}

void ClickAt(HWND window, POINT client) {
  MovePointerTo(window, client);
  LeftButton(true);
  LeftButton(false);
}

}  // namespace q730x::test
