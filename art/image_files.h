// Writers for the picture formats the program loads: Windows BMP (24-bit and
// 8-bit palettised), PNG and ICO. Each returns false when the file cannot be written.
#pragma once

#include <cairo.h>

#include <string>
#include <vector>

namespace q730x::art {

bool WriteBmp24(cairo_surface_t* image, const std::string& path);
// Palettised copy for pictures that must be 8-bit; at most 256 colours are
// kept, every other pixel takes the nearest of them.
bool WriteBmp8(cairo_surface_t* image, const std::string& path);
bool WritePng(cairo_surface_t* image, const std::string& path);
// An icon file with one 32-bit entry (with alpha and mask) per image.
bool WriteIco(const std::vector<cairo_surface_t*>& images, const std::string& path);

}  // namespace q730x::art
