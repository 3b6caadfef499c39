// Saving a bitmap as a PNG file with the GDI+ encoder.
#pragma once

#include <windows.h>

#include <string>

namespace q730x::screenclip {

// Writes the bitmap, which must not be selected into a drawing context, to
// path as a PNG; the file must exist or be creatable. GDI+ must be started
// (GdiplusSession of skin/skin_files.h).
bool SavePng(HBITMAP bitmap, const std::wstring& path);

}  // namespace q730x::screenclip
