// ScreenClip.exe: the screen capture tool the utility starts for its capture
// keys. "-t desktop -p", "-t window -p" or "-t region -p" saves a PNG of the
// whole desktop, the foreground window or the centre 640 x 480 of the screen
// into the user's Pictures folder. Exit status 0 when saved, 1 when the
// capture failed, 2 for any other command line (nothing is written then).
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "capture_area.h"
#include "capture_command_line.h"
#include "capture_folder.h"
#include "png_file.h"
#include "screen_grab.h"
#include "skin/skin_files.h"

namespace q730x::screenclip {
namespace {

constexpr int kSaved = 0;
constexpr int kCaptureFailed = 1;
constexpr int kUsage = 2;

std::vector<std::wstring> Arguments() {
  int count = 0;
  LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::wstring> arguments;
  if (!words) return arguments;
  for (int i = 1; i < count; ++i) arguments.emplace_back(words[i]);
  LocalFree(words);
  return arguments;
}

CaptureTime Now() {
  SYSTEMTIME local{};
  GetLocalTime(&local);
  return CaptureTime{local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute,
                     local.wSecond};
}

class ComSession {
 public:
  ComSession() : started_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComSession() {
    if (started_) CoUninitialize();
  }
  ComSession(const ComSession&) = delete;
  ComSession& operator=(const ComSession&) = delete;

 private:
  bool started_;
};

int Capture(CaptureTarget target) {
  // Screen coordinates are in physical pixels, whatever the display scaling:
  // the manifest makes the tool per-monitor DPI aware.
  const std::optional<RECT> area = CaptureArea(target);
  if (!area) return kCaptureFailed;
  UniqueBitmap picture = GrabScreen(*area);
  if (!picture) return kCaptureFailed;

  ComSession com;
  GdiplusSession gdiplus;
  if (!gdiplus.ok()) return kCaptureFailed;
  const std::optional<std::wstring> folder = CaptureFolder();
  if (!folder) return kCaptureFailed;
  const std::optional<std::wstring> path = ClaimCaptureFile(*folder, Now());
  if (!path) return kCaptureFailed;
  if (!SavePng(picture.get(), *path)) {
    DeleteFileW(path->c_str());  // no empty or half-written capture is left behind
    return kCaptureFailed;
  }
  return kSaved;
}

}  // namespace
}  // namespace q730x::screenclip

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  using namespace q730x::screenclip;
  const std::optional<CaptureTarget> target = ParseCaptureArguments(Arguments());
  if (!target) return kUsage;
  return Capture(*target);
}
