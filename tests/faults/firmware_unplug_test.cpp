// The keyboard pulled out at each stage of a firmware update in the running
// utility: while the image comes from the update server, while the burn
// tool has it in its loader, and as it comes back from the loader before
// the utility could read it. Each ends cleanly: a message or the
// absent-device road, no hang, no crash, no burn tool left running. Before
// the first, hostile answers to the check bring About back after their message.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <functional>
#include <memory>

#include "markup/language_table.h"
#include "update_server_folder.h"
#include "update_windows.h"
#include "utility_process.h"
#include "virtual_keyboard_instance.h"
#include "window_driver.h"

namespace q730x {
namespace {

using test::ClickButton;
using test::Eventually;
using test::VisibleWindows;
using test::WaitForVisible;
using test::WaitUntil;

constexpr WORD kCommandExit = 0x6001, kCommandAbout = 0x6002;
using test::kAboutSize, test::kBoxOk, test::kFirmwareCheck, test::kMessageBoxSize, test::kPromptOk, test::kPromptSize;
const std::string kImagePath = test::kImagePath;
const std::string kDescriptionPath = "/software/Q730X/newver.xml";

struct Tally {
  int tried = 0, survived = 0, dataLost = 0;
};
Tally tally;

class FirmwareUnplugTest : public test::VirtualKeyboardSuite {
 protected:
  static void SetUpTestSuite() {
    StartKeyboard("firmware-unplug");
    ASSERT_TRUE(LoadLanguageTable(test::DistFolder() + L"language.xml", texts_));
    ASSERT_TRUE(server_.available()) << "the test session started no update server (python3?)";
    test::SetOverride(kUpdateServerOverride, server_.Address().c_str());
  }
  static void TearDownTestSuite() {
    std::printf("unplugged during a firmware update: %d tried, %d survived, %d lost data\n", tally.tried,
                tally.survived, tally.dataLost);
    server_.SetFaults("");
    DeleteFileW(ImageFile().c_str());
    DeleteFileW((ImageFile() + L".part").c_str());
    DeleteFileW((test::DistFolder() + L"FWUpdate\\newver.xml").c_str());
    VirtualKeyboardSuite::TearDownTestSuite();
  }
  void SetUp() override {
    ASSERT_TRUE(keyboard().Admin("factory"));  // firmware 1.2, on the bus
    server_.SetFaults("");
    DeleteFileW(ImageFile().c_str());
    const std::string image = test::FirmwareImage("1.3");
    ASSERT_TRUE(server_.Put(kImagePath, image));
    const std::wstring url = server_.Url(kImagePath);
    ASSERT_TRUE(server_.PutDescription("<current>V1.3</current><newfile>" + std::string(url.begin(), url.end()) +
                                           "</newfile><sha256>" + test::Sha256Hex(image) + "</sha256>",
                                       ""));
    const std::size_t repliesBefore = keyboard().LogWith("reply=").size();
    utility_ = std::make_unique<test::Utility>();
    main_ = test::WaitForWindow(texts_.str_title);
    ASSERT_TRUE(main_);
    // The firmware version is read last at the start.
    keyboard().WaitForLogCount("reply=", repliesBefore + 1);
  }
  void TearDown() override {
    if (!utility_->Ended(0)) PostMessageW(main_, WM_COMMAND, kCommandExit, 0);
    EXPECT_TRUE(utility_->Ended(15000));
    EXPECT_TRUE(WaitUntil([](HWND) { return !test::ProcessRunning(L"Q730XBurn.exe"); }, nullptr, 10000))
        << "a burn tool is left running";
    keyboard().Admin("plug");
    keyboard().Admin("loader off");
  }

  static std::wstring ImageFile() { return test::DistFolder() + L"FWUpdate\\KavexGameDevice.MTP"; }

  // About, its firmware check, and, when the check offers newer firmware, OK on the prompt.
  static void CheckAndAccept() {
    PostMessageW(main_, WM_COMMAND, kCommandAbout, 0);
    HWND about = WaitForVisible(L"About Box", kAboutSize);
    ASSERT_TRUE(about);
    EXPECT_TRUE(ClickButton(about, kFirmwareCheck));
    HWND prompt = WaitForVisible(L"Info Box", kPromptSize);
    ASSERT_TRUE(prompt) << "no prompt";
    EXPECT_TRUE(ClickButton(prompt, kPromptOk));
  }
  // Presses OK on every message box the utility shows until it ends or
  // shows none for two seconds; answers how many there were.
  static int AnswerBoxesUntilQuiet() {
    int boxes = 0;
    for (;;) {
      HWND box = nullptr;
      Eventually([&] {
        const auto shown = VisibleWindows(L"Info Box", kMessageBoxSize);
        box = shown.empty() ? nullptr : shown.front();
        return box || utility_->Ended(0);
      }, 2000);
      if (!box || utility_->Ended(0)) return boxes;
      ++boxes;
      // The box may go unanswered: the utility ends on the keyboard's removal.
      if (!ClickButton(box, kBoxOk)) continue;
      WaitUntil([](HWND w) { return !IsWindow(w) || !IsWindowVisible(w); }, box, 5000);
    }
  }
  // How a case ended, counted and printed: the utility ended (or answers
  // and ends on the exit command), no crash, no burn tool left; and whether
  // what the update touches (the image file, the keyboard) was kept whole.
  void Account(const char* stage, int boxes, const std::function<bool()>& dataKept) {
    ++tally.tried;
    bool ended = utility_->Ended(15000);
    const bool answered = ended || SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    const char* road = ended ? "ended" : "carried on";
    if (!ended) {
      PostMessageW(main_, WM_COMMAND, kCommandExit, 0);
      ended = utility_->Ended(15000);
    }
    const bool toolGone = WaitUntil([](HWND) { return !test::ProcessRunning(L"Q730XBurn.exe"); }, nullptr, 10000);
    const DWORD exitCode = utility_->ExitCode();
    EXPECT_TRUE(answered && ended) << "hung";
    EXPECT_LT(exitCode, 0xC0000000u) << "a crash";
    EXPECT_TRUE(toolGone);
    const bool survived = answered && ended && exitCode < 0xC0000000u && toolGone;
    tally.survived += survived;
    const bool kept = dataKept();
    EXPECT_TRUE(kept) << "data lost";
    tally.dataLost += !kept;
    std::printf("unplug %s: %d message(s), the utility %s, exit code %lu, keyboard version %s loader %s\n", stage,
                boxes, road, exitCode, keyboard().DumpField("version").c_str(),
                keyboard().DumpField("loader").c_str());
  }

  static LanguageTable texts_;
  static test::UpdateServerFolder server_;
  static std::unique_ptr<test::Utility> utility_;
  static HWND main_;
};
LanguageTable FirmwareUnplugTest::texts_;
test::UpdateServerFolder FirmwareUnplugTest::server_;
std::unique_ptr<test::Utility> FirmwareUnplugTest::utility_;
HWND FirmwareUnplugTest::main_ = nullptr;

TEST_F(FirmwareUnplugTest, HostileAnswersBringAboutBackThenAnUnplugDuringTheImageDownloadEndsTheProgram) {
  for (const char* fault : {" garbage", " redirect-loop"}) {
    server_.SetFaults(kDescriptionPath + fault + "\n");
    PostMessageW(main_, WM_COMMAND, kCommandAbout, 0);
    HWND about = WaitForVisible(L"About Box", kAboutSize);
    ASSERT_TRUE(about) << fault;
    EXPECT_TRUE(ClickButton(about, kFirmwareCheck));
    HWND box = WaitForVisible(L"Info Box", kMessageBoxSize, 30000);
    ASSERT_TRUE(box) << "no message after" << fault;
    test::PressOk(box);
    ASSERT_TRUE(WaitUntil([](HWND w) { return !IsWindow(w) || !IsWindowVisible(w); }, box, 5000));
    std::printf("check against%s: a message, then About again\n", fault);
  }
  PostMessageW(main_, WM_COMMAND, kCommandAbout, 0);
  HWND about = WaitForVisible(L"About Box", kAboutSize);
  ASSERT_TRUE(about) << "About comes back";
  ShowWindow(about, SW_HIDE);

  // The image trickles in; the keyboard goes while it does.
  server_.SetFaults(kImagePath + " trickle 400\n");
  server_.ClearRequests();
  CheckAndAccept();
  ASSERT_TRUE(WaitUntil([](HWND) { return server_.Requests().find(kImagePath) != std::string::npos; }, nullptr));
  // The first bytes are in; the rest takes seconds.
  ASSERT_TRUE(WaitUntil([](HWND) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return GetFileAttributesExW((ImageFile() + L".part").c_str(), GetFileExInfoStandard, &data) &&
           (data.nFileSizeLow | data.nFileSizeHigh) != 0;
  }, nullptr));
  ASSERT_TRUE(keyboard().Admin("unplug"));
  // No half image under the image's name, and the keyboard as it was.
  Account("during the image download", AnswerBoxesUntilQuiet(), [] {
    return GetFileAttributesW(ImageFile().c_str()) == INVALID_FILE_ATTRIBUTES &&
           keyboard().DumpField("version") == "1.2" && keyboard().DumpField("loader") == "0";
  });
}

TEST_F(FirmwareUnplugTest, AnUnplugInTheLoaderFailsTheUpdateAndEndsTheProgram) {
  CheckAndAccept();
  ASSERT_TRUE(keyboard().WaitForDump("loader", "1", 15000));
  ASSERT_TRUE(keyboard().Admin("unplug"));
  HWND box = WaitForVisible(L"Info Box", kMessageBoxSize);
  ASSERT_TRUE(box) << "the failure is said";
  // A burn cut short is never reported as done: the keyboard keeps its
  // version and waits in its loader for the next try.
  Account("in the loader", AnswerBoxesUntilQuiet(), [] {
    return keyboard().DumpField("version") == "1.2" && keyboard().DumpField("loader") == "1";
  });
}

TEST_F(FirmwareUnplugTest, AnUnplugAsTheKeyboardComesBackFromTheLoaderEndsCleanly) {
  CheckAndAccept();
  ASSERT_TRUE(keyboard().WaitForDump("loader", "1", 15000));
  // No driver call reaches the keyboard in its loader: the first one after it
  // is the utility's, once the keyboard is back, and finds it gone again.
  ASSERT_TRUE(keyboard().Admin("unplug after 0"));
  ASSERT_TRUE(keyboard().WaitForDump("attached", "0", 20000));
  Account("as it comes back from the loader", AnswerBoxesUntilQuiet(), [] {
    return keyboard().DumpField("version") == "1.3" && keyboard().DumpField("loader") == "0";
  });
}

}  // namespace
}  // namespace q730x
