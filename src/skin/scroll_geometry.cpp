#include "skin/scroll_geometry.h"

#include <algorithm>

namespace q730x {

namespace {

constexpr int kShortestThumb = 6;

// Thumb length in proportion to the page; a huge or inverted range gives no
// thumb rather than a division by zero.
int ProportionalThumb(const ScrollState& state, int track) {
  const std::int64_t span = std::int64_t(state.maximum) - state.minimum + 1;
  if (span <= 0) return 0;
  return int(std::min<std::int64_t>(std::int64_t(state.page) * track / span, track));
}

ScrollLayout Layout(int length, int cell, const ScrollState& state, bool forPointer) {
  ScrollLayout layout;
  layout.length = std::max(length, 0);
  layout.track = std::max(layout.length - 2 * cell, 0);
  layout.arrow = layout.track == 0 ? layout.length / 2 : cell;
  const std::int64_t range = state.Range();
  const bool hasThumb = layout.track > 5 && (forPointer || range != 0);
  if (hasThumb)
    layout.thumb = std::min(std::max(ProportionalThumb(state, layout.track), kShortestThumb),
                            layout.track);
  const int travel = layout.track - layout.thumb;
  if (range == 0) {
    layout.offset = travel / 2;
  } else {
    const std::int64_t at = state.trackPosition != -1 ? state.trackPosition : state.position;
    // A position outside the range still keeps the thumb on the track.
    layout.offset = int(std::clamp<std::int64_t>(at * travel / range, 0, travel));
  }
  return layout;
}

}  // namespace

std::int64_t ScrollState::Range() const {
  return std::int64_t(maximum) - minimum - std::int64_t(page) + 1;
}

std::int32_t ScrollState::LastPosition() const {
  const std::int64_t last = std::int64_t(maximum) - (page > 0 ? std::int64_t(page) - 1 : 0);
  return std::int32_t(std::max<std::int64_t>(last, minimum));
}

int ScrollLayout::Begin(ScrollSegment segment) const {
  switch (segment) {
    case kSegmentLineUp: return 0;
    case kSegmentPageUp: return arrow;
    case kSegmentThumb: return arrow + offset;
    case kSegmentPageDown: return arrow + offset + thumb;
    case kSegmentLineDown: return length - arrow;
    default: return 0;
  }
}

int ScrollLayout::End(ScrollSegment segment) const {
  switch (segment) {
    case kSegmentLineUp: return arrow;
    case kSegmentPageUp: return arrow + offset;
    case kSegmentThumb: return arrow + offset + thumb;
    case kSegmentPageDown: return std::max(length - arrow, arrow + offset + thumb);
    case kSegmentLineDown: return length;
    default: return 0;
  }
}

ScrollSegment ScrollLayout::Hit(int along) const {
  if (along < 0) return kSegmentNone;
  if (along < arrow) return kSegmentLineUp;
  if (along < arrow + offset) return kSegmentPageUp;
  if (along < arrow + offset + thumb) return kSegmentThumb;
  if (along < length - arrow) return kSegmentPageDown;
  return kSegmentLineDown;
}

ScrollLayout PaintedLayout(int length, int cell, const ScrollState& state) {
  return Layout(length, cell, state, false);
}

ScrollLayout PointerLayout(int length, int cell, const ScrollState& state) {
  return Layout(length, cell, state, true);
}

std::int32_t DragPosition(const ScrollLayout& layout, const ScrollState& state,
                          std::int32_t startPosition, int moved) {
  const int travel = layout.track - layout.thumb;
  const std::int64_t step = travel > 0 ? std::int64_t(moved) * state.Range() / travel : 0;
  const std::int64_t position = step + startPosition;
  return std::int32_t(std::max<std::int64_t>(
      std::min<std::int64_t>(position, state.LastPosition()), state.minimum));
}

}  // namespace q730x
