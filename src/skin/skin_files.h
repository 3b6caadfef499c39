// Skin pictures and the common drawing of skinned windows: loading bitmap
// and PNG skin files, shaping a window by its picture, the skin fonts and
// the GDI+ text routine.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "model/program_folder.h"
#include "skin/gdi_handles.h"
#include "skin/picture.h"

namespace Gdiplus {
class Bitmap;
}

namespace q730x {

// The exact colour cut out of window shapes: RGB(228, 0, 127).
inline constexpr COLORREF kRegionKeyColour = RGB(228, 0, 127);
// What a window shows where its picture could not be loaded.
inline constexpr COLORREF kPlainSkinColour = RGB(13, 15, 18);


// Reads a BMP (or any picture the platform decoder knows) into `bitmap`,
// replacing what it held, and reports its size. False (and `bitmap`
// unchanged) when the file is missing or cannot be decoded; the reason goes
// to the debugger output.
bool LoadSkinBitmap(const std::wstring& path, UniqueBitmap& bitmap, SIZE* size);
SIZE BitmapSize(HBITMAP bitmap);

// A PNG (or other GDI+ image) skin file; null when missing or undecodable.
std::unique_ptr<Gdiplus::Bitmap> LoadSkinImage(const std::wstring& path);

// The width and height a PNG file's header gives, without decoding it (the
// first decode of a process costs tens of milliseconds under Wine); nothing
// when the file is missing or does not begin as a PNG does.
std::optional<SIZE> PngFileSize(const std::wstring& path);

// The region of every pixel that is not the key colour; null when the
// picture is missing or the scan cannot be set up.
UniqueRegion RegionFromPicture(const SharedPicture& picture);

// "MS Shell Dlg", height 14, weight 300 unless told otherwise.
UniqueFont CreateSkinFont(int weight = 300);

// Draws text with GDI+ in the given family (empty or unknown: the generic
// sans-serif family) at `points`, alignment 0 near, 1 centre, 2 far.
void DrawSkinText(HDC dc, std::wstring_view text, float points, int alignment, DWORD argb,
                  float x, float y, float width, float height,
                  const wchar_t* family = L"MS Shell Dlg");

// The debugger output line of the skin code.
void SkinTrace(const std::wstring& text);

// Starts GDI+ for the lifetime of the object.
class GdiplusSession {
 public:
  GdiplusSession();
  ~GdiplusSession();
  GdiplusSession(const GdiplusSession&) = delete;
  GdiplusSession& operator=(const GdiplusSession&) = delete;
  bool ok() const { return token_ != 0; }
  // Shuts GDI+ down before the object's end (a process that ends itself).
  void Shutdown();

 private:
  ULONG_PTR token_ = 0;
};

}  // namespace q730x
