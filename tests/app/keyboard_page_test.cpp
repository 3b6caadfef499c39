// The keyboard page of the running utility, used as a user uses it: the real
// pointer clicks the keys and buttons at their places in the picture, real
// keys go through the key hook library, and the results are read from the
// virtual keyboard, the registry and the profile files.
#include <gtest/gtest.h>

#include <windows.h>

#include "gui_support.h"
#include "key_input.h"
#include "markup/language_table.h"
#include "store_test_support.h"
#include "utility_process.h"
#include "virtual_keyboard_instance.h"

namespace q730x {
namespace {

using test::ClickAt;
using test::ReadRaw;
using test::WaitForWindow;
using test::WaitUntil;

// Page client points: Caps Lock (key position 17), Restore and Apply.
constexpr POINT kCapsLock{105, 222}, kRestore{682, 429}, kApply{760, 429}, kRate{743, 13};
// The report rate dialog: 125 per second, and OK.
constexpr POINT kRate125{85, 86}, kRateOk{262, 154};
// The key setting dialog: the Ctrl box of its combination page, and OK.
constexpr POINT kCtrlBox{86, 125}, kSettingOk{354, 271};
// The message box's close button.
constexpr POINT kBoxClose{315, 12};

const wchar_t kProfile0[] = L"Software\\KAVEX\\Q730X\\Profile\\0";
const std::string kCapsFactory = "00003900";  // key usage 0x39
const std::string kCtrlC = "00010600";         // 0x00060100, little-endian

std::string Hex4(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  if (bytes.size() < offset + 4) return "";
  return test::ToHex(bytes.data() + offset, 4);
}

// A visible dialog window owned by owner, or null.
HWND OwnedDialog(HWND owner) {
  struct Search {
    HWND owner, found;
  } search{owner, nullptr};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(data);
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        if (GetWindow(window, GW_OWNER) != s.owner || !IsWindowVisible(window) ||
            std::wstring(name) != L"#32770")
          return TRUE;
        s.found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

class KeyboardPageTest : public test::VirtualKeyboardSuite {
 protected:
  static void SetUpTestSuite() {
    StartKeyboard("keyboard-page");
    LanguageTable texts;
    ASSERT_TRUE(LoadLanguageTable(test::DistFolder() + L"language.xml", texts));
    title_ = texts.str_title;
  }
  void SetUp() override {
    ASSERT_TRUE(keyboard().Admin("factory"));
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\KAVEX\\Q730X");
    DeleteFileW((test::DistFolder() + L"profile\\1.cfg").c_str());
    BeforeStart();
    utility_ = std::make_unique<test::Utility>();
    main_ = WaitForWindow(title_);
    ASSERT_TRUE(main_);
    PostMessageW(main_, 0x707, 0, 0);
    ASSERT_TRUE(WaitUntil([](HWND w) { return IsWindowVisible(w) != FALSE; }, main_));
    page_ = FindWindowExW(main_, nullptr, nullptr, L"KavexQ730XKeyboardConfig");
    ASSERT_TRUE(page_);
    SetForegroundWindow(main_);
    test::Pump(300);
  }
  virtual void BeforeStart() {}
  void TearDown() override {
    if (main_) PostMessageW(main_, WM_COMMAND, 0x6001, 0);
    if (utility_) {
      EXPECT_TRUE(utility_->Ended(15000));
    }
  }

  // Caps Lock gets Ctrl+C through the key setting dialog.
  void SetCapsLockToCtrlC() {
    ClickAt(page_, kCapsLock);
    HWND setting = WaitForWindow(L"KavexQ730XSetting", 5000);
    ASSERT_TRUE(setting);
    test::Pump(300);
    ClickAt(setting, kCtrlBox);
    test::TapKey('C');
    test::Pump(200);
    ClickAt(setting, kSettingOk);
    ASSERT_TRUE(WaitUntil([](HWND w) { return !IsWindow(w); }, setting, 5000));
  }
  std::string KeyboardAt17() { return keyboard().DumpField("matrix").substr(17 * 4 * 2, 8); }
  std::string RegistryAt17() { return Hex4(ReadRaw(kProfile0, L"Matrix").bytes, 17 * 4); }
  static bool RegistryHasCtrlC(HWND) {
    return Hex4(ReadRaw(kProfile0, L"Matrix").bytes, 17 * 4) == kCtrlC;
  }
  static bool StoredRateIs125(HWND) {
    const auto config = ReadRaw(kProfile0, L"ConfigInfo").bytes;
    return config.size() >= 4 && config[0] == 125 && config[1] == 0;
  }
  // Closes an open message box without OK.
  void CloseBox(HWND box) {
    test::Pump(300);
    ClickAt(box, kBoxClose);
    ASSERT_TRUE(WaitUntil([](HWND w) { return !IsWindow(w); }, box, 5000));
  }

  static std::wstring title_;
  std::unique_ptr<test::Utility> utility_;
  HWND main_ = nullptr, page_ = nullptr;
};
std::wstring KeyboardPageTest::title_;

TEST_F(KeyboardPageTest, CapsLockGetsCtrlCAndApplyPutsItOnTheKeyboardAndInTheStore) {
  SetCapsLockToCtrlC();
  EXPECT_EQ(KeyboardAt17(), kCapsFactory) << "nothing is downloaded before Apply";
  ClickAt(page_, kApply);
  EXPECT_TRUE(keyboard().WaitForDump("attached", "1"));
  ASSERT_TRUE(WaitUntil(&RegistryHasCtrlC, nullptr, 15000));
  EXPECT_EQ(KeyboardAt17(), kCtrlC);
  EXPECT_FALSE(keyboard().LogWith("kind=32").empty()) << "the set-up request after the open";
  const test::RawValue current = ReadRaw(L"Software\\KAVEX\\Q730X", L"nCurFile");
  EXPECT_EQ(current.bytes, (std::vector<std::uint8_t>{0, 0, 0, 0}));
  EXPECT_EQ(Hex4(test::ReadFileBytes(test::DistFolder() + L"profile\\1.cfg"), 17 * 4), kCtrlC);

  // The key setting dialog is left open: the exit of TearDown must close it
  // too, for the utility to end.
  ClickAt(page_, kCapsLock);
  EXPECT_TRUE(WaitForWindow(L"KavexQ730XSetting", 5000));
}

TEST_F(KeyboardPageTest, ARefusedMatrixWriteSaysSoAndTheOldMatrixComesBack) {
  SetCapsLockToCtrlC();
  ASSERT_TRUE(keyboard().Admin("refuse 1"));
  ClickAt(page_, kApply);
  HWND box = WaitForWindow(L"Info Box", 15000);
  ASSERT_TRUE(box) << "Setting Error";
  test::PressOk(box);
  ASSERT_TRUE(WaitUntil([](HWND w) { return !IsWindow(w); }, box, 5000));
  EXPECT_EQ(KeyboardAt17(), kCapsFactory);
  // The edit is gone from memory too: the next Apply downloads the old matrix.
  ClickAt(page_, kApply);
  ASSERT_TRUE(WaitUntil([](HWND) { return !ReadRaw(kProfile0, L"ConfigInfo").bytes.empty() &&
                                          test::FileExists(test::DistFolder() + L"profile\\1.cfg") &&
                                          FindWindowW(nullptr, L"Info Box") == nullptr; },
                        nullptr, 15000));
  Sleep(1500);
  EXPECT_EQ(KeyboardAt17(), kCapsFactory);
  EXPECT_EQ(RegistryAt17(), kCapsFactory);
}

TEST_F(KeyboardPageTest, RestoreAsksFirstAndOnlyOkRestores) {
  const std::size_t writesBefore = keyboard().LogWith("key matrix written").size();
  ClickAt(page_, kRestore);
  HWND box = WaitForWindow(L"Info Box", 5000);
  ASSERT_TRUE(box);
  CloseBox(box);
  Sleep(800);
  EXPECT_EQ(keyboard().LogWith("key matrix written").size(), writesBefore) << "closed without OK";

  ClickAt(page_, kRestore);
  box = WaitForWindow(L"Info Box", 5000);
  ASSERT_TRUE(box);
  test::PressOk(box);
  // Restore sets the profile's report rate to 125 and saves after the download.
  ASSERT_TRUE(WaitUntil(&StoredRateIs125, nullptr, 15000));
  EXPECT_EQ(keyboard().LogWith("key matrix written").size(), writesBefore + 1);
}

TEST_F(KeyboardPageTest, Rate125SendsInterval8TheUtilitySurvivesTheReplugAndApplyStoresIt) {
  ClickAt(page_, kRate);
  // The dialog runs modally, owned by the main window.
  HWND dialog = nullptr;
  for (int i = 0; i < 100 && !dialog; ++i, Sleep(50)) dialog = OwnedDialog(main_);
  ASSERT_TRUE(dialog);
  test::Pump(300);
  ClickAt(dialog, kRate125);
  ClickAt(dialog, kRateOk);
  EXPECT_TRUE(keyboard().WaitForDump("interval", "8"));
  const ULONGLONG end = GetTickCount64() + 10000;
  while (keyboard().LogWith("rejoined the bus").empty() && GetTickCount64() < end) Sleep(50);
  Sleep(1000);
  ASSERT_FALSE(utility_->Ended(0)) << "an expected removal";
  EXPECT_FALSE(StoredRateIs125(nullptr)) << "nothing is stored before Apply";
  ClickAt(page_, kApply);
  EXPECT_TRUE(WaitUntil(&StoredRateIs125, nullptr, 15000));
}

// Runs q730xctl with arguments and answers its exit code.
DWORD RunSettingsTool(const std::wstring& arguments) {
  const std::wstring exe = test::DistFolder() + L"q730xctl.exe";
  std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                      nullptr, nullptr, &startup, &info))
    return DWORD(-1);
  CloseHandle(info.hThread);
  WaitForSingleObject(info.hProcess, 15000);
  DWORD code = DWORD(-1);
  GetExitCodeProcess(info.hProcess, &code);
  CloseHandle(info.hProcess);
  return code;
}

// Key position 5 of profile 1 runs notepad.exe (kind 7, the key's own index).
class KeyEventTest : public KeyboardPageTest {
 protected:
  void BeforeStart() override { ASSERT_EQ(RunSettingsTool(L"set 1 5 C7050003 notepad.exe"), 0u); }
};

TEST_F(KeyEventTest, AKeyThatRunsAProgramRunsItWithTheWindowHidden) {
  ClickAt(page_, kApply);  // the keyboard gets the action code
  ASSERT_TRUE(keyboard().WaitForDump("attached", "1"));
  const ULONGLONG end = GetTickCount64() + 15000;
  while (keyboard().DumpField("matrix").substr(5 * 8, 8) != "030005C7" && GetTickCount64() < end) Sleep(100);
  ASSERT_EQ(keyboard().DumpField("matrix").substr(5 * 8, 8), "030005C7");
  PostMessageW(main_, 0x706, 0, 0);
  ASSERT_TRUE(WaitUntil([](HWND w) { return !IsWindowVisible(w); }, main_));
  ASSERT_TRUE(keyboard().Admin("press 5"));
  HWND notepad = WaitForWindow(L"Untitled - Notepad", 15000);
  ASSERT_TRUE(notepad);
  PostMessageW(notepad, WM_CLOSE, 0, 0);
}

}  // namespace
}  // namespace q730x
