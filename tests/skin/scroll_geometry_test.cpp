// The arithmetic of a scroll bar along its length: arrows, track, thumb size
// and place, what a point hits, and where a thumb drag goes. The bars here
// use the 18-pixel cells of the utility's scroll bar picture.
#include <gtest/gtest.h>

#include <cstdint>

#include "skin/scroll_geometry.h"

namespace q730x {
namespace {

constexpr int kCell = 18;

ScrollState State(std::int32_t minimum, std::int32_t maximum, std::uint32_t page,
                  std::int32_t position, std::int32_t track = -1) {
  ScrollState state;
  state.minimum = minimum;
  state.maximum = maximum;
  state.page = page;
  state.position = position;
  state.trackPosition = track;
  return state;
}

TEST(ScrollLayout, HundredPixelBarWithAHundredLinesAndPageTen) {
  const ScrollLayout layout = PaintedLayout(100, kCell, State(0, 99, 10, 45));
  EXPECT_EQ(layout.arrow, 18);
  EXPECT_EQ(layout.track, 64);
  EXPECT_EQ(layout.thumb, 6);   // 10 * 64 / 100
  EXPECT_EQ(layout.offset, 29);  // 45 * 58 / 90
  EXPECT_EQ(layout.Begin(kSegmentLineUp), 0);
  EXPECT_EQ(layout.End(kSegmentLineUp), 18);
  EXPECT_EQ(layout.Begin(kSegmentPageUp), 18);
  EXPECT_EQ(layout.End(kSegmentPageUp), 47);
  EXPECT_EQ(layout.Begin(kSegmentThumb), 47);
  EXPECT_EQ(layout.End(kSegmentThumb), 53);
  EXPECT_EQ(layout.Begin(kSegmentPageDown), 53);
  EXPECT_EQ(layout.End(kSegmentPageDown), 82);
  EXPECT_EQ(layout.Begin(kSegmentLineDown), 82);
  EXPECT_EQ(layout.End(kSegmentLineDown), 100);
}

TEST(ScrollLayout, ThumbRunsFromTheFirstArrowToTheSecond) {
  EXPECT_EQ(PaintedLayout(100, kCell, State(0, 99, 10, 0)).Begin(kSegmentThumb), 18);
  EXPECT_EQ(PaintedLayout(100, kCell, State(0, 99, 10, 90)).Begin(kSegmentThumb), 76);
  EXPECT_EQ(PaintedLayout(100, kCell, State(0, 99, 10, 90)).End(kSegmentThumb), 82);
}

TEST(ScrollLayout, ThumbIsInProportionToThePage) {
  const ScrollLayout layout = PaintedLayout(118, kCell, State(0, 99, 50, 0));
  EXPECT_EQ(layout.track, 82);
  EXPECT_EQ(layout.thumb, 41);
}

TEST(ScrollLayout, ASmallThumbIsRaisedToSixPixels) {
  EXPECT_EQ(PaintedLayout(100, kCell, State(0, 999, 10, 0)).thumb, 6);
  EXPECT_EQ(PaintedLayout(100, kCell, State(0, 999, 0, 0)).thumb, 6);
}

TEST(ScrollLayout, TrackPositionOfADragPlacesTheThumb) {
  EXPECT_EQ(PaintedLayout(100, kCell, State(0, 99, 10, 0, 90)).offset, 58);
  EXPECT_EQ(PaintedLayout(100, kCell, State(0, 99, 10, 90, 0)).offset, 0);
}

TEST(ScrollLayout, BarShorterThanTwoCellsIsTwoHalfArrows) {
  const ScrollLayout even = PaintedLayout(30, kCell, State(0, 99, 10, 45));
  EXPECT_EQ(even.track, 0);
  EXPECT_EQ(even.arrow, 15);
  EXPECT_EQ(even.thumb, 0);
  EXPECT_EQ(even.Begin(kSegmentLineDown), 15);
  const ScrollLayout odd = PaintedLayout(35, kCell, State(0, 99, 10, 45));
  EXPECT_EQ(odd.arrow, 17);
  EXPECT_EQ(odd.Begin(kSegmentLineDown), 18);
  EXPECT_EQ(PointerLayout(35, kCell, State(0, 99, 10, 45)).thumb, 0);
}

TEST(ScrollLayout, TrackOfFivePixelsOrLessHasNoThumb) {
  EXPECT_EQ(PaintedLayout(41, kCell, State(0, 99, 10, 0)).thumb, 0);
  EXPECT_EQ(PointerLayout(41, kCell, State(0, 99, 10, 0)).thumb, 0);
  EXPECT_EQ(PaintedLayout(42, kCell, State(0, 99, 10, 0)).thumb, 6);
}

TEST(ScrollLayout, ContentThatExactlyFitsPaintsNoThumbButThePointerFindsOne) {
  const ScrollLayout painted = PaintedLayout(100, kCell, State(0, 9, 10, 0));
  EXPECT_EQ(painted.thumb, 0);
  EXPECT_EQ(painted.offset, 32);
  const ScrollLayout pointer = PointerLayout(100, kCell, State(0, 9, 10, 0));
  EXPECT_EQ(pointer.thumb, 64);
  EXPECT_EQ(pointer.offset, 0);
  EXPECT_EQ(pointer.Hit(18), kSegmentThumb);
  EXPECT_EQ(pointer.Hit(81), kSegmentThumb);
}

TEST(ScrollLayout, ContentSmallerThanAPageKeepsTheThumbOnTheTrack) {
  const ScrollLayout layout = PaintedLayout(100, kCell, State(0, 4, 10, 0));
  EXPECT_EQ(layout.thumb, 64);
  EXPECT_EQ(layout.offset, 0);
  EXPECT_EQ(layout.End(kSegmentThumb), 82);
  EXPECT_EQ(layout.Begin(kSegmentLineDown), 82);
}

TEST(ScrollLayout, EmptyRangeDividesByNothing) {
  // An empty list: minimum 0, maximum -1.
  const ScrollLayout layout = PaintedLayout(100, kCell, State(0, -1, 0, 0));
  EXPECT_EQ(layout.thumb, 0);
  EXPECT_EQ(layout.offset, 32);
  EXPECT_EQ(PointerLayout(100, kCell, State(0, -1, 3, 0)).thumb, 6);
  EXPECT_EQ(PointerLayout(100, kCell, State(0, -1, 3, 0)).offset, 0);
}

TEST(ScrollLayout, PositionsOutsideTheRangeStayOnTheTrack) {
  EXPECT_EQ(PaintedLayout(100, kCell, State(0, 99, 10, 500)).offset, 58);
  EXPECT_EQ(PaintedLayout(100, kCell, State(0, 99, 10, -20)).offset, 0);
}

TEST(ScrollLayout, HugeRangesDoNotOverflow) {
  const ScrollLayout layout = PaintedLayout(100, kCell, State(0, 0x7FFFFFFF, 1, 0x7FFFFFFF));
  EXPECT_EQ(layout.thumb, 6);
  EXPECT_EQ(layout.offset, 58);
}

TEST(ScrollHit, PointsAlongTheBar) {
  const ScrollLayout layout = PointerLayout(100, kCell, State(0, 99, 10, 45));
  EXPECT_EQ(layout.Hit(-1), kSegmentNone);
  EXPECT_EQ(layout.Hit(0), kSegmentLineUp);
  EXPECT_EQ(layout.Hit(17), kSegmentLineUp);
  EXPECT_EQ(layout.Hit(18), kSegmentPageUp);
  EXPECT_EQ(layout.Hit(46), kSegmentPageUp);
  EXPECT_EQ(layout.Hit(47), kSegmentThumb);
  EXPECT_EQ(layout.Hit(52), kSegmentThumb);
  EXPECT_EQ(layout.Hit(53), kSegmentPageDown);
  EXPECT_EQ(layout.Hit(81), kSegmentPageDown);
  EXPECT_EQ(layout.Hit(82), kSegmentLineDown);
  EXPECT_EQ(layout.Hit(99), kSegmentLineDown);
  EXPECT_EQ(layout.Hit(150), kSegmentLineDown);
}

TEST(ScrollHit, ShortBarHasOnlyItsArrows) {
  const ScrollLayout layout = PointerLayout(30, kCell, State(0, 99, 10, 45));
  EXPECT_EQ(layout.Hit(14), kSegmentLineUp);
  EXPECT_EQ(layout.Hit(15), kSegmentLineDown);
}

TEST(ScrollDrag, PointerMovementScalesToPositions) {
  const ScrollState state = State(0, 99, 10, 0);
  const ScrollLayout layout = PointerLayout(100, kCell, state);
  EXPECT_EQ(DragPosition(layout, state, 0, 29), 45);   // 29 * 90 / 58
  EXPECT_EQ(DragPosition(layout, state, 45, -1), 44);  // -90 / 58 rounds toward 0
  EXPECT_EQ(DragPosition(layout, state, 45, 0), 45);
  EXPECT_EQ(DragPosition(layout, state, 10, 58), 90);
}

TEST(ScrollDrag, PositionStaysBetweenTheMinimumAndTheLastPosition) {
  const ScrollState state = State(0, 99, 10, 0);
  const ScrollLayout layout = PointerLayout(100, kCell, state);
  EXPECT_EQ(DragPosition(layout, state, 0, -10), 0);
  EXPECT_EQ(DragPosition(layout, state, 0, 100), 90);
}

TEST(ScrollDrag, ThumbFillingTheTrackDoesNotMove) {
  const ScrollState state = State(0, 9, 10, 0);
  EXPECT_EQ(DragPosition(PointerLayout(100, kCell, state), state, 0, 30), 0);
}

TEST(ScrollState, LastPositionIsTheLastFullPage) {
  EXPECT_EQ(State(0, 99, 10, 0).LastPosition(), 90);
  EXPECT_EQ(State(0, 99, 1, 0).LastPosition(), 99);
  EXPECT_EQ(State(0, 99, 0, 0).LastPosition(), 99);
  EXPECT_EQ(State(0, 4, 10, 0).LastPosition(), 0);
  EXPECT_EQ(State(0, 99, 10, 0).Range(), 90);
  EXPECT_EQ(State(0, 4, 10, 0).Range(), -5);
}

}  // namespace
}  // namespace q730x
