// Helpers for the tests of skinned windows: message pumping, real pointer
// input through SendInput, reading what a window shows, and pictures made
// on the fly.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "skin/gdi_handles.h"
#include "skin/picture.h"

namespace q730x::test {

// Runs the message loop (with the utility's pre-translation) for a while.
void Pump(DWORD milliseconds);
// Pumps until `done` holds or the time is up; answers `done()`.
bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds = 3000);

// Moves the pointer to a point in a window's client area, in two small steps
// so that the window under the pointer sees a move after any capture change.
// These return once the windows concerned (of this process or another) have
// handled the input.
void MovePointerTo(HWND window, POINT client);
void LeftButton(bool down);
// Two clicks of the left button at the pointer, within the double-click time.
void DoubleClick();
// A key pressed or released, or pressed and released, through SendInput.
void Key(WORD virtualKey, bool down);
void PressKey(WORD virtualKey);
// Waits until the input sent so far has been handled by the window under the
// pointer, the one the pointer was last moved to, the foreground window and
// this thread (bounded; never fails).
void WaitUntilInputHandled();

// The colour a window shows at a client point.
COLORREF WindowPixel(HWND window, POINT client);
COLORREF BitmapPixel(HBITMAP bitmap, POINT at);
COLORREF PicturePixel(const SharedPicture& picture, POINT at);

// A 24-bit bitmap filled by `colourAt(x, y)`.
UniqueBitmap MakeBitmap(int width, int height, const std::function<COLORREF(int, int)>& colourAt);
// Writes a 24-bit BMP file.
bool WriteBmpFile(const std::wstring& path, int width, int height,
                  const std::function<COLORREF(int, int)>& colourAt);

// Moves a file out of the way and puts it back when the object ends.
class FileSetAside {
 public:
  explicit FileSetAside(std::wstring path);
  ~FileSetAside();
  FileSetAside(const FileSetAside&) = delete;
  FileSetAside& operator=(const FileSetAside&) = delete;

 private:
  std::wstring path_, aside_;
  bool moved_;
};

}  // namespace q730x::test
