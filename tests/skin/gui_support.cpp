#include "gui_support.h"

#include "skin/window.h"

namespace q730x::test {

void Pump(DWORD milliseconds) {
  PumpUntil([] { return false; }, milliseconds);
}

bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds) {
  DWORD start = GetTickCount();
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (Window::PreTranslateChain(message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (done()) return true;
    if (GetTickCount() - start >= milliseconds) return done();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

namespace {

// Pumps this thread's queue until nothing but timers is waiting, or the time is up.
void PumpPending(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  do {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (Window::PreTranslateChain(message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  } while ((HIWORD(GetQueueStatus(QS_ALLINPUT)) & ~QS_TIMER) != 0 && GetTickCount() - start < milliseconds);
}

// Lets the thread of `window` handle the input queued for it so far. This
// thread pumps until its queue is empty. Another thread is sent WM_NULL a few
// times: a thread takes a sent message when it next looks at its queue, so
// each answer means it went through its message loop once more, and a few
// rounds cover the input and what handling it posted (a hook's report, a
// capture change).
void LetHandle(HWND window) {
  if (!window) return;
  const DWORD thread = GetWindowThreadProcessId(window, nullptr);
  if (thread == 0) return;
  if (thread == GetCurrentThreadId()) {
    PumpPending(5000);
    return;
  }
  for (int round = 0; round < 4; ++round) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer)) break;
    PumpPending(5000);  // what the other thread sent us meanwhile
  }
}

// The last window the pointer was moved to: a button press or release there
// goes to it (or to the window holding the capture it took).
HWND lastPointerWindow = nullptr;

// Lets every thread that may have been given the input handle it: the
// window under the pointer, the one the pointer was last moved to, the
// foreground window (keys) and this thread.
void LetInputBeHandled(HWND window) {
  POINT at;
  GetCursorPos(&at);
  const HWND under = WindowFromPoint(at);
  const HWND foreground = GetForegroundWindow();
  LetHandle(window);
  if (under != window) LetHandle(under);
  if (lastPointerWindow != window && lastPointerWindow != under) LetHandle(lastPointerWindow);
  if (foreground != window && foreground != under && foreground != lastPointerWindow) LetHandle(foreground);
  PumpPending(5000);
}

bool SamePoint(POINT a, POINT b) { return a.x == b.x && a.y == b.y; }

// Moves the pointer to a screen point and waits until the system has it there
// and the windows concerned have handled the move.
void SendPointer(HWND window, POINT screen) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = LONG(screen.x * 65535LL / (GetSystemMetrics(SM_CXSCREEN) - 1));
  input.mi.dy = LONG(screen.y * 65535LL / (GetSystemMetrics(SM_CYSCREEN) - 1));
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &input, sizeof input);
  POINT at{};
  const DWORD start = GetTickCount();
  while (GetCursorPos(&at) && !SamePoint(at, screen) && GetTickCount() - start < 5000) PumpPending(10);
  LetInputBeHandled(window);
}
}  // namespace

// Each step waits until the windows concerned have handled it: under Wine the
// server picks the window of a mouse message when it is queued, so a move
// sent before the button-up or the move that releases a capture has been
// handled would still go to the window that held the capture.
void MovePointerTo(HWND window, POINT client) {
  POINT screen = client;
  ClientToScreen(window, &screen);
  SendPointer(window, {screen.x - 1, screen.y});
  SendPointer(window, screen);
  lastPointerWindow = window == GetDesktopWindow() ? nullptr : window;
}

void LeftButton(bool down) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  SendInput(1, &input, sizeof input);
  LetInputBeHandled(lastPointerWindow);
}

void DoubleClick() {
  INPUT inputs[4]{};
  const DWORD flags[4] = {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_LEFTDOWN,
                          MOUSEEVENTF_LEFTUP};
  for (int i = 0; i < 4; ++i) {
    inputs[i].type = INPUT_MOUSE;
    inputs[i].mi.dwFlags = flags[i];
  }
  SendInput(4, inputs, sizeof inputs[0]);
  LetInputBeHandled(lastPointerWindow);
}

void Key(WORD virtualKey, bool down) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = virtualKey;
  input.ki.wScan = WORD(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
  SendInput(1, &input, sizeof input);
  LetInputBeHandled(nullptr);
}

void WaitUntilInputHandled() { LetInputBeHandled(lastPointerWindow); }

void PressKey(WORD virtualKey) {
  Key(virtualKey, true);
  Key(virtualKey, false);
}

COLORREF WindowPixel(HWND window, POINT client) {
  UpdateWindow(window);
  WindowDc dc(window);
  return GetPixel(dc.get(), client.x, client.y);
}

COLORREF BitmapPixel(HBITMAP bitmap, POINT at) {
  WindowDc screen(nullptr);
  MemoryDc memory(screen.get());
  memory.Borrow(bitmap);
  return GetPixel(memory.get(), at.x, at.y);
}

COLORREF PicturePixel(const SharedPicture& picture, POINT at) {
  WindowDc screen(nullptr);
  MemoryDc memory(screen.get());
  if (!picture || !memory.CreateSurface(screen.get(), 1, 1)) return CLR_INVALID;
  picture->Draw(memory.get(), 0, 0, 1, 1, at);
  return GetPixel(memory.get(), 0, 0);
}

UniqueBitmap MakeBitmap(int width, int height, const std::function<COLORREF(int, int)>& colourAt) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap) return bitmap;
  int stride = ((width * 3) + 3) & ~3;
  auto* rows = static_cast<BYTE*>(bits);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      COLORREF c = colourAt(x, y);
      BYTE* p = rows + y * stride + x * 3;
      p[0] = GetBValue(c);
      p[1] = GetGValue(c);
      p[2] = GetRValue(c);
    }
  return bitmap;
}

bool WriteBmpFile(const std::wstring& path, int width, int height,
                  const std::function<COLORREF(int, int)>& colourAt) {
  int stride = ((width * 3) + 3) & ~3;
  DWORD imageSize = DWORD(stride * height);
  std::vector<BYTE> file(54 + imageSize, 0);
  auto put32 = [&](size_t at, DWORD v) {
    for (int i = 0; i < 4; ++i) file[at + i] = BYTE(v >> (8 * i));
  };
  file[0] = 'B';
  file[1] = 'M';
  put32(2, DWORD(file.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, DWORD(width));
  put32(22, DWORD(height));  // bottom-up
  file[26] = 1;
  file[28] = 24;
  put32(34, imageSize);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      COLORREF c = colourAt(x, height - 1 - y);
      BYTE* p = &file[54 + y * stride + x * 3];
      p[0] = GetBValue(c);
      p[1] = GetGValue(c);
      p[2] = GetRValue(c);
    }
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(h, file.data(), DWORD(file.size()), &written, nullptr) &&
            written == file.size();
  CloseHandle(h);
  return ok;
}

FileSetAside::FileSetAside(std::wstring path)
    : path_(std::move(path)),
      aside_(path_ + L".aside"),
      moved_(MoveFileExW(path_.c_str(), aside_.c_str(), MOVEFILE_REPLACE_EXISTING)) {}

FileSetAside::~FileSetAside() {
  if (moved_) MoveFileExW(aside_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING);
}

}  // namespace q730x::test
