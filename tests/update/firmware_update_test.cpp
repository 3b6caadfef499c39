// The update check and the firmware update in the running utility, as a user
// goes through them: About from the tray menu, the check buttons, the prompt,
// the firmware download, the burn tool (FWUpdate\Q730XBurn.exe) burning the
// virtual keyboard, and the end of the update. The utility talks to the
// session's local update server; what its boxes say is read from the screen.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <thread>

#include "gui_support.h"
#include "markup/language_table.h"
#include "screen_text.h"
#include "skin/skin_files.h"
#include "update_server_folder.h"
#include "update_windows.h"
#include "utility_process.h"
#include "virtual_keyboard_instance.h"
#include "window_driver.h"

namespace q730x {
namespace {

using test::ClickButton;
using test::ReadWholeFile;
using test::VisibleWindows;
using test::WaitForVisible;
using test::WaitUntil;

constexpr UINT kTrayCallback = 0x600, kStartBurnTool = 0x709, kFirmwareDone = 0x70B, kFirmwareFailed = 0x70C;
constexpr WORD kCommandExit = 0x6001, kCommandAbout = 0x6002;
using test::kAboutSize, test::kBoxText, test::kFirmwareCheck, test::kFirmwareLine, test::kImagePath,
    test::kMessageBoxSize, test::kPromptOk, test::kPromptSize, test::kPromptText, test::kUtilityCheck;

HWND MessageBoxShown(DWORD ms = 15000) { return WaitForVisible(L"Info Box", kMessageBoxSize, ms); }

class FirmwareUpdateSuite : public test::VirtualKeyboardSuite {
 protected:
  static void LoadTexts() {
    ASSERT_TRUE(LoadLanguageTable(test::DistFolder() + L"language.xml", texts_));
    ASSERT_TRUE(server_.available()) << "the test session started no update server (python3?)";
    test::SetOverride(kUpdateServerOverride, server_.Address().c_str());
    DeleteFileW(ImageFile().c_str());
    if (!boxPicture_)
      LoadSkinBitmap(test::DistFolder() + L"skins\\messagebox\\Message_Normal.bmp", boxPicture_, nullptr);
  }
  static std::wstring ImageFile() { return test::DistFolder() + L"FWUpdate\\KavexGameDevice.MTP"; }
  static bool PutImageFile(const std::string& bytes) {
    HANDLE file = CreateFileW(ImageFile().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    const bool ok = file != INVALID_HANDLE_VALUE && WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return ok && written == bytes.size();
  }
  // Starts the utility and waits for its keyboard page; with a keyboard on
  // the bus also for the firmware version, read last at start.
  static HWND StartUtility(std::unique_ptr<test::Utility>& utility, bool keyboardPresent = true) {
    const std::size_t repliesBefore = keyboard().LogWith("reply=").size();
    utility = std::make_unique<test::Utility>();
    HWND main = test::WaitForWindow(texts_.str_title);
    if (!main) return nullptr;
    if (!WaitUntil([](HWND w) { return FindWindowExW(w, nullptr, nullptr, L"KavexQ730XKeyboardConfig") != nullptr; },
                   main))
      return nullptr;
    const ULONGLONG end = GetTickCount64() + 10000;
    while (keyboardPresent && keyboard().LogWith("reply=").size() == repliesBefore && GetTickCount64() < end)
      Sleep(50);
    return main;
  }
  // Waits for the message box, checks what it says and presses OK.
  static void ExpectMessageAndOk(const std::wstring& text) {
    HWND box = MessageBoxShown();
    ASSERT_TRUE(box) << "no message box";
    EXPECT_TRUE(test::ShowsText(box, boxPicture_.get(), text, kBoxText));
    test::PressOk(box);
    EXPECT_TRUE(WaitUntil([](HWND w) { return !IsWindowVisible(w); }, box, 5000));
  }
  static std::string Firmware(const std::string& current, const std::string& sha256) {
    return server_.FirmwarePart(current, kImagePath, sha256);
  }

  static LanguageTable texts_;
  static test::UpdateServerFolder server_;
  static UniqueBitmap boxPicture_;
};
LanguageTable FirmwareUpdateSuite::texts_;
test::UpdateServerFolder FirmwareUpdateSuite::server_;
UniqueBitmap FirmwareUpdateSuite::boxPicture_;

// One utility for the whole road, in this order: the answers of the check,
// the refused image, the utility check, the firmware update, and the exit.
class FirmwareRoadTest : public FirmwareUpdateSuite {
 protected:
  static void SetUpTestSuite() {
    StartKeyboard("firmware-road");
    keyboard().Admin("factory");  // firmware 1.2
    LoadTexts();
    server_.SetFaults("");
    main_ = StartUtility(utility_);
    about_ = nullptr;
  }
  static void TearDownTestSuite() {
    if (utility_ && utility_->running() && !utility_->Ended(0)) {
      PostMessageW(main_, WM_COMMAND, kCommandExit, 0);
    }
    if (utility_) utility_->Ended(15000);
    utility_.reset();
    server_.SetFaults("");
    // The deployable folder keeps no downloads of the tests.
    DeleteFileW(ImageFile().c_str());
    DeleteFileW((test::DistFolder() + L"FWUpdate\\newver.xml").c_str());
    VirtualKeyboardSuite::TearDownTestSuite();
  }
  void SetUp() override { ASSERT_TRUE(main_ && utility_->running()); }

  // Opens About from the tray menu's command and presses a check button.
  static HWND OpenAbout() {
    PostMessageW(main_, WM_COMMAND, kCommandAbout, 0);
    about_ = WaitForVisible(L"About Box", kAboutSize);
    return about_;
  }
  static void Check(POINT button) {
    ASSERT_TRUE(OpenAbout());
    EXPECT_TRUE(ClickButton(about_, button));
    EXPECT_TRUE(WaitUntil([](HWND w) { return !IsWindowVisible(w); }, about_, 5000)) << "a check hides About";
  }

  static std::unique_ptr<test::Utility> utility_;
  static HWND main_, about_;
};
std::unique_ptr<test::Utility> FirmwareRoadTest::utility_;
HWND FirmwareRoadTest::main_ = nullptr;
HWND FirmwareRoadTest::about_ = nullptr;

TEST_F(FirmwareRoadTest, TheCheckAnswersAnOverlongVersionABrokenDescriptionAndAServerError) {
  ASSERT_TRUE(OpenAbout());
  HBITMAP aboutPicture = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(170));
  EXPECT_TRUE(test::ShowsText(about_, aboutPicture, texts_.str_fwversion + L": v1.2", kFirmwareLine));
  DeleteObject(aboutPicture);
  ShowWindow(about_, SW_HIDE);

  ASSERT_TRUE(server_.PutDescription(Firmware("V1.30", ""), ""));
  const test::FileRewrite description(test::DistFolder() + L"FWUpdate\\newver.xml");
  Check(kFirmwareCheck);
  // The check's thread reads the description once it is whole and would post
  // its answer right after; give that post a moment, then let About take it.
  EXPECT_TRUE(description.Wait());
  Sleep(200);
  EXPECT_TRUE(test::QueueHandled(about_));
  EXPECT_TRUE(VisibleWindows(L"Info Box", kMessageBoxSize).empty()) << "V1.30: no message at all";
  EXPECT_TRUE(VisibleWindows(L"Info Box", kPromptSize).empty());

  ASSERT_TRUE(server_.Put("/software/Q730X/newver.xml", "<update><firmware><current>V1.3</firmware>"));
  Check(kFirmwareCheck);
  ExpectMessageAndOk(texts_.str_updateerror2);

  server_.SetFaults("/software/Q730X/newver.xml 404\n");
  Check(kFirmwareCheck);
  ExpectMessageAndOk(texts_.str_updateerror3);
  server_.SetFaults("");
}

TEST_F(FirmwareRoadTest, AnImageThatFailsItsDigestIsDeletedAndNeverBurned) {
  const std::string image = test::FirmwareImage("1.3");
  ASSERT_TRUE(server_.Put(kImagePath, image));
  std::string wrong = test::Sha256Hex(image);
  wrong[0] = wrong[0] == '0' ? '1' : '0';
  ASSERT_TRUE(server_.PutDescription(Firmware("V1.3", wrong), ""));
  Check(kFirmwareCheck);
  HWND prompt = WaitForVisible(L"Info Box", kPromptSize);
  ASSERT_TRUE(prompt);
  HBITMAP promptPicture = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(171));
  EXPECT_TRUE(test::ShowsText(prompt, promptPicture, texts_.str_updateprompt1, kPromptText));
  DeleteObject(promptPicture);
  EXPECT_TRUE(ClickButton(prompt, kPromptOk));
  ExpectMessageAndOk(texts_.str_updateerror2);
  EXPECT_EQ(GetFileAttributesW(ImageFile().c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(keyboard().LogWith("loader on").empty()) << "the burn tool never ran";
  EXPECT_EQ(keyboard().DumpField("version"), "1.2");
}

TEST_F(FirmwareRoadTest, ANewerUtilityIsOpenedThroughTheShell) {
  // The location is a command file that leaves a mark when the shell opens it.
  const std::wstring probe = test::TestFolder() + L"driver-link-probe.cmd";
  const std::wstring mark = test::TestFolder() + L"driver-link-opened.txt";
  DeleteFileW(mark.c_str());
  {
    HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    const std::string script = "@echo opened> \"%~dp0driver-link-opened.txt\"\r\n";
    DWORD written = 0;
    WriteFile(file, script.data(), DWORD(script.size()), &written, nullptr);
    CloseHandle(file);
  }
  const std::string link(probe.begin(), probe.end());
  ASSERT_TRUE(server_.PutDescription(Firmware("V1.3", ""), "<current>V2.0</current><newfile>" + link + "</newfile>"));
  Check(kUtilityCheck);
  HWND prompt = WaitForVisible(L"Info Box", kPromptSize);
  ASSERT_TRUE(prompt);
  HBITMAP promptPicture = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(171));
  EXPECT_TRUE(test::ShowsText(prompt, promptPicture, texts_.str_updateprompt3, kPromptText));
  DeleteObject(promptPicture);
  EXPECT_TRUE(ClickButton(prompt, kPromptOk));
  EXPECT_TRUE(WaitUntil([](HWND) { return !ReadWholeFile(test::TestFolder() + L"driver-link-opened.txt").empty(); },
                        nullptr, 15000))
      << "the link never reached the shell";
  EXPECT_TRUE(WaitUntil([](HWND w) { return !IsWindowVisible(w); }, prompt, 5000));
}

TEST_F(FirmwareRoadTest, NewerFirmwareIsDownloadedBurnedAndReadBack) {
  const std::string image = test::FirmwareImage("1.3");
  ASSERT_TRUE(server_.Put(kImagePath, image));
  ASSERT_TRUE(server_.PutDescription(Firmware("V1.3", test::Sha256Hex(image)), ""));
  Check(kFirmwareCheck);
  HWND prompt = WaitForVisible(L"Info Box", kPromptSize);
  ASSERT_TRUE(prompt);
  const ULONGLONG accepted = GetTickCount64();
  EXPECT_TRUE(ClickButton(prompt, kPromptOk));

  HWND progress = nullptr;
  for (int i = 0; i < 300 && !progress; ++i) {
    if (HWND box = FindWindowW(nullptr, L"ProgressDlg.")) progress = IsWindowVisible(box) ? box : nullptr;
    Sleep(50);
  }
  ASSERT_TRUE(progress) << "the progress box never showed";
  EXPECT_FALSE(IsWindowVisible(main_)) << "the main window hides during the update";
  // During the update the tray does nothing, and the keyboard may leave the bus.
  PostMessageW(main_, kTrayCallback, 0, WM_LBUTTONDBLCLK);
  ASSERT_TRUE(keyboard().WaitForDump("loader", "1", 15000));
  ASSERT_TRUE(keyboard().WaitForDump("version", "1.3", 15000));
  const ULONGLONG burned = GetTickCount64();
  ASSERT_TRUE(keyboard().WaitForDump("loader", "0", 15000));
  EXPECT_FALSE(IsWindowVisible(main_));
  EXPECT_TRUE(utility_->running() && !utility_->Ended(0));

  HWND box = MessageBoxShown();
  ASSERT_TRUE(box);
  const ULONGLONG told = GetTickCount64();
  EXPECT_TRUE(test::ShowsText(box, boxPicture_.get(), texts_.str_updateover1, kBoxText));
  EXPECT_FALSE(IsWindowVisible(progress));
  EXPECT_EQ(ReadWholeFile(ImageFile()), image) << "the image arrives byte for byte";
  std::printf("accept to version 1.3: %llu ms, to the message: %llu ms (the burn tool's own steps: 2000 ms)\n",
              burned - accepted, told - accepted);
  test::PressOk(box);
  EXPECT_FALSE(utility_->Ended(1000)) << "the utility carries on";

  // About reads the version again: the HID link was reopened.
  ASSERT_TRUE(OpenAbout());
  HBITMAP aboutPicture = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(170));
  EXPECT_TRUE(test::ShowsText(about_, aboutPicture, texts_.str_fwversion + L": v1.3", kFirmwareLine, 5000));
  DeleteObject(aboutPicture);
  ShowWindow(about_, SW_HIDE);

  // The same version again: nothing newer.
  Check(kFirmwareCheck);
  ExpectMessageAndOk(texts_.str_updateerror5);
}

TEST_F(FirmwareRoadTest, ExitLeavesAHungWindowOfAnotherProgramAlone) {
  // A window titled like our message box whose thread never answers.
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HWND foreign = nullptr;
  HANDLE created = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread hung([&] {
    // Topmost and newest: the first window of that title a search finds.
    foreign = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"Info Box", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              nullptr, nullptr);
    SetEvent(created);
    WaitForSingleObject(release, INFINITE);
    DestroyWindow(foreign);
  });
  WaitForSingleObject(created, 5000);
  PostMessageW(main_, WM_COMMAND, kCommandExit, 0);
  EXPECT_TRUE(utility_->Ended(15000)) << "the exit waited for a foreign window";
  SetEvent(release);
  hung.join();
  CloseHandle(release);
  CloseHandle(created);
}

// Utilities of their own: the burn tool missing, two ends reported at once,
// a start with only the loader on the bus, a damaged image.
class FirmwareEndsTest : public FirmwareUpdateSuite {
 protected:
  static void SetUpTestSuite() {
    StartKeyboard("firmware-ends");
    LoadTexts();
  }
  void SetUp() override { ASSERT_TRUE(keyboard().Admin("factory")); }
  void TearDown() override {
    if (utility_ && !utility_->Ended(0)) PostMessageW(main_, WM_COMMAND, kCommandExit, 0);
    if (utility_) {
      EXPECT_TRUE(utility_->Ended(15000));
    }
    DeleteFileW(ImageFile().c_str());
  }
  HWND Page() { return FindWindowExW(main_, nullptr, nullptr, L"KavexQ730XKeyboardConfig"); }
  // One of the test's own burn tools (beside this test) in the real one's place.
  static bool PutBurnTool(const wchar_t* name) {
    wchar_t self[MAX_PATH] = {};
    std::wstring tool(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
    tool = tool.substr(0, tool.find_last_of(L'\\') + 1) + name;
    return CopyFileW(tool.c_str(), (test::DistFolder() + L"FWUpdate\\Q730XBurn.exe").c_str(), FALSE) != FALSE;
  }

  std::unique_ptr<test::Utility> utility_;
  HWND main_ = nullptr;
};

TEST_F(FirmwareEndsTest, AMissingBurnToolSaysSoAndTheUtilityCarriesOnThenTwoEndsComeOneAtATime) {
  main_ = StartUtility(utility_);
  ASSERT_TRUE(main_);
  {
    test::FileSetAside tool(test::DistFolder() + L"FWUpdate\\Q730XBurn.exe");
    PostMessageW(Page(), kStartBurnTool, 0, 0);
    ExpectMessageAndOk(texts_.str_updateover2);
  }
  EXPECT_TRUE(test::QueueHandled(main_)) << "the utility carries on";
  EXPECT_FALSE(utility_->Ended(0));
  HWND progress = FindWindowW(nullptr, L"ProgressDlg.");
  EXPECT_FALSE(progress && IsWindowVisible(progress));
  PostMessageW(main_, kTrayCallback, 0, WM_LBUTTONDBLCLK);
  EXPECT_TRUE(WaitUntil([](HWND w) { return IsWindowVisible(w) != FALSE; }, main_)) << "the tray works again";

  // Done and failed at once, during an update: one box at a time, the
  // failure last, then the end.
  test::FileSetAside real(test::DistFolder() + L"FWUpdate\\Q730XBurn.exe");
  ASSERT_TRUE(PutBurnTool(L"WaitingBurnTool.exe"));
  PostMessageW(Page(), kStartBurnTool, 0, 0);
  ASSERT_TRUE(progress = test::WaitForVisible(L"ProgressDlg.", SIZE{}, 10000)) << "the update shows its box";
  PostMessageW(main_, kFirmwareDone, 0, 0);
  PostMessageW(main_, kFirmwareFailed, 0, 0);
  HWND first = MessageBoxShown();
  ASSERT_TRUE(first);
  // The box's own loop has gone past the second post by now.
  EXPECT_TRUE(test::QueueHandled(main_));
  EXPECT_EQ(VisibleWindows(L"Info Box", kMessageBoxSize).size(), 1u) << "no nested boxes";
  EXPECT_TRUE(test::ShowsText(first, boxPicture_.get(), texts_.str_updateover1, kBoxText));
  test::PressOk(first);
  // The next box may only be looked for once the first is gone, or the search finds the closing one.
  ASSERT_TRUE(WaitUntil([](HWND w) { return !IsWindow(w) || !IsWindowVisible(w); }, first, 5000));
  ExpectMessageAndOk(texts_.str_updateover2);
  EXPECT_TRUE(utility_->Ended(15000)) << "a failed update ends the program";
  EXPECT_TRUE(WaitUntil([](HWND) { return !test::ProcessRunning(L"Q730XBurn.exe"); }, nullptr, 5000));
  DeleteFileW((test::DistFolder() + L"FWUpdate\\Q730XBurn.exe").c_str());
}

// Without its last word the update would stay "running": the tray icon
// would ignore every click for ever. The tool's end fails the update.
TEST_F(FirmwareEndsTest, ABurnToolThatEndsWithoutAWordFailsTheUpdateAndEndsTheProgram) {
  main_ = StartUtility(utility_);
  ASSERT_TRUE(main_);
  const std::wstring tool = test::DistFolder() + L"FWUpdate\\Q730XBurn.exe";
  test::FileSetAside real(tool);
  wchar_t self[MAX_PATH] = {};
  std::wstring silent(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
  silent = silent.substr(0, silent.find_last_of(L'\\') + 1) + L"SilentBurnTool.exe";  // beside this test
  ASSERT_TRUE(CopyFileW(silent.c_str(), tool.c_str(), FALSE));
  PostMessageW(Page(), kStartBurnTool, 0, 0);
  ExpectMessageAndOk(texts_.str_updateover2);
  EXPECT_TRUE(utility_->Ended(15000)) << "a failed update ends the program";
  DeleteFileW(tool.c_str());
}

TEST_F(FirmwareEndsTest, OnlyTheLoaderOnTheBusFinishesTheUpdateThenADamagedImageEndsTheProgram) {
  ASSERT_TRUE(PutImageFile(test::FirmwareImage("1.4")));
  ASSERT_TRUE(keyboard().Admin("loader on"));
  main_ = StartUtility(utility_, false);
  ASSERT_TRUE(main_);
  ASSERT_TRUE(keyboard().WaitForDump("version", "1.4", 20000)) << "the burn tool was not started";
  ASSERT_TRUE(keyboard().WaitForDump("loader", "0", 15000));
  ExpectMessageAndOk(texts_.str_updateover1);
  EXPECT_FALSE(utility_->Ended(500));

  ASSERT_TRUE(PutImageFile("Q730X firmware\nno version here"));
  PostMessageW(Page(), kStartBurnTool, 0, 0);
  ExpectMessageAndOk(texts_.str_updateover2);
  EXPECT_TRUE(utility_->Ended(15000)) << "a failed update ends the program";
  EXPECT_EQ(keyboard().DumpField("version"), "1.4");
  EXPECT_EQ(keyboard().DumpField("loader"), "0");
}

}  // namespace
}  // namespace q730x
