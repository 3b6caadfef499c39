// The utility started as users start it, against a private virtual keyboard:
// it starts hidden behind its tray icon, a second copy shows the first, an
// unexpected removal or the exit command ends it, a missing keyboard or a
// missing key hook library ends it with a message.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <initializer_list>
#include <string>

#include "markup/language_table.h"
#include "utility_process.h"
#include "virtual_keyboard_instance.h"

namespace q730x {
namespace {

constexpr UINT kTrayCallback = 0x600;
constexpr WORD kCommandExit = 0x6001;

using test::PressOk;
using test::QueueHandled;
using test::Utility;
using test::WaitForWindow;
using test::WaitUntil;

class ApplicationTest : public test::VirtualKeyboardSuite {
 protected:
  static void SetUpTestSuite() {
    StartKeyboard("application");
    LanguageTable texts;
    ASSERT_TRUE(LoadLanguageTable(test::DistFolder() + L"language.xml", texts));
    title_ = texts.str_title;
  }
  void SetUp() override {
    ASSERT_TRUE(keyboard().Admin("factory"));
    ASSERT_EQ(FindWindowW(nullptr, title_.c_str()), nullptr) << "a copy of the utility is still running";
  }
  static std::wstring title_;
};
std::wstring ApplicationTest::title_;

TEST_F(ApplicationTest, StartsHiddenAndASecondCopyShowsTheFirst) {
  const std::size_t readsBefore = keyboard().LogWith("reply=").size();
  Utility first;
  ASSERT_TRUE(first.running());
  HWND main = WaitForWindow(title_);
  ASSERT_TRUE(main);
  // The firmware version is read last at start; once the window has handled
  // what the start posted to it, the start is over.
  ASSERT_TRUE(keyboard().WaitForLogCount("reply=", readsBefore + 1));
  ASSERT_TRUE(QueueHandled(main));
  EXPECT_FALSE(IsWindowVisible(main));
  // Nothing can show it before the user opens it.
  SetWindowPos(main, nullptr, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
  ShowWindow(main, SW_SHOW);
  ASSERT_TRUE(QueueHandled(main));
  EXPECT_FALSE(IsWindowVisible(main));

  Utility second;
  ASSERT_TRUE(second.running());
  EXPECT_TRUE(second.Ended(15000)) << "the second copy must end at once";
  EXPECT_TRUE(WaitUntil([](HWND w) { return IsWindowVisible(w) != FALSE; }, main));
  EXPECT_EQ(FindWindowExW(nullptr, main, nullptr, title_.c_str()), nullptr) << "only one main window";

  // Once opened, it hides and shows normally.
  PostMessageW(main, 0x706, 0, 0);
  EXPECT_TRUE(WaitUntil([](HWND w) { return !IsWindowVisible(w); }, main));
  PostMessageW(main, 0x707, 0, 0);
  EXPECT_TRUE(WaitUntil([](HWND w) { return IsWindowVisible(w) != FALSE; }, main));

  PostMessageW(main, WM_COMMAND, kCommandExit, 0);
  EXPECT_TRUE(first.Ended(15000));
}

// Whether the shell holds an icon of this window and id: the shell changes
// only an icon it has (a change of nothing: no flags).
bool TrayIconThere(HWND window) {
  NOTIFYICONDATAW icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = window;
  icon.uID = 128;
  return Shell_NotifyIconW(NIM_MODIFY, &icon) != FALSE;
}

// A restarted Explorer has lost every icon and says so with "TaskbarCreated":
// the icon, the only way into a hidden utility, must come back.
TEST_F(ApplicationTest, TheTrayIconComesBackWhenTheTaskbarIsCreatedAgain) {
  Utility utility;
  HWND main = WaitForWindow(title_);
  ASSERT_TRUE(main);
  ASSERT_TRUE(WaitUntil(TrayIconThere, main)) << "no tray icon at start";
  for (int round = 0; round < 2; ++round) {
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = main;
    icon.uID = 128;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &icon));
    ASSERT_FALSE(TrayIconThere(main));
    PostMessageW(main, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(WaitUntil(TrayIconThere, main)) << "round " << round;
  }
  // A "TaskbarCreated" while the icon is still there leaves one icon.
  PostMessageW(main, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  PostMessageW(main, kTrayCallback, 0, WM_LBUTTONDBLCLK);
  EXPECT_TRUE(WaitUntil([](HWND w) { return IsWindowVisible(w) != FALSE; }, main)) << "the icon's clicks still arrive";
  EXPECT_TRUE(TrayIconThere(main));
  PostMessageW(main, WM_COMMAND, kCommandExit, 0);
  EXPECT_TRUE(utility.Ended(15000));
}

// The visible popup menus (class #32768) of other processes.
int VisibleMenus() {
  int count = 0;
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (std::wstring(name) == L"#32768" && IsWindowVisible(window) && process != GetCurrentProcessId())
          ++*reinterpret_cast<int*>(data);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  return count;
}

bool MenuCountBecomes(int count, DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  while (VisibleMenus() != count) {
    if (GetTickCount64() > end) return false;
    Sleep(50);
  }
  return true;
}

void TapEscape() {
  INPUT keys[2] = {};
  for (INPUT& key : keys) {
    key.type = INPUT_KEYBOARD;
    key.ki.wVk = VK_ESCAPE;
  }
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, keys, sizeof(INPUT));
}

// A right click reaches a version 3 icon as its button messages and then
// WM_CONTEXTMENU; the keyboard's menu key as WM_CONTEXTMENU alone. The menu
// opens once per request, and a request while it is open opens no other.
TEST_F(ApplicationTest, TheTrayMenuOpensOnTheContextMenuMessageOnlyAndOnce) {
  Utility utility;
  HWND main = WaitForWindow(title_);
  ASSERT_TRUE(main);
  ASSERT_TRUE(WaitUntil(TrayIconThere, main));
  SetCursorPos(400, 300);

  PostMessageW(main, kTrayCallback, 0, WM_RBUTTONDOWN);
  PostMessageW(main, kTrayCallback, 0, WM_RBUTTONUP);
  EXPECT_FALSE(MenuCountBecomes(1, 1000)) << "the button messages alone open no menu";

  for (int round = 0; round < 2; ++round) {
    PostMessageW(main, kTrayCallback, 0, WM_RBUTTONDOWN);
    PostMessageW(main, kTrayCallback, 0, WM_RBUTTONUP);
    PostMessageW(main, kTrayCallback, 0, WM_CONTEXTMENU);
    PostMessageW(main, kTrayCallback, 0, WM_CONTEXTMENU);  // a second request at once
    ASSERT_TRUE(MenuCountBecomes(1, 10000)) << "round " << round;
    Sleep(500);
    EXPECT_EQ(VisibleMenus(), 1) << "round " << round;
    DWORD_PTR answer = 0;
    EXPECT_TRUE(SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &answer)) << "round " << round;
    TapEscape();
    ASSERT_TRUE(MenuCountBecomes(0, 5000)) << "round " << round;
    // The request that came while the menu was open has not opened another.
    EXPECT_FALSE(MenuCountBecomes(1, 700)) << "round " << round;
  }
  PostMessageW(main, WM_COMMAND, kCommandExit, 0);
  EXPECT_TRUE(utility.Ended(15000));
}

TEST_F(ApplicationTest, UnexpectedRemovalEndsTheProgramWithoutAMessage) {
  const std::size_t readsBefore = keyboard().LogWith("reply=").size();
  Utility utility;
  HWND main = WaitForWindow(title_);
  ASSERT_TRUE(main);
  // The firmware version is read last at start, after the device
  // notifications are set up.
  ASSERT_TRUE(keyboard().WaitForLogCount("reply=", readsBefore + 1));
  ASSERT_TRUE(keyboard().Admin("unplug"));
  EXPECT_TRUE(utility.Ended(15000));
  EXPECT_EQ(FindWindowW(nullptr, L"Info Box"), nullptr);
}

TEST_F(ApplicationTest, TrayCallbackDuringStartIsHarmlessAndCloseEndsIt) {
  Utility utility;
  HWND main = WaitForWindow(title_);
  ASSERT_TRUE(main);
  SendMessageTimeoutW(main, kTrayCallback, 0, WM_MOUSEMOVE, SMTO_NORMAL, 5000, nullptr);
  EXPECT_FALSE(IsWindowVisible(main));
  // Any program may ask it to close, also with a sent message (as an
  // uninstaller does), which must end it without waiting for other input.
  SendMessageTimeoutW(main, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
  EXPECT_TRUE(utility.Ended(15000));
}

TEST_F(ApplicationTest, WithoutTheKeyboardItWaitsTwiceThenTellsAndEnds) {
  ASSERT_TRUE(keyboard().Admin("unplug"));
  Utility utility;
  HWND box = WaitForWindow(L"Info Box");
  ASSERT_TRUE(box);
  EXPECT_GE(utility.ElapsedMs(), 1000u) << "two tries, each followed by 500 ms";
  EXPECT_EQ(FindWindowW(nullptr, title_.c_str()), nullptr);
  PressOk(box);
  EXPECT_TRUE(utility.Ended(15000));
}

TEST_F(ApplicationTest, ADriverThatNeverOpensIsRetriedSixTimesThenToldAndTheProgramEnds) {
  ASSERT_TRUE(keyboard().Admin("refuse 1000"));
  Utility utility;
  HWND main = WaitForWindow(title_);
  ASSERT_TRUE(main) << "the keyboard is there: the start goes on to the keyboard page";
  const ULONGLONG pageMade = GetTickCount64();
  HWND box = WaitForWindow(L"Info Box");
  ASSERT_TRUE(box);
  EXPECT_GE(GetTickCount64() - pageMade, 2500u) << "six retries, 500 ms apart";
  PressOk(box);
  EXPECT_TRUE(utility.Ended(15000));
  ASSERT_TRUE(keyboard().Admin("refuse 0"));
}

TEST_F(ApplicationTest, TheFirmwareLoaderAloneIsEnoughToStart) {
  ASSERT_TRUE(keyboard().Admin("loader on"));
  Utility utility;
  HWND main = WaitForWindow(title_);
  ASSERT_TRUE(main);
  PostMessageW(main, WM_COMMAND, kCommandExit, 0);
  EXPECT_TRUE(utility.Ended(15000));
}

// The burn tool's words (0x70A to 0x70C) count only while a firmware update
// runs: from anyone else they neither cover the utility with the progress
// box nor tell of an update's end, nor end the program. An update's own
// words are tested with the burn tool (firmware_update_test).
TEST_F(ApplicationTest, FirmwareUpdateWordsOutsideAnUpdateAreIgnored) {
  Utility utility;
  HWND main = WaitForWindow(title_);
  ASSERT_TRUE(main);
  PostMessageW(main, 0x707, 0, 0);
  ASSERT_TRUE(WaitUntil([](HWND w) { return IsWindowVisible(w) != FALSE; }, main));
  PostMessageW(main, 0x70A, 1, 40);
  PostMessageW(main, 0x70B, 0, 0);
  PostMessageW(main, 0x70A, 1, 10);
  PostMessageW(main, 0x70C, 0, 0);
  DWORD_PTR answer = 0;
  ASSERT_TRUE(SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer)) << "all four were handled";
  EXPECT_FALSE(utility.Ended(1000));
  HWND progress = FindWindowW(nullptr, L"ProgressDlg.");
  EXPECT_FALSE(progress && IsWindowVisible(progress));
  HWND box = FindWindowW(nullptr, L"Info Box");
  EXPECT_FALSE(box && IsWindowVisible(box));
  EXPECT_TRUE(IsWindowVisible(main));
  PostMessageW(main, WM_COMMAND, kCommandExit, 0);
  EXPECT_TRUE(utility.Ended(15000));
}

TEST_F(ApplicationTest, MissingKeyHookLibraryIsToldAndEndsTheProgram) {
  // A copy of the program in a folder of its own, with its texts but no KeyTap.dll.
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"q730x-no-keytap\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  ASSERT_TRUE(CopyFileW((test::DistFolder() + L"Q730X.exe").c_str(), (folder + L"Q730X.exe").c_str(), FALSE));
  ASSERT_TRUE(CopyFileW((test::DistFolder() + L"language.xml").c_str(), (folder + L"language.xml").c_str(), FALSE));
  DeleteFileW((folder + L"KeyTap.dll").c_str());
  {
    Utility utility(folder + L"Q730X.exe");
    HWND box = WaitForWindow(L"Info Box");
    ASSERT_TRUE(box);
    EXPECT_EQ(FindWindowW(nullptr, title_.c_str()), nullptr);
    PressOk(box);
    EXPECT_TRUE(utility.Ended(15000));
  }
  DeleteFileW((folder + L"Q730X.exe").c_str());
  DeleteFileW((folder + L"language.xml").c_str());
  RemoveDirectoryW(folder.c_str());
}

void PressKeys(std::initializer_list<WORD> keys) {
  for (WORD key : keys) {
    INPUT input[2]{};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
  }
}

TEST_F(ApplicationTest, EnterAndEscapeOnTheOpenWindowLeaveItRunning) {
  Utility utility;
  HWND main = WaitForWindow(title_);
  ASSERT_TRUE(main);
  PostMessageW(main, 0x707, 0, 0);
  ASSERT_TRUE(WaitUntil([](HWND w) { return IsWindowVisible(w) != FALSE; }, main));
  SetForegroundWindow(main);
  ASSERT_TRUE(WaitUntil([](HWND w) { return GetForegroundWindow() == w; }, main));
  PressKeys({VK_RETURN, VK_ESCAPE, VK_RETURN});
  // Keys that closed the window would leave nothing to answer: a round for
  // each of the six key messages, for the hook's report of each, and one more.
  EXPECT_TRUE(QueueHandled(main, 13)) << "only the close sequence ends the program";
  EXPECT_FALSE(utility.Ended(0));
  EXPECT_TRUE(IsWindowVisible(main));
  PostMessageW(main, WM_COMMAND, kCommandExit, 0);
  EXPECT_TRUE(utility.Ended(15000));
}

TEST_F(ApplicationTest, ACloseDuringAModalLoopInsideAHandlerWaitsForItAndEnds) {
  Utility utility;
  HWND main = WaitForWindow(title_);
  ASSERT_TRUE(main);
  PostMessageW(main, 0x707, 0, 0);
  ASSERT_TRUE(WaitUntil([](HWND w) { return IsWindowVisible(w) != FALSE; }, main));
  // The hidden system command runs the plain about box modally inside the
  // main window's handler; a close request from another program comes meanwhile.
  PostMessageW(main, WM_SYSCOMMAND, 0x10, 0);
  HWND about = WaitForWindow(L"About Q730X");
  ASSERT_TRUE(about);
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(utility.Ended(15000)) << "the inner dialog is ended first, then the program closes";
  EXPECT_FALSE(IsWindow(about));
}

// A window of another program titled like the key setting dialog, noting
// any close request it gets.
bool settingWindowAskedToClose = false;
LRESULT CALLBACK NoteClose(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) return settingWindowAskedToClose = true, 0;
  return DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(ApplicationTest, ClosingLeavesAnotherProgramsWindowWithOurTitleAlone) {
  WNDCLASSW settingClass{};
  settingClass.lpfnWndProc = &NoteClose;
  settingClass.hInstance = GetModuleHandleW(nullptr);
  settingClass.lpszClassName = L"SettingStandIn";
  RegisterClassW(&settingClass);
  HWND setting = CreateWindowExW(0, L"SettingStandIn", L"KavexQ730XSetting", WS_POPUP, 0, 0, 10, 10,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_TRUE(setting);
  settingWindowAskedToClose = false;
  Utility utility;
  HWND main = WaitForWindow(title_);
  ASSERT_TRUE(main);
  PostMessageW(main, WM_COMMAND, kCommandExit, 0);
  const ULONGLONG end = GetTickCount64() + 15000;
  while (!utility.Ended(0) && GetTickCount64() < end) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(20);
  }
  EXPECT_TRUE(utility.Ended(0));
  EXPECT_FALSE(settingWindowAskedToClose) << "only the utility's own windows are closed";
  DestroyWindow(setting);
}

// Counts the tray messages a window of ours, without a title, receives.
int foreignTrayMessages = 0;
LRESULT CALLBACK CountTrayMessages(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kTrayCallback) ++foreignTrayMessages;
  return DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(ApplicationTest, WithoutTextsASecondCopyFindsTheFirstByItsClassOnly) {
  // Copies of the program without a language file: their title is empty.
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"q730x-no-texts\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  for (const wchar_t* file : {L"Q730X.exe", L"KeyTap.dll", L"HidBridge.dll"})
    ASSERT_TRUE(CopyFileW((test::DistFolder() + file).c_str(), (folder + file).c_str(), FALSE));
  DeleteFileW((folder + L"language.xml").c_str());

  // Another program's window without a title, on top of every other.
  WNDCLASSW foreignClass{};
  foreignClass.lpfnWndProc = &CountTrayMessages;
  foreignClass.hInstance = GetModuleHandleW(nullptr);
  foreignClass.lpszClassName = L"ForeignUntitled";
  RegisterClassW(&foreignClass);
  {
    Utility first(folder + L"Q730X.exe");
    HWND main = nullptr;
    for (int i = 0; i < 400 && !main; ++i, Sleep(50)) main = FindWindowW(L"Q730XMainWindow", nullptr);
    ASSERT_TRUE(main);
    HWND foreign = CreateWindowExW(WS_EX_TOPMOST, L"ForeignUntitled", L"", WS_POPUP, 0, 0, 10, 10,
                                   nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(foreign);
    foreignTrayMessages = 0;
    Utility second(folder + L"Q730X.exe");
    EXPECT_TRUE(second.Ended(15000));
    EXPECT_TRUE(WaitUntil([](HWND w) { return IsWindowVisible(w) != FALSE; }, main))
        << "the first copy shows its window";
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    EXPECT_EQ(foreignTrayMessages, 0) << "nothing is posted to another program's window";
    DestroyWindow(foreign);
    PostMessageW(main, WM_COMMAND, kCommandExit, 0);
    EXPECT_TRUE(first.Ended(15000));
  }
  for (const wchar_t* file : {L"Q730X.exe", L"KeyTap.dll", L"HidBridge.dll"})
    DeleteFileW((folder + file).c_str());
  RemoveDirectoryW(folder.c_str());
}

}  // namespace
}  // namespace q730x
