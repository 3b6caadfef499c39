// Real captures under the test session's 1280 x 1024 screen: ScreenClip.exe
// writes PNGs of the expected size and content, and the utility starts the
// copy next to the program, never one planted in the current folder or on PATH.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/action_platform.h"
#include "model/program_folder.h"
#include "model/admin_overrides.h"
#include "override_switches.h"
#include "skin/gdi_handles.h"

namespace q730x {
namespace {

constexpr COLORREF kWindowColour = RGB(255, 0, 0);
constexpr DWORD kWaitMs = 20000;

std::wstring TestFolder() {
  static const std::wstring folder = [] {
    ComputeProgramFolder();
    return ProgramFolder();
  }();
  return folder;
}

// Dispatches this thread's messages (the test window keeps painting) until
// the process ends; its exit status, or -1 when it did not end in time.
int WaitForProcess(HANDLE process) {
  const DWORD until = GetTickCount() + kWaitMs;
  for (;;) {
    const DWORD left = until - GetTickCount();
    if (static_cast<int>(left) <= 0) return -1;
    const DWORD woke = MsgWaitForMultipleObjects(1, &process, FALSE, left, QS_ALLINPUT);
    if (woke == WAIT_OBJECT_0) break;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  DWORD status = 0;
  GetExitCodeProcess(process, &status);
  return static_cast<int>(status);
}

int RunTool(std::wstring commandLine, const std::wstring& currentFolder = std::wstring()) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      currentFolder.empty() ? nullptr : currentFolder.c_str(), &startup, &started))
    return -2;
  const int status = WaitForProcess(started.hProcess);
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
  return status;
}

std::vector<std::wstring> FilesIn(const std::wstring& folder, const wchar_t* pattern) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do names.push_back(found.cFileName);
  while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

void EmptyFolder(const std::wstring& folder) {
  for (const std::wstring& name : FilesIn(folder, L"*.*"))
    if (name != L"." && name != L"..") DeleteFileW((folder + name).c_str());
}

struct Picture {
  UINT width = 0, height = 0;
  bool loaded = false;
  std::vector<COLORREF> probes;  // the colours at the asked points
};

Picture ReadPng(const std::wstring& path, const std::vector<POINT>& points) {
  Picture picture;
  Gdiplus::Bitmap image(path.c_str());
  if (image.GetLastStatus() != Gdiplus::Ok) return picture;
  picture.loaded = true;
  picture.width = image.GetWidth();
  picture.height = image.GetHeight();
  for (const POINT& p : points) {
    Gdiplus::Color colour;
    image.GetPixel(p.x, p.y, &colour);
    picture.probes.push_back(RGB(colour.GetR(), colour.GetG(), colour.GetB()));
  }
  return picture;
}

LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

// Every test has a red 400 x 300 window at (200, 150) in front, and its
// captures go to a folder of its own through the tool's folder switch.
class ScreenClipCapture : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&gdiplus_, &input, nullptr);
    captures_ = TestFolder() + L"screenclip-captures-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    CreateDirectoryW(captures_.c_str(), nullptr);
    test::SetOverride(kCaptureFolderOverride, captures_.c_str());
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = PlainWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = background_.get();
    windowClass.lpszClassName = L"ScreenClipTestWindow";
    RegisterClassW(&windowClass);
  }
  static void TearDownTestSuite() {
    EmptyFolder(captures_);
    RemoveDirectoryW(captures_.c_str());
    test::SetOverride(kCaptureFolderOverride, nullptr);
    Gdiplus::GdiplusShutdown(gdiplus_);
  }
  void SetUp() override {
    EmptyFolder(captures_);
    window_ = CreateWindowExW(WS_EX_TOPMOST, L"ScreenClipTestWindow", L"capture me",
                              WS_POPUP | WS_VISIBLE, 200, 150, 400, 300, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window_, nullptr);
    SetForegroundWindow(window_);
    UpdateWindow(window_);
    // Let the window reach the screen before anything copies it.
    const DWORD until = GetTickCount() + 300;
    while (static_cast<int>(until - GetTickCount()) > 0) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      Sleep(10);
    }
    ASSERT_EQ(GetForegroundWindow(), window_);
  }
  void TearDown() override { DestroyWindow(window_); }

  static std::wstring Tool() { return L"\"" + TestFolder() + L"..\\dist\\ScreenClip.exe\""; }
  // The one capture in the folder, read at the given points.
  static Picture OnlyCapture(const std::vector<POINT>& points) {
    const std::vector<std::wstring> pngs = FilesIn(captures_, L"*.png");
    EXPECT_EQ(pngs.size(), 1u);
    if (pngs.size() != 1) return Picture();
    return ReadPng(captures_ + pngs[0], points);
  }

  static inline ULONG_PTR gdiplus_ = 0;
  static inline std::wstring captures_;
  static inline UniqueBrush background_{CreateSolidBrush(kWindowColour)};
  HWND window_ = nullptr;
};

TEST_F(ScreenClipCapture, DesktopIsTheWholeScreen) {
  ASSERT_EQ(RunTool(Tool() + L" -t desktop -p"), 0);
  const Picture picture = OnlyCapture({{400, 300}, {1000, 900}});
  ASSERT_TRUE(picture.loaded);
  EXPECT_EQ(picture.width, 1280u);
  EXPECT_EQ(picture.height, 1024u);
  EXPECT_EQ(picture.probes[0], kWindowColour);  // inside the window
  EXPECT_NE(picture.probes[1], kWindowColour);  // beyond it
}

TEST_F(ScreenClipCapture, WindowIsTheForegroundWindow) {
  ASSERT_EQ(RunTool(Tool() + L" -t window -p"), 0);
  const Picture picture = OnlyCapture({{0, 0}, {399, 299}});
  ASSERT_TRUE(picture.loaded);
  EXPECT_EQ(picture.width, 400u);
  EXPECT_EQ(picture.height, 300u);
  EXPECT_EQ(picture.probes[0], kWindowColour);
  EXPECT_EQ(picture.probes[1], kWindowColour);
}

TEST_F(ScreenClipCapture, RegionIsTheCentre640By480) {
  ASSERT_EQ(RunTool(Tool() + L" -t region -p"), 0);
  // The region starts at (320, 272), inside the window; its far corner is not.
  const Picture picture = OnlyCapture({{0, 0}, {279, 177}, {280, 178}, {639, 479}});
  ASSERT_TRUE(picture.loaded);
  EXPECT_EQ(picture.width, 640u);
  EXPECT_EQ(picture.height, 480u);
  EXPECT_EQ(picture.probes[0], kWindowColour);
  EXPECT_EQ(picture.probes[1], kWindowColour);  // screen (599, 449): the window's last pixel
  EXPECT_NE(picture.probes[2], kWindowColour);
  EXPECT_NE(picture.probes[3], kWindowColour);
}

TEST_F(ScreenClipCapture, OtherCommandLinesExitWithTwoAndWriteNothing) {
  EXPECT_EQ(RunTool(Tool()), 2);
  EXPECT_EQ(RunTool(Tool() + L" -t desktop"), 2);
  EXPECT_EQ(RunTool(Tool() + L" -t screen -p"), 2);
  EXPECT_EQ(RunTool(Tool() + L" -t window -p now"), 2);
  EXPECT_TRUE(FilesIn(captures_, L"*.*").size() == 2u);  // only "." and ".."
}

TEST_F(ScreenClipCapture, AFolderThatCannotBeMadeIsAFailedCapture) {
  // A folder below a file cannot exist.
  const std::wstring blocker = captures_ + L"blocker";
  CloseHandle(CreateFileW(blocker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  test::SetOverride(kCaptureFolderOverride, (blocker + L"\\below").c_str());
  const int status = RunTool(Tool() + L" -t desktop -p");
  test::SetOverride(kCaptureFolderOverride, captures_.c_str());
  EXPECT_EQ(status, 1);
  EXPECT_TRUE(FilesIn(captures_, L"*.png").empty());
}

// The utility's capture key, with a ScreenClip.exe planted both in the
// current folder and on PATH, and the real one in a program folder whose
// name holds a space.
class PlantedScreenClip : public ScreenClipCapture {
 protected:
  void SetUp() override {
    ScreenClipCapture::SetUp();
    program_ = TestFolder() + L"clip program " + std::to_wstring(GetCurrentProcessId()) + L"\\";
    planted_ = TestFolder() + L"clip planted " + std::to_wstring(GetCurrentProcessId()) + L"\\";
    CreateDirectoryW(program_.c_str(), nullptr);
    CreateDirectoryW(planted_.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW((TestFolder() + L"..\\dist\\ScreenClip.exe").c_str(),
                          (program_ + L"ScreenClip.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW((TestFolder() + L"ScreenClipDecoy.exe").c_str(),
                          (planted_ + L"ScreenClip.exe").c_str(), FALSE));
    wchar_t path[32767];
    const DWORD n = GetEnvironmentVariableW(L"PATH", path, 32767);
    path_.assign(path, n);
    SetEnvironmentVariableW(L"PATH", (planted_ + L";" + path_).c_str());
    GetCurrentDirectoryW(MAX_PATH, path);
    current_ = path;
    SetCurrentDirectoryW(planted_.c_str());
    SetProgramFolder(program_);
  }
  void TearDown() override {
    SetCurrentDirectoryW(current_.c_str());
    SetEnvironmentVariableW(L"PATH", path_.c_str());
    ComputeProgramFolder();
    EmptyFolder(program_);
    EmptyFolder(planted_);
    RemoveDirectoryW(program_.c_str());
    RemoveDirectoryW(planted_.c_str());
    ScreenClipCapture::TearDown();
  }
  bool DecoyRan() const { return GetFileAttributesW((planted_ + L"decoy-ran").c_str()) != INVALID_FILE_ATTRIBUTES; }

  std::wstring program_, planted_, path_, current_;
};

TEST_F(PlantedScreenClip, ABareNameWouldFindThePlantedOne) {
  // Proves the plant works: the old command line would have started it.
  EXPECT_EQ(RunTool(L"ScreenClip.exe -t region -p", planted_), 0);
  EXPECT_TRUE(DecoyRan());
  EXPECT_TRUE(FilesIn(captures_, L"*.png").empty());
}

TEST_F(PlantedScreenClip, TheCaptureKeyRunsTheToolNextToTheProgram) {
  ASSERT_TRUE(RunKeyEvent(0xC305, nullptr, SystemActionPlatform()));
  const DWORD until = GetTickCount() + kWaitMs;
  while (FilesIn(captures_, L"*.png").empty() && !DecoyRan() &&
         static_cast<int>(until - GetTickCount()) > 0) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(20);
  }
  Sleep(300);  // the tool may still be writing its file
  EXPECT_FALSE(DecoyRan());
  const Picture picture = OnlyCapture({});
  ASSERT_TRUE(picture.loaded);
  EXPECT_EQ(picture.width, 640u);
  EXPECT_EQ(picture.height, 480u);
}

}  // namespace
}  // namespace q730x
