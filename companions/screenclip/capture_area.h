// The screen rectangle each capture target covers, in physical pixels.
#pragma once

#include <windows.h>

#include <optional>

#include "capture_command_line.h"

namespace q730x::screenclip {

// The region capture's fixed size: the centre 640 x 480 of the primary screen.
inline constexpr int kRegionWidth = 640;
inline constexpr int kRegionHeight = 480;

// Desktop: every monitor. Window: the foreground window, cut to the screen.
// Region: the centre of the primary screen (all of it when it is smaller).
// Nothing when there is no foreground window or the area is empty.
std::optional<RECT> CaptureArea(CaptureTarget target);

}  // namespace q730x::screenclip
