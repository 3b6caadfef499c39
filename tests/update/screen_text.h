// What a skinned window of another process shows, read from the screen: a
// text drawn by the skin's text routine over the window's own picture is
// compared, pixel for pixel, with the same text drawn here over the same
// picture. Only the given area is compared.
#pragma once

#include <windows.h>

#include <string>

namespace q730x::test {

struct TextPlace {
  float x, y, width, height;  // the layout rectangle of the text routine
  RECT compared;              // the window area compared (free of buttons)
};

// Whether `window` shows `text` at `place` over `background` within `ms`.
bool ShowsText(HWND window, HBITMAP background, const std::wstring& text, const TextPlace& place,
               DWORD ms = 3000);

}  // namespace q730x::test
