// Names of capture files: "Capture 2026-12-09 17-55-03.png" for the time of
// the capture, "Capture 2026-12-09 17-55-03 (2).png" and so on when a file of
// that name is already there. Platform-free.
#pragma once

#include <string>

namespace q730x::screenclip {

struct CaptureTime {
  unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// attempt 1 is the plain name; attempt n > 1 adds " (n)".
std::wstring CaptureFileName(const CaptureTime& time, unsigned attempt);

}  // namespace q730x::screenclip
