// Pictures drawn straight from packed bitmaps: the same pixels as a loaded
// bitmap, parts that share the rows, and headers that lie about their data.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "gui_support.h"
#include "skin/picture.h"
#include "skin/skin_files.h"

namespace q730x {
namespace {

// A packed 24-bit bottom-up bitmap whose pixel (x, y) is RGB(10x, 20y, 7),
// counted from the top. Held in 32-bit units so that it is aligned as a
// resource is.
struct PackedBitmap {
  PackedBitmap(int width, int height) {
    const std::size_t stride = (std::size_t(width) * 3 + 3) / 4 * 4;
    bytes = sizeof(BITMAPINFOHEADER) + stride * std::size_t(height);
    words.assign((bytes + 3) / 4, 0);
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    std::memcpy(data(), &header, sizeof header);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        BYTE* p = data() + sizeof header + std::size_t(height - 1 - y) * stride + std::size_t(x) * 3;
        p[0] = 7, p[1] = BYTE(20 * y), p[2] = BYTE(10 * x);  // blue, green, red
      }
  }
  BYTE* data() { return reinterpret_cast<BYTE*>(words.data()); }
  BITMAPINFOHEADER& header() { return *reinterpret_cast<BITMAPINFOHEADER*>(words.data()); }

  std::vector<std::uint32_t> words;
  std::size_t bytes = 0;
};

TEST(PictureTest, APackedPictureAndItsPartsDrawTheirOwnPixelsOnly) {
  PackedBitmap packed(5, 4);
  const SharedPicture picture = Picture::FromPackedBitmap(packed.data(), packed.bytes);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->size().cx, 5);
  EXPECT_EQ(picture->size().cy, 4);
  EXPECT_EQ(test::PicturePixel(picture, {0, 0}), RGB(0, 0, 7));
  EXPECT_EQ(test::PicturePixel(picture, {4, 3}), RGB(40, 60, 7));

  const SharedPicture part = Picture::Part(picture, {1, 2, 4, 4});
  ASSERT_TRUE(part);
  EXPECT_EQ(part->size().cx, 3);
  EXPECT_EQ(part->size().cy, 2);
  EXPECT_EQ(test::PicturePixel(part, {0, 0}), RGB(10, 40, 7));
  EXPECT_EQ(test::PicturePixel(part, {2, 1}), RGB(30, 60, 7));
  EXPECT_FALSE(Picture::Part(picture, {5, 0, 9, 4})) << "a part beside the picture";

  // Drawn at an offset and partly beyond its edges: only the picture's own
  // pixels change on the target.
  WindowDc screen(nullptr);
  MemoryDc target(screen.get());
  ASSERT_TRUE(target.CreateSurface(screen.get(), 8, 8));
  RECT all{0, 0, 8, 8};
  UniqueBrush white(CreateSolidBrush(RGB(255, 255, 255)));
  FillRect(target.get(), &all, white.get());
  part->Draw(target.get(), 2, 2, 6, 6, {-1, -1});
  EXPECT_EQ(GetPixel(target.get(), 2, 2), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(target.get(), 3, 3), RGB(10, 40, 7));
  EXPECT_EQ(GetPixel(target.get(), 5, 4), RGB(30, 60, 7));
  EXPECT_EQ(GetPixel(target.get(), 6, 4), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(target.get(), 3, 5), RGB(255, 255, 255));

  const UniqueBitmap copy = part->ToBitmap();
  EXPECT_EQ(test::BitmapPixel(copy.get(), {1, 1}), RGB(20, 60, 7));
}

// No header is believed beyond the bytes that are really there.
TEST(PictureTest, PackedBitmapsThatCannotBeDrawnAsTheyStandAreRefused) {
  const auto refused = [](PackedBitmap& packed, std::size_t bytes) {
    return !Picture::FromPackedBitmap(packed.data(), bytes);
  };
  PackedBitmap good(6, 3);
  EXPECT_FALSE(refused(good, good.bytes));
  EXPECT_TRUE(refused(good, good.bytes - 1)) << "the last row is cut short";
  EXPECT_TRUE(refused(good, sizeof(BITMAPINFOHEADER) - 1));
  EXPECT_TRUE(Picture::FromPackedBitmap(good.data() + 2, good.bytes - 2) == nullptr) << "not aligned";

  struct Lie {
    const char* what;
    void (*apply)(BITMAPINFOHEADER&);
  };
  const Lie lies[] = {
      {"taller than its rows", [](BITMAPINFOHEADER& h) { h.biHeight = 4; }},
      {"a huge width", [](BITMAPINFOHEADER& h) { h.biWidth = 0x7FFFFFFF; }},
      {"top-down", [](BITMAPINFOHEADER& h) { h.biHeight = -3; }},
      {"no width", [](BITMAPINFOHEADER& h) { h.biWidth = 0; }},
      {"compressed", [](BITMAPINFOHEADER& h) { h.biCompression = BI_RLE8; }},
      {"16 bits a pixel", [](BITMAPINFOHEADER& h) { h.biBitCount = 16; }},
      {"a header longer than the data", [](BITMAPINFOHEADER& h) { h.biSize = 0x10000; }},
      {"a header too short", [](BITMAPINFOHEADER& h) { h.biSize = 12; }},
      {"a palette it does not carry", [](BITMAPINFOHEADER& h) { h.biClrUsed = 200; }},
      {"more colours than 8 bits hold", [](BITMAPINFOHEADER& h) { h.biBitCount = 8, h.biClrUsed = 257; }},
      {"8 bits without its table", [](BITMAPINFOHEADER& h) { h.biBitCount = 8; }},
  };
  for (const Lie& lie : lies) {
    PackedBitmap packed(6, 3);
    lie.apply(packed.header());
    EXPECT_TRUE(refused(packed, packed.bytes)) << lie.what;
  }
}

// The program's embedded pictures, drawn from their resources, show what
// the platform's own loading of the same bitmaps shows.
TEST(PictureTest, AnEmbeddedPictureShowsWhatItsLoadedBitmapShows) {
  HMODULE module = GetModuleHandleW(nullptr);
  for (int id : {163, 165}) {
    const SharedPicture picture = Picture::FromResource(module, id);
    const UniqueBitmap loaded(LoadBitmapW(module, MAKEINTRESOURCEW(id)));
    ASSERT_TRUE(picture && loaded) << id;
    const SIZE size = BitmapSize(loaded.get());
    ASSERT_EQ(picture->size().cx, size.cx);
    ASSERT_EQ(picture->size().cy, size.cy);
    int differing = 0;
    for (int y = 0; y < size.cy; y += 7)
      for (int x = 0; x < size.cx; x += 5)
        if (test::PicturePixel(picture, {x, y}) != test::BitmapPixel(loaded.get(), {x, y})) ++differing;
    EXPECT_EQ(differing, 0) << id;
  }
  EXPECT_FALSE(Picture::FromResource(module, 9999));
}

}  // namespace
}  // namespace q730x
