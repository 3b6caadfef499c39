// The utility as a separate process, started as a user starts it, and the
// waits that tests of it need: for a window by its title, for a condition
// on a window, for a message box to make its OK button.
#pragma once

#include <windows.h>

#include <string>

#include "model/win_handles.h"

namespace q730x::test {

class Utility {
 public:
  // The dist folder's Q730X.exe unless another copy is named.
  Utility();
  explicit Utility(const std::wstring& exe);
  ~Utility();  // a copy still running is ended
  bool running() const { return process_.valid(); }
  bool Ended(DWORD withinMs) const;
  // The exit code once ended, STILL_ACTIVE before.
  DWORD ExitCode() const;
  ULONGLONG ElapsedMs() const { return GetTickCount64() - started_; }

 private:
  UniqueHandle process_;
  ULONGLONG started_;
};

HWND WaitForWindow(const std::wstring& title, DWORD ms = 20000);
bool WaitUntil(bool (*done)(HWND), HWND window, DWORD ms = 10000);
// Sends WM_NULL to window `rounds` times, each answered within ms: a thread
// takes a sent message when it next looks at its queue, before any posted
// or input message, so each answer means it went through its message loop
// once more. Give one round for each message queued for it (each key press
// and release), and one more. False when the window is gone or did not answer.
bool QueueHandled(HWND window, int rounds = 3, DWORD ms = 10000);
// Tells when a file has been written: its time is set back at the start, so
// a write in the same clock tick still shows. A missing file counts as
// written once it is there.
class FileRewrite {
 public:
  explicit FileRewrite(std::wstring path);
  bool Written() const;
  bool Wait(DWORD ms = 15000) const;

 private:
  std::wstring path_;
  FILETIME before_{};
};

// Presses the OK button of an open message box, once the box has made it.
void PressOk(HWND box);
// Whether a process of this program file name ("Q730XBurn.exe") runs.
bool ProcessRunning(const wchar_t* exeName);

}  // namespace q730x::test
