// A message-only window for tests that watch what other threads send or
// post: every message goes to the handler first, which answers true (with a
// result) when it dealt with it.
#pragma once

#include <windows.h>

#include <functional>

namespace q730x::test {

class MessageWindow {
 public:
  using Handler = std::function<bool(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)>;
  explicit MessageWindow(Handler handler);
  ~MessageWindow();
  MessageWindow(const MessageWindow&) = delete;
  MessageWindow& operator=(const MessageWindow&) = delete;
  HWND hwnd() const { return hwnd_; }

  // Dispatches this thread's messages for about ms milliseconds, or until
  // done answers true; answers done().
  static bool PumpUntil(const std::function<bool()>& done, DWORD ms);

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  Handler handler_;
  HWND hwnd_ = nullptr;
};

}  // namespace q730x::test
