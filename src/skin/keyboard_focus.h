// What the skinned controls share for use without a mouse: tab stops, the
// focus mark, the platform's rule of when that mark shows (once keys are
// used, hidden again after the mouse is), and a click from the keyboard.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>

namespace q730x {

// The mark's colour: the skin's accent, the blue of selected list entries.
inline constexpr COLORREF kFocusMarkColour = RGB(23, 148, 195);

// Keys a control answers itself; true when the key was used.
using ControlKeyHandler = std::function<bool(WPARAM virtualKey)>;

// A tab stop starts a group of its own, so that the dialog's arrow keys do
// not wander from it to its neighbours.
void SetTabStop(HWND control, bool on);

// The focus mark shows on a control that has the focus while its window
// does not hide focus marks.
bool FocusMarkShown(HWND control);
bool AcceleratorsShown(HWND control);
// A one-pixel outline just inside rect.
void DrawFocusMark(HDC dc, const RECT& rect);

// Seen for every message the utility's loops take, before anything else:
// navigation keys show the focus marks of the target's window (and Alt its
// underlined accelerators), a mouse press hides them.
void NoteInput(const MSG& message);
// A new top-level window starts with the marks shown when the keyboard was
// used last, hidden otherwise.
void InitialiseFocusMarks(HWND topLevel);

// The answer of WM_GETDLGCODE and WM_KEYDOWN for the utility's buttons:
// Enter on a push button (takesEnter) and, with a handler, the keys it takes
// go to the button instead of the dialog; on a check button Enter stays the
// dialog's (its OK), as the platform's check boxes do. True when the
// message was answered in result.
bool ButtonKeyMessage(HWND button, UINT message, WPARAM wParam, LPARAM lParam, LRESULT defaultResult,
                      bool takesEnter, const ControlKeyHandler& handler, LRESULT& result);
// A click from the keyboard: the command a mouse click sends to the parent.
void ClickFromKeyboard(HWND button);

}  // namespace q730x

namespace q730x {
// Puts sibling controls in this order for Tab (their z-order), first to
// last; null entries are skipped.
void ArrangeTabOrder(std::initializer_list<HWND> controls);
// Moves the focus to control and makes it the tab stop of its group
// (others listed lose theirs): one stop for a whole set of buttons.
void MoveRovingFocus(HWND control, std::initializer_list<HWND> group);
}  // namespace q730x
