// Children that carry what a screen reader reads of a skinned window whose
// texts and bars are painted on its picture: a label (a static window with
// the painted text, which readers take as the name of the control after it
// and speak when a box opens) or a progress bar holding the painted bar's
// position. They draw nothing and let the pointer through, so the window
// keeps its look and is still dragged by its background.
#pragma once

#include <windows.h>

#include <string>

namespace q730x {

// A label at rect (parent client coordinates) with text. With `before`, it
// comes just before that control in the tab order, as readers expect of a
// control's label.
HWND CreateSpokenLabel(HWND parent, RECT rect, const std::wstring& text, HWND before = nullptr);
// A progress bar at rect with the range 0 to 100.
HWND CreateSpokenProgress(HWND parent, RECT rect);

// Tells screen readers that window has opened as an alert (the boxes).
void AnnounceAlert(HWND window);

}  // namespace q730x
