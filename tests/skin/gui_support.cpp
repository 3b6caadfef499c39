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
void SendPointer(POINT screen) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = LONG(screen.x * 65535LL / (GetSystemMetrics(SM_CXSCREEN) - 1));
  input.mi.dy = LONG(screen.y * 65535LL / (GetSystemMetrics(SM_CYSCREEN) - 1));
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &input, sizeof input);
}
}  // namespace

void MovePointerTo(HWND window, POINT client) {
  POINT screen = client;
  ClientToScreen(window, &screen);
  SendPointer({screen.x - 1, screen.y});
  Pump(80);
  SendPointer(screen);
  Pump(150);
}

void LeftButton(bool down) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  SendInput(1, &input, sizeof input);
  Pump(150);
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
  Pump(200);
}

void Key(WORD virtualKey, bool down) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = virtualKey;
  input.ki.wScan = WORD(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
  SendInput(1, &input, sizeof input);
  Pump(60);
}

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
