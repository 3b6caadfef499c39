// The arithmetic of a skinned scroll bar, along the bar: where the arrows,
// the page areas and the thumb lie, which of them a point hits, and which
// position a thumb drag reaches. Free of the platform, so it is checked by
// plain unit tests.
#pragma once

#include <cstdint>

namespace q730x {

// The parts of a bar, numbered as the platform's scroll codes they send.
enum ScrollSegment : int {
  kSegmentNone = -1,
  kSegmentLineUp = 0,    // up or left arrow
  kSegmentLineDown = 1,  // down or right arrow
  kSegmentPageUp = 2,    // the track before the thumb
  kSegmentPageDown = 3,  // the track after the thumb
  kSegmentThumb = 5,
};

// The scroll state a bar mirrors. trackPosition is -1 unless a thumb drag is
// in progress.
struct ScrollState {
  std::int32_t minimum = 0;
  std::int32_t maximum = 0;
  std::uint32_t page = 0;
  std::int32_t position = 0;
  std::int32_t trackPosition = -1;

  // How far the thumb travels: maximum - minimum - page + 1 (0 when the
  // content exactly fits, negative when it is smaller than a page).
  std::int64_t Range() const;
  // The last position the content can scroll to (the platform's rule:
  // maximum - page + 1, never below the minimum).
  std::int32_t LastPosition() const;
};

struct ScrollLayout {
  int length = 0;  // the whole bar
  int arrow = 0;   // each arrow: one cell, or half the bar when it is shorter than two
  int track = 0;   // the bar between the arrows
  int thumb = 0;   // 0 when no thumb shows
  int offset = 0;  // of the thumb from the end of the first arrow

  // [begin, end) of a segment along the bar; empty for kSegmentNone.
  int Begin(ScrollSegment segment) const;
  int End(ScrollSegment segment) const;
  // The segment at `along` pixels from the bar's start; none before it.
  ScrollSegment Hit(int along) const;
};

// The parts as they are painted: no thumb when the track is 5 pixels or
// less or when the content exactly fits, otherwise a thumb of at least 6
// pixels, never longer than the track.
ScrollLayout PaintedLayout(int length, int cell, const ScrollState& state);
// The parts as the pointer meets them: like the painted ones, except that a
// track longer than 5 pixels always has a thumb of at least 6 pixels.
ScrollLayout PointerLayout(int length, int cell, const ScrollState& state);

// The position a thumb drag reaches when the pointer has moved `moved`
// pixels along the bar since the drag began at `startPosition`, kept
// between the minimum and the last position. `layout` is the pointer layout.
std::int32_t DragPosition(const ScrollLayout& layout, const ScrollState& state,
                          std::int32_t startPosition, int moved);

}  // namespace q730x
