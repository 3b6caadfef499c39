// Skin files and window shapes: loading pictures, cutting a window's shape
// out of its picture, the skin fonts and the GDI+ text routine.
#include <gtest/gtest.h>

#include <objidl.h>
#include <gdiplus.h>

#include <optional>
#include <string>

#include "gui_support.h"
#include "skin/skin_files.h"
#include "skin/skinned_dialog.h"

namespace q730x {
namespace {

using test::MakeBitmap;

constexpr COLORREF kAlmostKey = RGB(228, 0, 128);

// A plain skinned window that takes its picture from a bitmap file and is
// shaped by it, as the main window is.
class ShapedWindow : public SkinnedDialog {
 public:
  explicit ShapedWindow(std::wstring file) : SkinnedDialog(130, {100, 80}), file_(std::move(file)) {}

 protected:
  bool OnInitDialog() override {
    LoadSkinFiles(file_, L"", L"");
    SIZE size = SkinSize();
    SetWindowPos(hwnd(), HWND_TOPMOST, 200, 200, size.cx, size.cy, SWP_SHOWWINDOW);
    if (UniqueRegion shape = RegionFromPicture(NormalPicture()))
      SetWindowRgn(hwnd(), shape.release(), TRUE);
    return true;
  }

 private:
  std::wstring file_;
};

class SkinFilesTest : public testing::Test {
 protected:
  GdiplusSession gdiplus_;
};

TEST_F(SkinFilesTest, RegionCutsExactlyTheKeyColour) {
  // Corners of 4 x 4 pixels in the key colour; everything else the colour one step off.
  auto colour = [](int x, int y) {
    bool corner = (x < 4 || x >= 36) && (y < 4 || y >= 26);
    return corner ? kRegionKeyColour : kAlmostKey;
  };
  UniqueRegion region = RegionFromPicture(Picture::FromBitmap(MakeBitmap(40, 30, colour)));
  ASSERT_TRUE(region);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x)
      EXPECT_EQ(PtInRegion(region.get(), x, y) != 0, colour(x, y) != kRegionKeyColour)
          << x << "," << y;
  RECT box;
  GetRgnBox(region.get(), &box);
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.right, 40);
  EXPECT_EQ(box.bottom, 30);
}

TEST_F(SkinFilesTest, RegionOfManyRunsIsTheirExactUnion) {
  // Every other pixel is cut: 150 runs a row, 3,000 runs in all, more than
  // one batch of 2,000 rectangles.
  auto colour = [](int x, int y) {
    return ((x + y) % 2 == 0) ? kRegionKeyColour : RGB(10, 20, 30);
  };
  UniqueRegion region = RegionFromPicture(Picture::FromBitmap(MakeBitmap(300, 20, colour)));
  ASSERT_TRUE(region);
  int mismatches = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 300; ++x)
      if ((PtInRegion(region.get(), x, y) != 0) != (colour(x, y) != kRegionKeyColour)) ++mismatches;
  EXPECT_EQ(mismatches, 0);
}

TEST_F(SkinFilesTest, RegionOfNothingIsNull) {
  EXPECT_FALSE(RegionFromPicture(nullptr));
  UniqueRegion empty =
      RegionFromPicture(Picture::FromBitmap(MakeBitmap(8, 8, [](int, int) { return kRegionKeyColour; })));
  ASSERT_TRUE(empty);
  RECT box;
  EXPECT_EQ(GetRgnBox(empty.get(), &box), NULLREGION);
}

TEST_F(SkinFilesTest, ShapedWindowShowsItsPictureAndLosesItsCorners) {
  std::wstring file = ProgramFolder() + L"shaped_test.bmp";
  auto colour = [](int x, int y) {
    bool corner = (x < 6 || x >= 94) && (y < 6 || y >= 74);
    return corner ? kRegionKeyColour : kAlmostKey;
  };
  ASSERT_TRUE(test::WriteBmpFile(file, 100, 80, colour));
  {
    ShapedWindow window(file);
    ASSERT_TRUE(window.CreateModeless(nullptr));
    test::Pump(300);
    // Inside: the picture's own colour, which is not cut.
    EXPECT_EQ(test::WindowPixel(window.hwnd(), {50, 40}), kAlmostKey);
    EXPECT_EQ(test::WindowPixel(window.hwnd(), {6, 0}), kAlmostKey);
    // The corner is outside the window: the point belongs to what lies below.
    POINT corner{201, 201};
    EXPECT_NE(WindowFromPoint(corner), window.hwnd());
    POINT inside{250, 240};
    EXPECT_EQ(WindowFromPoint(inside), window.hwnd());
    HRGN shape = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(window.hwnd(), shape), ERROR);
    EXPECT_FALSE(PtInRegion(shape, 1, 1));
    EXPECT_FALSE(PtInRegion(shape, 98, 78));
    EXPECT_TRUE(PtInRegion(shape, 6, 1));
    DeleteObject(shape);
  }
  DeleteFileW(file.c_str());
}

TEST_F(SkinFilesTest, LoadsSkinBitmapsAndReportsTheirSize) {
  UniqueBitmap bitmap;
  SIZE size{};
  ASSERT_TRUE(LoadSkinBitmap(ProgramFolder() + L"skins\\messagebox\\Message_Normal.bmp",
                             bitmap, &size));
  EXPECT_EQ(size.cx, 330);
  EXPECT_EQ(size.cy, 172);
  EXPECT_EQ(BitmapSize(bitmap.get()).cx, 330);
}

TEST_F(SkinFilesTest, MissingOrDamagedFilesLeaveTheBitmapAlone) {
  UniqueBitmap bitmap = MakeBitmap(3, 2, [](int, int) { return RGB(1, 2, 3); });
  HBITMAP before = bitmap.get();
  SIZE size{7, 7};
  EXPECT_FALSE(LoadSkinBitmap(ProgramFolder() + L"skins\\no_such_file.bmp", bitmap, &size));
  EXPECT_EQ(bitmap.get(), before);
  EXPECT_EQ(size.cx, 7);

  std::wstring damaged = ProgramFolder() + L"damaged_test.bmp";
  HANDLE h = CreateFileW(damaged.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  const char junk[] = "BM this is not a picture at all, only a few words";
  DWORD written;
  WriteFile(h, junk, sizeof junk, &written, nullptr);
  CloseHandle(h);
  EXPECT_FALSE(LoadSkinBitmap(damaged, bitmap, &size));
  EXPECT_EQ(bitmap.get(), before);
  DeleteFileW(damaged.c_str());
}

TEST_F(SkinFilesTest, EmbeddedPicturesHaveTheirSizes) {
  struct Expected {
    int id, width, height;
  } expected[] = {{135, 822, 544}, {151, 822, 448}, {155, 822, 458}, {165, 327, 170},
                  {170, 427, 228}, {171, 330, 160}, {172, 330, 160}, {176, 163, 54}};
  for (const Expected& e : expected) {
    UniqueBitmap bitmap(LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(e.id)));
    ASSERT_TRUE(bitmap) << e.id;
    SIZE size = BitmapSize(bitmap.get());
    EXPECT_EQ(size.cx, e.width) << e.id;
    EXPECT_EQ(size.cy, e.height) << e.id;
  }
  // The main window's corners are cut, its middle is not.
  UniqueBitmap main(LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(135)));
  EXPECT_EQ(test::BitmapPixel(main.get(), {0, 0}), kRegionKeyColour);
  EXPECT_NE(test::BitmapPixel(main.get(), {411, 272}), kRegionKeyColour);
}

TEST_F(SkinFilesTest, PngSkinFilesLoadAndMissingOnesAreNull) {
  auto image = LoadSkinImage(ProgramFolder() + L"skins\\progress_normal.png");
  ASSERT_TRUE(image);
  EXPECT_FALSE(LoadSkinImage(ProgramFolder() + L"skins\\missing.png"));

  // The size read from the header is the decoded picture's.
  const std::optional<SIZE> size = PngFileSize(ProgramFolder() + L"skins\\progress_normal.png");
  ASSERT_TRUE(size);
  EXPECT_EQ(size->cx, LONG(image->GetWidth()));
  EXPECT_EQ(size->cy, LONG(image->GetHeight()));
  EXPECT_FALSE(PngFileSize(ProgramFolder() + L"skins\\missing.png"));
}

TEST_F(SkinFilesTest, PngSizeComesFromAWholeHeaderOnly) {
  const std::wstring file = ProgramFolder() + L"png_header_test.png";
  const auto sizeOf = [&](const std::string& bytes) {
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(h, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return PngFileSize(file);
  };
  const std::string start("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16);
  // 0x00010203 wide, 0x00000164 (356) high: the bytes are big-endian.
  const std::optional<SIZE> size = sizeOf(start + std::string("\0\x01\x02\x03\0\0\x01\x64", 8));
  ASSERT_TRUE(size);
  EXPECT_EQ(size->cx, 0x00010203);
  EXPECT_EQ(size->cy, 356);
  EXPECT_FALSE(sizeOf(start + std::string("\0\0\x01", 3)));                  // cut short
  EXPECT_FALSE(sizeOf(start + std::string("\0\0\0\0\0\0\0\x10", 8)));   // no width
  EXPECT_FALSE(sizeOf(start + std::string("\x80\0\0\x01\0\0\0\x10", 8)));  // beyond 31 bits
  EXPECT_FALSE(sizeOf("BM" + start.substr(2) + std::string("\0\0\0\x10\0\0\0\x10", 8)));
  DeleteFileW(file.c_str());
}

TEST_F(SkinFilesTest, SkinFontIsTheShellDialogFont) {
  for (int weight : {300, 400, 500}) {
    UniqueFont font = CreateSkinFont(weight);
    LOGFONTW info{};
    ASSERT_TRUE(GetObjectW(font.get(), sizeof info, &info));
    EXPECT_EQ(info.lfHeight, 14);
    EXPECT_EQ(info.lfWeight, weight);
    EXPECT_EQ(info.lfPitchAndFamily & 0xF0, FF_SWISS);
    EXPECT_STREQ(info.lfFaceName, L"MS Shell Dlg");
  }
}

TEST_F(SkinFilesTest, SkinTextIsDrawnWhateverTheFamily) {
  WindowDc screen(nullptr);
  for (const wchar_t* family : {L"MS Shell Dlg", L"", L"No Such Family"}) {
    MemoryDc dc(screen.get());
    dc.Adopt(MakeBitmap(120, 30, [](int, int) { return RGB(0, 0, 0); }));
    DrawSkinText(dc.get(), L"Keyboard", 8, 0, 0xFFFFFFFF, 2, 2, 116, 26, family);
    int lit = 0;
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 120; ++x)
        if (GetPixel(dc.get(), x, y) != RGB(0, 0, 0)) ++lit;
    EXPECT_GT(lit, 20) << "family '" << testing::PrintToString(std::wstring(family)) << "'";
  }
}

}  // namespace
}  // namespace q730x
