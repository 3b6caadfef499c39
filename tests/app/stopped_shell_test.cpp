// A stalled desktop shell, played by stopping Wine's explorer.exe (its
// script, run-stopped-shell.sh, stops and continues it when this test asks
// through files in the test folder). A key that runs a program is pressed
// while the shell is stopped: the utility's window must answer every probe
// within a second, a click on a key must open the key setting dialog as
// usual, the hung launch must be given up (said in the debugger output), and
// once the shell goes on the utility still runs programs.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

#include "gui_support.h"
#include "key_input.h"
#include "keyboard_page_fixture.h"

namespace q730x::test {
namespace {

constexpr char kLog[] = "stopped-shell.log";  // this test's standard error, which the utility inherits

bool FileThere(const std::wstring& name) {
  return GetFileAttributesW((TestFolder() + name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Leaves a request for the script and waits for its answer.
bool AskScript(const std::wstring& request, const std::wstring& answer) {
  HANDLE file = CreateFileW((TestFolder() + request).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  const ULONGLONG end = GetTickCount64() + 10000;
  while (!FileThere(answer)) {
    if (GetTickCount64() > end) return false;
    Sleep(20);
  }
  return true;
}

std::string LogText() {
  std::ifstream in(kLog, std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  return all.str();
}

// A window whose title starts with prefix: closed, and whether it came.
bool OpenedAndClosed(const std::wstring& prefix, DWORD ms) {
  HWND window = nullptr;
  const ULONGLONG end = GetTickCount64() + ms;
  while (!(window = VisibleWindowStartingWith(prefix)) && GetTickCount64() < end) Sleep(100);
  if (window) PostMessageW(window, WM_CLOSE, 0, 0);
  return window != nullptr;
}

// Key position 5 runs notepad.exe. The utility reports its debugger output.
class StoppedShellTest : public KeyboardPageTest {
 protected:
  void BeforeStart() override {
    ASSERT_EQ(RunSettingsTool(L"set 1 5 C7050003 notepad.exe"), 0u);
    // Wine 8 writes debugger output on its "seh" channel.
    SetEnvironmentVariableW(L"WINEDEBUG", L"warn+seh");
  }
  void TearDown() override {
    if (stopped_) AskScript(L"continue-shell", L"shell-continued");
    KeyboardPageTest::TearDown();
    SetEnvironmentVariableW(L"WINEDEBUG", L"-all");
  }
  bool stopped_ = false;
};

TEST_F(StoppedShellTest, AKeyPressedWhileTheShellHangsFreezesNothing) {
  ClickAt(page_, kApply);
  const ULONGLONG applied = GetTickCount64() + 15000;
  while (KeyboardAt(5) != "030005C7" && GetTickCount64() < applied) Sleep(100);
  ASSERT_EQ(KeyboardAt(5), "030005C7");
  Pump(500);

  ASSERT_TRUE(AskScript(L"stop-shell", L"shell-stopped")) << "run through run-stopped-shell.sh";
  stopped_ = true;
  ASSERT_TRUE(keyboard().Admin("press 5"));

  // Every probe is answered within a second while the launch hangs.
  const ULONGLONG probing = GetTickCount64() + 3000;
  int probes = 0;
  while (GetTickCount64() < probing) {
    DWORD_PTR answer = 0;
    const ULONGLONG sent = GetTickCount64();
    ASSERT_TRUE(SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &answer)) << "probe " << probes;
    EXPECT_LT(GetTickCount64() - sent, 1000u) << "probe " << probes;
    ++probes;
    Sleep(100);
  }

  // A click on a key opens the key setting dialog, as usual, and it closes.
  ClickAt(page_, kCapsLock);
  HWND setting = WaitForWindow(L"KavexQ730XSetting", 5000);
  ASSERT_TRUE(setting) << "the key setting dialog opens";
  PostMessageW(setting, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitUntil([](HWND w) { return !IsWindow(w) || !IsWindowVisible(w); }, setting, 5000));
  DWORD_PTR answer = 0;
  EXPECT_TRUE(SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &answer));

  // The hung launch is given up after a few seconds, and said so.
  const ULONGLONG givingUp = GetTickCount64() + 10000;
  while (LogText().find("is given up: notepad.exe") == std::string::npos && GetTickCount64() < givingUp)
    Sleep(100);
  EXPECT_NE(LogText().find("is given up: notepad.exe"), std::string::npos) << "the debugger output says so";

  // The shell goes on: the utility still runs programs.
  ASSERT_TRUE(AskScript(L"continue-shell", L"shell-continued"));
  stopped_ = false;
  OpenedAndClosed(L"Untitled - Notepad", 5000);  // the given-up launch, if it came late
  Pump(500);
  OpenedAndClosed(L"Untitled - Notepad", 500);
  ASSERT_TRUE(keyboard().Admin("press 5"));
  EXPECT_TRUE(OpenedAndClosed(L"Untitled - Notepad", 20000)) << "a program starts again";
  EXPECT_FALSE(utility_->Ended(0));
}

}  // namespace
}  // namespace q730x::test
