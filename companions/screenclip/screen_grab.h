// Copies a rectangle of the screen into a bitmap of its own.
#pragma once

#include <windows.h>

#include "skin/gdi_handles.h"

namespace q730x::screenclip {

// A bitmap of the area's size holding what the screen shows there, selected
// into no drawing context (so GDI+ may read it); empty on failure.
UniqueBitmap GrabScreen(const RECT& area);

}  // namespace q730x::screenclip
