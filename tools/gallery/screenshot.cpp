#include "screenshot.h"

#include <objidl.h>
#include <gdiplus.h>

#include <vector>

#include "skin/gdi_handles.h"

namespace q730x {

namespace {

bool PngEncoder(CLSID& clsid) {
  UINT count = 0, bytes = 0;
  if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0) return false;
  std::vector<BYTE> buffer(bytes);
  auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  if (Gdiplus::GetImageEncoders(count, bytes, codecs) != Gdiplus::Ok) return false;
  for (UINT i = 0; i < count; ++i)
    if (std::wstring(codecs[i].MimeType) == L"image/png") return (clsid = codecs[i].Clsid), true;
  return false;
}

}  // namespace

bool SaveScreenArea(RECT area, const std::wstring& path) {
  int w = area.right - area.left, h = area.bottom - area.top;
  if (w <= 0 || h <= 0) return false;
  WindowDc screen(nullptr);
  UniqueBitmap shot;
  {
    MemoryDc memory(screen.get());
    if (!memory.CreateSurface(screen.get(), w, h)) return false;
    BitBlt(memory.get(), 0, 0, w, h, screen.get(), area.left, area.top, SRCCOPY);
    shot = memory.TakeSurface();  // deselected before GDI+ reads it
  }
  CLSID png;
  if (!PngEncoder(png)) return false;
  Gdiplus::Bitmap picture(shot.get(), nullptr);
  return picture.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok;
}

bool SaveWindowScreenshot(HWND window, const std::wstring& path) {
  RECT area;
  return GetWindowRect(window, &area) && SaveScreenArea(area, path);
}

}  // namespace q730x
