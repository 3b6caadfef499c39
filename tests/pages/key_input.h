// Real key presses for the page tests: keys go through SendInput, so the
// system-wide hook sees them exactly as it sees a user's keys, and the
// focused window gets its key messages.
#pragma once

#include <windows.h>

#include <string>

namespace q730x::test {

void HoldKey(WORD virtualKey, bool extended = false);
void LetGoKey(WORD virtualKey, bool extended = false);
// Press and release, each waited for until the windows concerned have handled
// it (the key hook's reports included).
void TapKey(WORD virtualKey, bool extended = false);
// Injects text as Unicode characters, or one key's press and release, and
// returns at once: for windows whose own modal loop (a platform dialog)
// must take the keys.
void InjectText(const std::wstring& text);
void InjectKeyTap(WORD virtualKey);

// Moves the real pointer to a client point of `window` and clicks there.
void ClickAt(HWND window, POINT client);

}  // namespace q730x::test
