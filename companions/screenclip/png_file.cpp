#include "png_file.h"

#include <objidl.h>  // GDI+ needs IStream declared, and the lean headers leave it out
#include <gdiplus.h>

#include <vector>

namespace q730x::screenclip {
namespace {

bool FindPngEncoder(CLSID& clsid) {
  UINT count = 0, bytes = 0;
  if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0) return false;
  std::vector<unsigned char> buffer(bytes);
  auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  if (Gdiplus::GetImageEncoders(count, bytes, encoders) != Gdiplus::Ok) return false;
  for (UINT i = 0; i < count; ++i) {
    if (encoders[i].MimeType && std::wstring(encoders[i].MimeType) == L"image/png") {
      clsid = encoders[i].Clsid;
      return true;
    }
  }
  return false;
}

}  // namespace

bool SavePng(HBITMAP bitmap, const std::wstring& path) {
  CLSID png{};
  if (!FindPngEncoder(png)) return false;
  Gdiplus::Bitmap image(bitmap, static_cast<HPALETTE>(nullptr));
  if (image.GetLastStatus() != Gdiplus::Ok) return false;
  return image.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok;
}

}  // namespace q730x::screenclip
