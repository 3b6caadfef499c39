// The shaped button under a real pointer: its box and region, a notification
// at the press (none at the release, two for a double click), corners
// outside the shape, hover held while the button is down, the selected look,
// and the owner's picture left as it was.
#include <gtest/gtest.h>

#include <vector>

#include "gui_support.h"
#include "skin/irregular_button.h"
#include "skin/skin_files.h"
#include "skin/skinned_dialog.h"

namespace q730x {
namespace {

using test::MovePointerTo;
using test::Pump;
using test::WindowPixel;

// The first profile tab of the keyboard page, in page coordinates.
const POINT kTab[6] = {{96, 343}, {87, 351}, {107, 372}, {205, 372}, {212, 364}, {192, 343}};

class TabHost : public SkinnedDialog {
 public:
  TabHost() : SkinnedDialog(161, {822, 448}) {}
  CIrrButton tab;
  std::vector<LPARAM> commands;

 protected:
  bool OnInitDialog() override {
    LoadEmbeddedBitmaps(151, 153, 154);
    SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 822, 448, SWP_SHOWWINDOW);
    tab.SetPictures(NormalPicture(), PressedPicture(), HoverPicture(), NormalPicture());
    UniqueRegion shape(CreatePolygonRgn(kTab, 6, WINDING));
    return tab.CreateShaped(L"Profile1", shape.get(), hwnd());
  }
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_COMMAND && wParam == 0 && lParam == LPARAM(tab.hwnd())) commands.push_back(lParam);
    // A press on the background would start the window-move loop; this host stays put.
    if (message == WM_LBUTTONDOWN) return 0;
    return SkinnedDialog::HandleMessage(message, wParam, lParam);
  }
};

class IrregularButtonTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host_.CreateModeless(nullptr));
    SetForegroundWindow(host_.hwnd());
    MovePointerTo(host_.hwnd(), {400, 200});  // away from the tab
    host_.commands.clear();
  }
  // Tab client coordinates of a page point.
  POINT InTab(POINT page) { return {page.x - host_.tab.box().left, page.y - host_.tab.box().top}; }

  GdiplusSession gdiplus_;
  TabHost host_;
};

TEST_F(IrregularButtonTest, WindowIsTheRegionsBoxWithItsCentre) {
  const RECT box = host_.tab.box();
  EXPECT_EQ(box.left, 87);
  EXPECT_EQ(box.top, 343);
  EXPECT_EQ(box.right, 212);
  EXPECT_EQ(box.bottom, 372);
  EXPECT_EQ(host_.tab.centre().x, 87 + (212 - 87) / 2);
  EXPECT_EQ(host_.tab.centre().y, 343 + (372 - 343) / 2);
  RECT window;
  GetWindowRect(host_.tab.hwnd(), &window);
  MapWindowPoints(nullptr, host_.hwnd(), reinterpret_cast<POINT*>(&window), 2);
  EXPECT_EQ(window.left, 87);
  EXPECT_EQ(window.right, 212);
  EXPECT_TRUE(host_.tab.InsideRegion(150 - 87, 360 - 343));
  EXPECT_FALSE(host_.tab.InsideRegion(1, 1));  // the slanted corner
}

TEST_F(IrregularButtonTest, PressNotifiesAtOnceReleaseNotAndADoubleClickTwice) {
  MovePointerTo(host_.tab.hwnd(), InTab({150, 360}));
  test::LeftButton(true);
  Pump(100);
  EXPECT_EQ(host_.commands.size(), 1u);
  test::LeftButton(false);
  Pump(100);
  EXPECT_EQ(host_.commands.size(), 1u);
  test::LeftButton(true);
  test::LeftButton(false);
  test::LeftButton(true);
  test::LeftButton(false);
  Pump(150);
  EXPECT_EQ(host_.commands.size(), 3u);
}

TEST_F(IrregularButtonTest, ACornerOutsideTheShapeReachesNeitherPressNorHover) {
  MovePointerTo(host_.hwnd(), {89, 345});
  EXPECT_FALSE(host_.tab.hover());
  test::LeftButton(true);
  test::LeftButton(false);
  Pump(100);
  EXPECT_TRUE(host_.commands.empty());
}

TEST_F(IrregularButtonTest, HoverStaysWhileTheButtonIsHeldAndIsUpdatedOnRelease) {
  MovePointerTo(host_.tab.hwnd(), InTab({150, 360}));
  EXPECT_TRUE(host_.tab.hover());
  EXPECT_EQ(WindowPixel(host_.tab.hwnd(), InTab({200, 366})),
            test::PicturePixel(host_.HoverPicture(), {200, 366}));
  test::LeftButton(true);
  MovePointerTo(host_.hwnd(), {400, 200});
  EXPECT_TRUE(host_.tab.pressed());
  EXPECT_TRUE(host_.tab.hover());
  test::LeftButton(false);
  Pump(100);
  EXPECT_FALSE(host_.tab.pressed());
  EXPECT_FALSE(host_.tab.hover());
  EXPECT_EQ(WindowPixel(host_.tab.hwnd(), InTab({200, 366})),
            test::PicturePixel(host_.NormalPicture(), {200, 366}));
}

TEST_F(IrregularButtonTest, SelectedShowsThePressedPictureEvenUnderThePointer) {
  const COLORREF before = test::PicturePixel(host_.NormalPicture(), {host_.tab.centre().x, host_.tab.centre().y});
  host_.tab.SetSelected(true);
  InvalidateRect(host_.tab.hwnd(), nullptr, FALSE);
  MovePointerTo(host_.tab.hwnd(), InTab({150, 360}));
  EXPECT_EQ(host_.tab.ChooseLook(false, false), CIrrButton::Look::Pressed);
  EXPECT_EQ(WindowPixel(host_.tab.hwnd(), InTab({200, 366})),
            test::PicturePixel(host_.PressedPicture(), {200, 366}));
  // The text is written in the light colour somewhere right of the centre.
  bool light = false;
  for (int x = 0; x < 60 && !light; ++x)
    for (int y = -8; y < 8 && !light; ++y)
      light = WindowPixel(host_.tab.hwnd(), InTab({host_.tab.centre().x - 12 + x, host_.tab.centre().y + y})) ==
              kIrrTextSelected;
  EXPECT_TRUE(light);
  // The owner's own pictures carry no text.
  EXPECT_EQ(test::PicturePixel(host_.NormalPicture(), {host_.tab.centre().x, host_.tab.centre().y}), before);
}

}  // namespace
}  // namespace q730x
