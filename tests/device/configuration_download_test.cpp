// A whole profile downloaded to the virtual keyboard: progress and result
// messages in order, macros given slots in walking order, keys pointed at
// their slots or back at their defaults, a refused matrix write, an absent
// keyboard, and the page's lock.
#include <gtest/gtest.h>

#include <mutex>

#include "device/configuration_download.h"
#include "device/driver_link.h"
#include "device/keyboard_commands.h"
#include "model/key_layout_table.h"
#include "model/macro_store.h"
#include "model/profile_buffers.h"
#include "model/profile_store.h"
#include "message_window.h"
#include "virtual_keyboard_instance.h"

namespace q730x {
namespace {

// A window that keeps every message the download posts to it, in order.
class Recorder {
 public:
  HWND hwnd() const { return window_.hwnd(); }
  struct Message {
    UINT id;
    WPARAM wParam;
  };
  std::vector<Message> messages;

  bool WaitForClose(DWORD ms = 60000) {
    return test::MessageWindow::PumpUntil([this] { return Closed(); }, ms);
  }
  bool Closed() const { return !messages.empty() && messages.back().id == WM_CLOSE; }
  std::vector<WPARAM> Progress() const {
    std::vector<WPARAM> out;
    for (const Message& m : messages)
      if (m.id == WM_DOWNLOAD_PROGRESS) out.push_back(m.wParam);
    return out;
  }
  std::vector<UINT> Results() const {
    std::vector<UINT> out;
    for (const Message& m : messages)
      if (m.id != WM_DOWNLOAD_PROGRESS) out.push_back(m.id);
    return out;
  }

 private:
  test::MessageWindow window_{[this](UINT message, WPARAM w, LPARAM, LRESULT&) {
    const bool kept = message == WM_DOWNLOAD_PROGRESS || message == WM_DOWNLOAD_DONE ||
                      message == WM_DOWNLOAD_FAILED || message == WM_CLOSE;
    if (kept) messages.push_back({message, w});
    return kept;
  }};
};

MacroRecord StoredMacro(std::uint32_t id, std::uint32_t mode) {
  std::vector<std::uint32_t> steps = {MakeStep(STEP_PRESS, 0x41), MakeStep(STEP_RELEASE, 0x41)};
  MacroBuildInput in;
  in.id = id;
  in.name = u"m";
  MacroRecord r = *BuildMacroRecord(steps, in);
  EXPECT_TRUE(WriteMacro(DefaultMacroRoot(), r));  // a new macro starts in mode 0
  r.SetPlayMode(mode);
  EXPECT_TRUE(WriteMacro(DefaultMacroRoot(), r));
  return r;
}

void GiveMacro(int position, std::uint32_t id) {
  buffers::KeyMatrix[position] = MakeMacroCode();
  buffers::AuxInfo[position].SetMacroId(id);
}

class DownloadTest : public test::VirtualKeyboardSuite {
 protected:
  static void SetUpTestSuite() { StartKeyboard("download"); }
  void SetUp() override {
    ASSERT_TRUE(keyboard().Admin("factory"));
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kStoreRootPath);
    buffers::ClearAll();
    BuildDefaultMatrix();
    buffers::KeyMatrix = DefaultMatrix;
    link_.StartLink(nullptr);
    ASSERT_TRUE(OpenDriver());
    ASSERT_TRUE(keyboard().Admin("log clear"));
  }
  void TearDown() override {
    link_.StopLink();
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kStoreRootPath);
  }
  // Downloads with the recorder as both page and progress window.
  void Download() {
    ASSERT_TRUE(StartDownloadThread({recorder_.hwnd(), &lock_, &absent_}, recorder_.hwnd()));
    ASSERT_TRUE(recorder_.WaitForClose());
  }
  static std::string KeyHex(int position) {
    return keyboard().DumpField("matrix").substr(std::size_t(position) * 8, 8);
  }

  CUSBDriver link_;
  std::mutex lock_;
  std::atomic<bool> absent_{false};
  Recorder recorder_;
};

TEST_F(DownloadTest, WithoutMacroKeysProgressRunsPerKeyThenTheResultAndTheClose) {
  buffers::KeyMatrix[17] = KeyCode::FromValue(0x00060000);  // some other key change
  Download();
  std::vector<WPARAM> expected = {0};
  for (std::size_t k = 0; k < kKeyLayoutEntries; ++k) expected.push_back(k * 95 / 144);
  expected.push_back(99);
  expected.push_back(100);
  EXPECT_EQ(recorder_.Progress(), expected);
  EXPECT_EQ(recorder_.Results(), (std::vector<UINT>{WM_DOWNLOAD_DONE, WM_CLOSE}));
  EXPECT_EQ(keyboard().DumpField("matrix"),
            test::ToHex(buffers::KeyMatrix.bytes(), kKeyMatrixBytes));
}

TEST_F(DownloadTest, OneMacroOnTwoKeysGoesToSlotZeroAndBothKeysPointThere) {
  StoredMacro(0x1234, 1);
  GiveMacro(KeyLayoutTable[0].position, 0x1234);  // Esc
  GiveMacro(KeyLayoutTable[1].position, 0x1234);  // F1
  Download();
  const KeyCode keyboardForm = MakeKeyboardMacroCode(1, 0);  // 08 01 01 FF
  EXPECT_EQ(buffers::KeyMatrix[KeyLayoutTable[0].position], keyboardForm);
  EXPECT_EQ(buffers::KeyMatrix[KeyLayoutTable[1].position], keyboardForm);
  EXPECT_EQ(KeyHex(KeyLayoutTable[1].position), "080101FF");
  EXPECT_EQ(MacroSlotTable[0].id, 0x1234u);
  EXPECT_EQ(MacroSlotTable[0].slot, 0);
  EXPECT_EQ(MacroSlotTable[1].id, 0u);
  EXPECT_EQ(keyboard().DumpField("slots"), "0");
  EXPECT_EQ(keyboard().LogWith("macro slot 0 written").size(), 2u) << "written once per key";
  EXPECT_EQ(recorder_.Results(), (std::vector<UINT>{WM_DOWNLOAD_DONE, WM_CLOSE}));
}

TEST_F(DownloadTest, MissingMacrosAndAThirtyFirstMacroFallBackToTheDefault) {
  // Thirty-one distinct macros on the first 31 keys, and a deleted one on the 32nd.
  for (int k = 0; k < 31; ++k) {
    StoredMacro(0x100 + k, 2);
    GiveMacro(KeyLayoutTable[k].position, 0x100 + k);
  }
  GiveMacro(KeyLayoutTable[31].position, 0x999);  // no such macro
  Download();
  for (int k = 0; k < 30; ++k)
    EXPECT_EQ(buffers::KeyMatrix[KeyLayoutTable[k].position], MakeKeyboardMacroCode(2, std::uint8_t(k))) << k;
  for (int k : {30, 31}) {
    const int position = KeyLayoutTable[k].position;
    EXPECT_EQ(buffers::KeyMatrix[position], DefaultMatrix[position]) << k;
  }
  EXPECT_EQ(MacroSlotTable[29].id, 0x100u + 29);
}

TEST_F(DownloadTest, RefusedMatrixWriteIsReportedAsAFailure) {
  ASSERT_TRUE(keyboard().Admin("unplug"));
  Download();
  EXPECT_EQ(recorder_.Results(), (std::vector<UINT>{WM_DOWNLOAD_FAILED, WM_CLOSE}));
  EXPECT_EQ(recorder_.Progress().back(), 99u);
  ASSERT_TRUE(keyboard().Admin("plug"));
}

TEST_F(DownloadTest, AnAbsentKeyboardWritesNothingButStillClosesTheProgressWindow) {
  absent_ = true;
  Download();
  EXPECT_EQ(recorder_.Results(), (std::vector<UINT>{WM_CLOSE}));
  EXPECT_TRUE(recorder_.Progress().empty());
  EXPECT_TRUE(keyboard().LogWith("code=").empty());
}

TEST_F(DownloadTest, ASecondDownloadWaitsForTheLock) {
  std::unique_lock held(lock_);
  ASSERT_TRUE(StartDownloadThread({recorder_.hwnd(), &lock_, &absent_}, recorder_.hwnd()));
  test::MessageWindow::PumpUntil(nullptr, 300);
  EXPECT_TRUE(recorder_.messages.empty());
  held.unlock();
  ASSERT_TRUE(recorder_.WaitForClose());
  EXPECT_EQ(recorder_.Results(), (std::vector<UINT>{WM_DOWNLOAD_DONE, WM_CLOSE}));
}

}  // namespace
}  // namespace q730x
