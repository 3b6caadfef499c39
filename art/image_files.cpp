#include "image_files.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <map>

namespace q730x::art {

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& b, uint32_t v) {
  b.push_back(v & 0xFF);
  b.push_back((v >> 8) & 0xFF);
}
void Put32(Bytes& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

struct Pixel {
  uint8_t r, g, b, a;
};

// Reads one pixel of an ARGB32 surface, undoing Cairo's premultiplication.
Pixel At(cairo_surface_t* s, int x, int y) {
  const uint8_t* row = cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
  uint32_t v;
  std::copy_n(row + x * 4, 4, reinterpret_cast<uint8_t*>(&v));
  Pixel p{uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v), uint8_t(v >> 24)};
  if (p.a != 0 && p.a != 255) {
    p.r = uint8_t(std::min(255, p.r * 255 / p.a));
    p.g = uint8_t(std::min(255, p.g * 255 / p.a));
    p.b = uint8_t(std::min(255, p.b * 255 / p.a));
  }
  return p;
}

// BITMAPINFOHEADER for a bottom-up picture.
void PutInfoHeader(Bytes& b, int width, int height, int bits, uint32_t imageSize,
                   uint32_t colours) {
  Put32(b, 40);
  Put32(b, uint32_t(width));
  Put32(b, uint32_t(height));
  Put16(b, 1);
  Put16(b, uint32_t(bits));
  Put32(b, 0);  // BI_RGB
  Put32(b, imageSize);
  Put32(b, 2835);  // 72 dpi
  Put32(b, 2835);
  Put32(b, colours);
  Put32(b, 0);
}

bool Save(const Bytes& data, const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
  return bool(out);
}

Bytes FileHeader(uint32_t fileSize, uint32_t pixelOffset) {
  Bytes b{'B', 'M'};
  Put32(b, fileSize);
  Put32(b, 0);
  Put32(b, pixelOffset);
  return b;
}

}  // namespace

bool WriteBmp24(cairo_surface_t* image, const std::string& path) {
  cairo_surface_flush(image);
  int w = cairo_image_surface_get_width(image), h = cairo_image_surface_get_height(image);
  uint32_t stride = (uint32_t(w) * 3 + 3) & ~3u;
  uint32_t imageSize = stride * uint32_t(h);
  Bytes b = FileHeader(54 + imageSize, 54);
  PutInfoHeader(b, w, h, 24, imageSize, 0);
  for (int y = h - 1; y >= 0; --y) {
    size_t start = b.size();
    for (int x = 0; x < w; ++x) {
      Pixel p = At(image, x, y);
      b.insert(b.end(), {p.b, p.g, p.r});
    }
    b.resize(start + stride, 0);
  }
  return Save(b, path);
}

bool WriteBmp8(cairo_surface_t* image, const std::string& path) {
  cairo_surface_flush(image);
  int w = cairo_image_surface_get_width(image), h = cairo_image_surface_get_height(image);
  // Popularity palette: the 256 most frequent colours.
  std::map<uint32_t, int> counts;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      Pixel p = At(image, x, y);
      ++counts[uint32_t(p.r) << 16 | uint32_t(p.g) << 8 | p.b];
    }
  std::vector<std::pair<int, uint32_t>> byCount;
  for (auto [colour, n] : counts) byCount.push_back({n, colour});
  std::sort(byCount.rbegin(), byCount.rend());
  if (byCount.size() > 256) byCount.resize(256);
  std::vector<uint32_t> palette;
  for (auto& e : byCount) palette.push_back(e.second);
  palette.resize(256, 0);

  auto nearest = [&](Pixel p) {
    int best = 0, bestDistance = 1 << 30;
    for (int i = 0; i < int(byCount.size()); ++i) {
      int dr = int(palette[i] >> 16) - p.r, dg = int((palette[i] >> 8) & 0xFF) - p.g,
          db = int(palette[i] & 0xFF) - p.b;
      int d = dr * dr + dg * dg + db * db;
      if (d < bestDistance) bestDistance = d, best = i;
    }
    return uint8_t(best);
  };

  uint32_t stride = (uint32_t(w) + 3) & ~3u;
  uint32_t imageSize = stride * uint32_t(h);
  uint32_t offset = 54 + 256 * 4;
  Bytes b = FileHeader(offset + imageSize, offset);
  PutInfoHeader(b, w, h, 8, imageSize, 256);
  for (uint32_t c : palette) b.insert(b.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), 0});
  for (int y = h - 1; y >= 0; --y) {
    size_t start = b.size();
    for (int x = 0; x < w; ++x) b.push_back(nearest(At(image, x, y)));
    b.resize(start + stride, 0);
  }
  return Save(b, path);
}

bool WritePng(cairo_surface_t* image, const std::string& path) {
  return cairo_surface_write_to_png(image, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

bool WriteIco(const std::vector<cairo_surface_t*>& images, const std::string& path) {
  std::vector<Bytes> entries;
  for (cairo_surface_t* s : images) {
    cairo_surface_flush(s);
    int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    uint32_t maskStride = ((uint32_t(w) + 31) / 32) * 4;
    Bytes e;
    // Icon entries store twice the height: the colour rows, then the mask rows.
    PutInfoHeader(e, w, h * 2, 32, uint32_t(w * h * 4) + maskStride * uint32_t(h), 0);
    for (int y = h - 1; y >= 0; --y)
      for (int x = 0; x < w; ++x) {
        Pixel p = At(s, x, y);
        e.insert(e.end(), {p.b, p.g, p.r, p.a});
      }
    for (int y = h - 1; y >= 0; --y) {
      Bytes row(maskStride, 0);
      for (int x = 0; x < w; ++x)
        if (At(s, x, y).a < 128) row[x / 8] |= uint8_t(0x80 >> (x % 8));
      e.insert(e.end(), row.begin(), row.end());
    }
    entries.push_back(std::move(e));
  }
  Bytes b;
  Put16(b, 0);
  Put16(b, 1);  // icon
  Put16(b, uint32_t(entries.size()));
  uint32_t offset = 6 + 16 * uint32_t(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    int w = cairo_image_surface_get_width(images[i]);
    int h = cairo_image_surface_get_height(images[i]);
    b.push_back(uint8_t(w >= 256 ? 0 : w));
    b.push_back(uint8_t(h >= 256 ? 0 : h));
    b.push_back(0);
    b.push_back(0);
    Put16(b, 1);
    Put16(b, 32);
    Put32(b, uint32_t(entries[i].size()));
    Put32(b, offset);
    offset += uint32_t(entries[i].size());
  }
  for (auto& e : entries) b.insert(b.end(), e.begin(), e.end());
  return Save(b, path);
}

}  // namespace q730x::art
