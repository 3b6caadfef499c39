// Building a window's shape from its picture: RegionFromPicture (a run scan
// that unites a region every 2,000 rectangles) against the least any run scan
// must do, one ExtCreateRegion over every run of the same pixels, measured in
// the same run. Pictures: the main window (bitmap 135), the keyboard page
// (bitmap 151) and a striped picture of 20,000 runs.
// Run: build/test-session.sh start; build/wine-run.sh build/bench-bin/skin_bench.exe
#include <windows.h>

#include <cstdio>
#include <vector>

#include "bench_clock.h"
#include "skin/skin_files.h"

namespace {

using namespace q730x;

// A top-down 32-bit header of the given size.
BITMAPINFO TopDown32(int w, int h) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  return bi;
}

template <typename Work>
double MedianOf(Work&& work, int rounds = 15) {
  std::vector<double> times;
  for (int i = 0; i < rounds; ++i) times.push_back(bench::Milliseconds(work));
  return bench::Median(times);
}

// Every run of non-key pixels as one rectangle list, made into one region.
HRGN SingleRegion(HBITMAP bitmap) {
  BITMAP info{};
  GetObjectW(bitmap, sizeof info, &info);
  int w = info.bmWidth, h = info.bmHeight;
  BITMAPINFO bi = TopDown32(w, h);
  std::vector<DWORD> pixels(size_t(w) * h);
  HDC screen = GetDC(nullptr);
  GetDIBits(screen, bitmap, 0, h, pixels.data(), &bi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  const DWORD key = 0x00E4007F;  // red 228, green 0, blue 127 as a DIB pixel
  std::vector<RECT> runs;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w;) {
      while (x < w && (pixels[size_t(y) * w + x] & 0xFFFFFF) == key) ++x;
      int start = x;
      while (x < w && (pixels[size_t(y) * w + x] & 0xFFFFFF) != key) ++x;
      if (x > start) runs.push_back({start, y, x, y + 1});
    }
  std::vector<BYTE> data(sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT));
  auto* header = reinterpret_cast<RGNDATAHEADER*>(data.data());
  *header = {sizeof(RGNDATAHEADER), RDH_RECTANGLES, DWORD(runs.size()),
             DWORD(runs.size() * sizeof(RECT)), {0, 0, w, h}};
  std::copy(runs.begin(), runs.end(), reinterpret_cast<RECT*>(data.data() + sizeof *header));
  return ExtCreateRegion(nullptr, DWORD(data.size()), reinterpret_cast<RGNDATA*>(data.data()));
}

// 400 x 500 pixels; every row alternates five-pixel stripes: 40 runs a row.
HBITMAP StripedPicture() {
  const int w = 400, h = 500;
  BITMAPINFO bi = TopDown32(w, h);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  auto* p = static_cast<DWORD*>(bits);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) p[y * w + x] = (x / 5 + y) % 2 ? 0x00E4007F : 0x00203040;
  return bitmap;
}

// `picture` as the utility holds it, `bitmap` the same pixels as a GDI bitmap.
void Compare(const char* name, const SharedPicture& picture, HBITMAP bitmap) {
  double ours = MedianOf([&] { UniqueRegion r = RegionFromPicture(picture); });
  double floor = MedianOf([&] { DeleteObject(SingleRegion(bitmap)); });
  std::printf("%-28s RegionFromPicture %8.3f ms   single region %8.3f ms   ratio %.2f\n", name,
              ours, floor, ours / floor);
}

}  // namespace

int main() {
  HINSTANCE module = GetModuleHandleW(nullptr);
  UniqueBitmap main(LoadBitmapW(module, MAKEINTRESOURCEW(135)));
  UniqueBitmap page(LoadBitmapW(module, MAKEINTRESOURCEW(151)));
  UniqueBitmap striped(StripedPicture());
  if (!main || !page || !striped) {
    std::fprintf(stderr, "skin_bench: a picture is missing\n");
    return 1;
  }
  Compare("main window (822 x 544)", Picture::FromResource(module, 135), main.get());
  Compare("keyboard page (822 x 448)", Picture::FromResource(module, 151), page.get());
  Compare("20,000 runs (400 x 500)", Picture::FromBitmap(UniqueBitmap(StripedPicture())), striped.get());
  return 0;
}
