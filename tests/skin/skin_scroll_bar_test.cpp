// The skinned bar on its own, under a real pointer: its scroll state, its
// looks cut from the skin cells, arrows that repeat while held, page areas
// that stop at the pointer, a thumb drag, and presses that end when another
// window takes the pointer.
#include <gtest/gtest.h>

#include <memory>

#include "gui_support.h"
#include "scroll_test_host.h"
#include "skin/skin_files.h"
#include "skin/skin_scroll_bar.h"

namespace q730x {
namespace {

using test::LeftButton;
using test::MovePointerTo;
using test::Pump;
using test::SkinCell;
using test::WindowPixel;

class SkinScrollBarTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host_.Create(100, 100, 300, 300));
    skin_ = test::MakeScrollSkin();
    // A vertical bar 100 pixels long over 0..99 with a page of 10.
    bar_ = MakeBar({50, 20, 68, 120}, true);
    ASSERT_TRUE(bar_);
    MovePointerTo(host_.hwnd(), {250, 250});  // away from every bar
  }
  void TearDown() override {
    LeftButton(false);
    MovePointerTo(host_.hwnd(), {250, 250});
  }

  std::unique_ptr<CSkinScrollBar> MakeBar(RECT rect, bool vertical, int position = 0) {
    auto bar = std::make_unique<CSkinScrollBar>();
    if (!bar->Create(host_.hwnd(), rect, vertical, 7)) return nullptr;
    bar->SetSkin(skin_.get(), 18);
    SetState(bar->hwnd(), 0, 99, 10, position);
    Pump(50);
    return bar;
  }
  static void SetState(HWND bar, int minimum, int maximum, UINT page, int position) {
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, minimum, maximum, page, position, 0};
    SetScrollInfo(bar, SB_CTL, &info, TRUE);
  }
  // The host answers the bar as a list would.
  void Follow(int position) {
    host_.followBar = bar_->hwnd();
    host_.position = position;
    SetState(bar_->hwnd(), 0, 99, 10, position);
  }
  COLORREF At(int y) { return WindowPixel(bar_->hwnd(), {9, y}); }

  test::ScrollHost host_;
  UniqueBitmap skin_;
  std::unique_ptr<CSkinScrollBar> bar_;
};

TEST(ScrollSkin, EmbeddedPictureHasEighteenPixelCells) {
  UniqueBitmap skin = LoadScrollSkinBitmap();
  ASSERT_TRUE(skin);
  EXPECT_EQ(BitmapSize(skin.get()).cx, 163);
  EXPECT_EQ(BitmapSize(skin.get()).cy, 54);
  EXPECT_EQ(ScrollSkinCell(skin.get()), 18);
  EXPECT_EQ(ScrollSkinCell(nullptr), 16);
}

TEST_F(SkinScrollBarTest, ScrollInfoIsTheBarsOwn) {
  SetState(bar_->hwnd(), 0, 99, 10, 45);
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL | SIF_TRACKPOS;
  ASSERT_TRUE(GetScrollInfo(bar_->hwnd(), SB_CTL, &info));
  EXPECT_EQ(info.nMin, 0);
  EXPECT_EQ(info.nMax, 99);
  EXPECT_EQ(info.nPage, 10u);
  EXPECT_EQ(info.nPos, 45);
  EXPECT_EQ(info.nTrackPos, -1);
  // Only what the mask names changes.
  SCROLLINFO position{sizeof position, SIF_POS, 5, 6, 7, 30, 0};
  SetScrollInfo(bar_->hwnd(), SB_CTL, &position, FALSE);
  EXPECT_EQ(bar_->state().position, 30);
  EXPECT_EQ(bar_->state().maximum, 99);
  EXPECT_EQ(bar_->state().page, 10u);
}

TEST_F(SkinScrollBarTest, PaintsArrowsTrackAndThumbFromTheirCells) {
  SetState(bar_->hwnd(), 0, 99, 10, 45);  // thumb at 47..52
  EXPECT_EQ(At(0), SkinCell(0, 0));
  EXPECT_EQ(At(17), SkinCell(0, 0));
  EXPECT_EQ(At(18), SkinCell(3, 0));
  EXPECT_EQ(At(46), SkinCell(3, 0));
  EXPECT_EQ(At(47), SkinCell(2, 0, 200));
  EXPECT_EQ(At(49), SkinCell(2, 0, 200));
  EXPECT_EQ(At(50), SkinCell(2, 0, 100));
  EXPECT_EQ(At(52), SkinCell(2, 0, 100));
  EXPECT_EQ(At(53), SkinCell(3, 0));
  EXPECT_EQ(At(81), SkinCell(3, 0));
  EXPECT_EQ(At(82), SkinCell(1, 0));
  EXPECT_EQ(At(99), SkinCell(1, 0));
}

TEST_F(SkinScrollBarTest, LongThumbKeepsItsEndsAndTilesItsMiddle) {
  SetState(bar_->hwnd(), 0, 99, 50, 0);  // thumb 32 pixels at 18..49
  EXPECT_EQ(At(18), SkinCell(2, 0, 200));
  EXPECT_EQ(At(20), SkinCell(2, 0, 200));
  EXPECT_EQ(At(21), SkinCell(2, 0));
  EXPECT_EQ(At(46), SkinCell(2, 0));
  EXPECT_EQ(At(47), SkinCell(2, 0, 100));
  EXPECT_EQ(At(49), SkinCell(2, 0, 100));
  EXPECT_EQ(At(50), SkinCell(3, 0));
}

TEST_F(SkinScrollBarTest, ShortBarShowsTwoStretchedArrowsOnly) {
  auto bar = MakeBar({100, 20, 118, 50}, true, 45);
  ASSERT_TRUE(bar);
  EXPECT_EQ(WindowPixel(bar->hwnd(), {9, 0}), SkinCell(0, 0));
  EXPECT_EQ(WindowPixel(bar->hwnd(), {9, 14}), SkinCell(0, 0));
  EXPECT_EQ(WindowPixel(bar->hwnd(), {9, 15}), SkinCell(1, 0));
  EXPECT_EQ(WindowPixel(bar->hwnd(), {9, 29}), SkinCell(1, 0));
}

TEST_F(SkinScrollBarTest, HorizontalBarUsesItsOwnColumnsAlongX) {
  auto bar = MakeBar({50, 150, 150, 168}, false, 45);
  ASSERT_TRUE(bar);
  EXPECT_FALSE(bar->vertical());
  EXPECT_EQ(WindowPixel(bar->hwnd(), {5, 9}), SkinCell(4, 0));
  EXPECT_EQ(WindowPixel(bar->hwnd(), {30, 9}), SkinCell(7, 0));
  EXPECT_EQ(WindowPixel(bar->hwnd(), {47, 9}), SkinCell(6, 0, 200));
  EXPECT_EQ(WindowPixel(bar->hwnd(), {52, 9}), SkinCell(6, 0, 100));
  EXPECT_EQ(WindowPixel(bar->hwnd(), {95, 9}), SkinCell(5, 0));
}

TEST_F(SkinScrollBarTest, ArrowsAndThumbLightUpUnderThePointer) {
  SetState(bar_->hwnd(), 0, 99, 10, 45);
  MovePointerTo(bar_->hwnd(), {9, 5});
  EXPECT_EQ(bar_->hoverSegment(), kSegmentLineUp);
  EXPECT_EQ(At(5), SkinCell(0, 1));
  MovePointerTo(bar_->hwnd(), {9, 48});
  EXPECT_EQ(At(5), SkinCell(0, 0));
  EXPECT_EQ(At(47), SkinCell(2, 1, 200));
  MovePointerTo(bar_->hwnd(), {9, 30});  // the page area has no hover look
  EXPECT_EQ(At(30), SkinCell(3, 0));
  EXPECT_EQ(At(47), SkinCell(2, 0, 200));
  MovePointerTo(bar_->hwnd(), {9, 90});
  EXPECT_EQ(At(90), SkinCell(1, 1));
  MovePointerTo(host_.hwnd(), {250, 250});
  EXPECT_TRUE(test::PumpUntil([&] { return bar_->hoverSegment() == kSegmentNone; }, 1000));
  EXPECT_EQ(At(90), SkinCell(1, 0));
}

TEST_F(SkinScrollBarTest, PressedArrowSendsAtOnceAndLooksPressedWhileThePointerIsOnIt) {
  MovePointerTo(bar_->hwnd(), {9, 90});
  LeftButton(true);
  ASSERT_EQ(host_.scrolls.size(), 1u);
  EXPECT_EQ(host_.scrolls[0].message, UINT(WM_VSCROLL));
  EXPECT_EQ(host_.scrolls[0].code, SB_LINEDOWN);
  EXPECT_EQ(host_.scrolls[0].position, 0);
  EXPECT_EQ(host_.scrolls[0].bar, bar_->hwnd());
  EXPECT_EQ(At(90), SkinCell(1, 2));
  MovePointerTo(bar_->hwnd(), {40, 90});  // off the arrow, the bar still holds the pointer
  EXPECT_TRUE(bar_->pressedOut());
  EXPECT_EQ(At(90), SkinCell(1, 0));
  MovePointerTo(bar_->hwnd(), {9, 90});
  EXPECT_FALSE(bar_->pressedOut());
  EXPECT_EQ(At(90), SkinCell(1, 2));
  LeftButton(false);
  EXPECT_EQ(bar_->pressedSegment(), kSegmentNone);
  EXPECT_FALSE(bar_->autoRepeat());
  EXPECT_EQ(At(90), SkinCell(1, 1));  // still under the pointer
}

TEST_F(SkinScrollBarTest, HeldArrowRepeatsAfterHalfASecondThenEveryTenthOfASecond) {
  Follow(0);
  MovePointerTo(bar_->hwnd(), {9, 90});
  const DWORD start = GetTickCount();
  LeftButton(true);
  Pump(250);
  EXPECT_EQ(host_.Count(SB_LINEDOWN), 1);
  while (GetTickCount() - start < 1100) Pump(20);
  LeftButton(false);
  const auto sent = host_.scrolls;
  ASSERT_GE(sent.size(), 4u);
  EXPECT_LE(sent.size(), 8u);
  EXPECT_GE(sent[1].tick - sent[0].tick, 470u);
  for (size_t i = 2; i < sent.size(); ++i) {
    EXPECT_GE(sent[i].tick - sent[i - 1].tick, 80u);
    EXPECT_LT(sent[i].tick - sent[i - 1].tick, 400u);
  }
  Pump(400);
  EXPECT_EQ(host_.scrolls.size(), sent.size());  // nothing after the release
}

TEST_F(SkinScrollBarTest, HeldArrowStopsAtTheEnd) {
  Follow(89);  // one line before the last position, 90
  MovePointerTo(bar_->hwnd(), {9, 90});
  LeftButton(true);
  Pump(900);
  LeftButton(false);
  EXPECT_EQ(host_.Count(SB_LINEDOWN), 1);
  EXPECT_EQ(host_.position, 90);

  host_.scrolls.clear();
  Follow(0);
  MovePointerTo(bar_->hwnd(), {9, 5});
  LeftButton(true);
  Pump(900);
  LeftButton(false);
  EXPECT_EQ(host_.Count(SB_LINEUP), 1);  // sent once, then nothing to repeat
}

TEST_F(SkinScrollBarTest, HeldPageAreaStopsWhenTheThumbReachesThePointer) {
  bar_ = MakeBar({100, 20, 118, 220}, true);  // 200 long: thumb 16, travel 148
  Follow(0);
  MovePointerTo(bar_->hwnd(), {9, 150});
  LeftButton(true);
  Pump(2000);
  LeftButton(false);
  // 10, 20, ... 80: at 80 the thumb covers 149..164, under the pointer.
  EXPECT_EQ(host_.Count(SB_PAGEDOWN), 8);
  EXPECT_EQ(host_.scrolls.size(), 8u);
  EXPECT_EQ(host_.position, 80);
}

TEST_F(SkinScrollBarTest, DragSendsTrackOnlyWhenThePositionChangesAndOnePositionAtTheEnd) {
  Follow(0);  // thumb at 18..23
  MovePointerTo(bar_->hwnd(), {9, 20});
  LeftButton(true);
  EXPECT_TRUE(bar_->dragging());
  EXPECT_EQ(bar_->state().trackPosition, 0);
  EXPECT_EQ(At(18), SkinCell(2, 2, 200));
  MovePointerTo(bar_->hwnd(), {9, 21});   // 1 * 90 / 58
  MovePointerTo(bar_->hwnd(), {9, 49});   // 29 * 90 / 58
  MovePointerTo(bar_->hwnd(), {12, 49});  // across the bar: no change
  EXPECT_EQ(At(47), SkinCell(2, 2, 200));
  LeftButton(false);
  ASSERT_EQ(host_.scrolls.size(), 3u);
  EXPECT_EQ(host_.scrolls[0].code, SB_THUMBTRACK);
  EXPECT_EQ(host_.scrolls[0].position, 1);
  EXPECT_EQ(host_.scrolls[1].code, SB_THUMBTRACK);
  EXPECT_EQ(host_.scrolls[1].position, 45);
  EXPECT_EQ(host_.scrolls[2].code, SB_THUMBPOSITION);
  EXPECT_EQ(host_.scrolls[2].position, 45);
  EXPECT_FALSE(bar_->dragging());
  EXPECT_EQ(bar_->state().trackPosition, -1);
  EXPECT_EQ(bar_->state().position, 45);
  EXPECT_EQ(At(47), SkinCell(2, 1, 200));  // released over the thumb
}

TEST_F(SkinScrollBarTest, DragBeyondTheBarStopsAtTheLastPosition) {
  Follow(0);
  MovePointerTo(bar_->hwnd(), {9, 20});
  LeftButton(true);
  MovePointerTo(bar_->hwnd(), {9, 200});
  LeftButton(false);
  ASSERT_FALSE(host_.scrolls.empty());
  EXPECT_EQ(host_.scrolls.back().code, SB_THUMBPOSITION);
  EXPECT_EQ(host_.scrolls.back().position, 90);
  EXPECT_EQ(At(81), SkinCell(2, 0, 100));
}

TEST_F(SkinScrollBarTest, DoubleClicksAreSwallowed) {
  SendMessageW(bar_->hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(9, 90));
  Pump(100);
  EXPECT_TRUE(host_.scrolls.empty());
  EXPECT_EQ(bar_->pressedSegment(), kSegmentNone);
}

TEST_F(SkinScrollBarTest, DisabledBarShowsNoThumb) {
  SetState(bar_->hwnd(), 0, 99, 10, 45);
  EnableWindow(bar_->hwnd(), FALSE);
  Pump(50);
  EXPECT_EQ(At(47), SkinCell(3, 0));
  EXPECT_EQ(At(5), SkinCell(0, 0));
  EnableWindow(bar_->hwnd(), TRUE);
  Pump(50);
  EXPECT_EQ(At(47), SkinCell(2, 0, 200));
}

TEST_F(SkinScrollBarTest, PressEndsWhenAnotherWindowTakesThePointer) {
  Follow(0);
  MovePointerTo(bar_->hwnd(), {9, 90});
  LeftButton(true);
  ASSERT_EQ(bar_->pressedSegment(), kSegmentLineDown);
  SetCapture(host_.hwnd());
  EXPECT_EQ(bar_->pressedSegment(), kSegmentNone);
  Pump(900);
  EXPECT_EQ(host_.Count(SB_LINEDOWN), 1);  // no repeat with nobody holding the arrow
  ReleaseCapture();
}

}  // namespace
}  // namespace q730x
