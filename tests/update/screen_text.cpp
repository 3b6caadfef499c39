#include "screen_text.h"

#include <vector>

#include "skin/gdi_handles.h"
#include "skin/skin_files.h"

namespace q730x::test {

namespace {

constexpr DWORD kTextColour = 0xFF535C6B;

// The 32-bit pixels of a bitmap.
std::vector<DWORD> Pixels(HDC dc, HBITMAP bitmap, SIZE size) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = size.cx;
  info.bmiHeader.biHeight = -size.cy;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<DWORD> pixels(std::size_t(size.cx) * std::size_t(size.cy));
  GetDIBits(dc, bitmap, 0, UINT(size.cy), pixels.data(), &info, DIB_RGB_COLORS);
  for (DWORD& p : pixels) p &= 0xFFFFFF;
  return pixels;
}

std::vector<DWORD> Expected(HBITMAP background, const std::wstring& text, const TextPlace& place,
                            SIZE size) {
  WindowDc screen(nullptr);
  UniqueBitmap picture;
  {
    MemoryDc target(screen.get()), source(screen.get());
    target.CreateSurface(screen.get(), size.cx, size.cy);
    source.Borrow(background);
    BitBlt(target.get(), 0, 0, size.cx, size.cy, source.get(), 0, 0, SRCCOPY);
    DrawSkinText(target.get(), text, 8, 0, kTextColour, place.x, place.y, place.width, place.height);
    picture = target.TakeSurface();
  }
  return Pixels(screen.get(), picture.get(), size);
}

std::vector<DWORD> Shown(HWND window, SIZE size) {
  RECT r;
  GetWindowRect(window, &r);
  WindowDc screen(nullptr);
  UniqueBitmap picture;
  {
    MemoryDc target(screen.get());
    target.CreateSurface(screen.get(), size.cx, size.cy);
    BitBlt(target.get(), 0, 0, size.cx, size.cy, screen.get(), r.left, r.top, SRCCOPY);
    picture = target.TakeSurface();
  }
  return Pixels(screen.get(), picture.get(), size);
}

}  // namespace

bool ShowsText(HWND window, HBITMAP background, const std::wstring& text, const TextPlace& place, DWORD ms) {
  static GdiplusSession gdiplus;
  const SIZE size = BitmapSize(background);
  if (size.cx <= 0) return false;
  const std::vector<DWORD> expected = Expected(background, text, place, size);
  const ULONGLONG end = GetTickCount64() + ms;
  for (;;) {
    const std::vector<DWORD> shown = Shown(window, size);
    bool same = true;
    for (LONG y = place.compared.top; same && y < place.compared.bottom && y < size.cy; ++y)
      for (LONG x = place.compared.left; same && x < place.compared.right && x < size.cx; ++x)
        same = shown[std::size_t(y * size.cx + x)] == expected[std::size_t(y * size.cx + x)];
    if (same) return true;
    if (GetTickCount64() > end) return false;
    Sleep(100);
  }
}

}  // namespace q730x::test
