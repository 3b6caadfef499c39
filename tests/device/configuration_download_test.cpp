// A whole profile downloaded to the virtual keyboard: progress and result
// messages in order, macros given slots in walking order and written once,
// keys pointed at their slots or back at their defaults, refused slot and
// matrix writes, an absent keyboard (a failure), a session that went, and the lock.
#include <gtest/gtest.h>

#include <mutex>
#include <optional>

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

// A record stored under id whose own id field says recordIdField.
void StoreCraftedMacro(std::uint32_t id, std::uint32_t recordIdField, std::uint32_t mode) {
  MacroRecord r = StoredMacro(id, mode);
  r.SetId(recordIdField);
  HKEY key = nullptr;
  const std::wstring path = std::wstring(kMacroRootPath) + MacroSubkeyName(id);
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(key, nullptr, 0, REG_BINARY, r.bytes().data(), DWORD(r.bytes().size()));
  RegCloseKey(key);
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
  // A download of profile 1 as the buffers hold it, reporting to page.
  DownloadTarget Target(HWND page) {
    job_ = std::make_shared<DownloadJob>();
    job_->snapshot = SnapshotOfBuffers(0);
    return {page, share_, job_};
  }
  // Downloads with the recorder as both page and progress window.
  void Download() {
    ASSERT_TRUE(StartDownloadThread(Target(recorder_.hwnd()), recorder_.hwnd()));
    ASSERT_TRUE(recorder_.WaitForClose());
  }
  // The matrix as the download wrote it.
  KeyMatrix& Written() { return job_->snapshot.matrix; }
  // How often the keyboard completed the write of a slot.
  static std::size_t SlotWrites(int slot) {
    return keyboard().LogWith("macro slot " + std::to_string(slot) + " written").size();
  }
  static std::string KeyHex(int position) {
    return keyboard().DumpField("matrix").substr(std::size_t(position) * 8, 8);
  }

  CUSBDriver link_;
  std::shared_ptr<DownloadShare> share_ = std::make_shared<DownloadShare>();
  Recorder recorder_;
  std::shared_ptr<DownloadJob> job_;
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
  EXPECT_EQ(Written()[KeyLayoutTable[0].position], keyboardForm);
  EXPECT_EQ(Written()[KeyLayoutTable[1].position], keyboardForm);
  EXPECT_EQ(buffers::KeyMatrix[KeyLayoutTable[1].position], MakeMacroCode()) << "the edited profile is left alone";
  EXPECT_EQ(KeyHex(KeyLayoutTable[1].position), "080101FF");
  EXPECT_EQ(MacroSlotTable[0].id, 0x1234u);
  EXPECT_EQ(MacroSlotTable[0].slot, 0);
  EXPECT_EQ(MacroSlotTable[1].id, 0u);
  EXPECT_EQ(keyboard().DumpField("slots"), "0");
  EXPECT_EQ(SlotWrites(0), 1u) << "written once per download";
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
    EXPECT_EQ(Written()[KeyLayoutTable[k].position], MakeKeyboardMacroCode(2, std::uint8_t(k))) << k;
  for (int k : {30, 31}) {
    const int position = KeyLayoutTable[k].position;
    EXPECT_EQ(Written()[position], DefaultMatrix[position]) << k;
  }
  EXPECT_EQ(MacroSlotTable[29].id, 0x100u + 29);
}

TEST_F(DownloadTest, AMacroOnPauseIsWrittenOnceThoughPositionZeroIsWalked55Times) {
  StoredMacro(0x2000, 0);
  StoredMacro(0x2001, 2);
  GiveMacro(0, 0x2000);                           // Pause, also every empty entry
  GiveMacro(KeyLayoutTable[0].position, 0x2001);  // Esc
  GiveMacro(KeyLayoutTable[5].position, 0x2000);  // F5, the Pause macro again
  Download();
  EXPECT_EQ(recorder_.Results(), (std::vector<UINT>{WM_DOWNLOAD_DONE, WM_CLOSE}));
  EXPECT_EQ(SlotWrites(0), 1u);
  EXPECT_EQ(SlotWrites(1), 1u);
  EXPECT_EQ(keyboard().LogWith("data=1301").size(), 2u) << "two slot write commands in all";
  EXPECT_EQ(keyboard().DumpField("slots"), "0 1");
  // Esc is walked first; position 0 comes later, with F5.
  EXPECT_EQ(KeyHex(KeyLayoutTable[0].position), "080201FF");
  EXPECT_EQ(KeyHex(0), "080002FF");
  EXPECT_EQ(KeyHex(KeyLayoutTable[5].position), "080002FF");
}

TEST_F(DownloadTest, SlotsAreKeyedByTheKeysMacroIdNotByTheRecordsIdField) {
  StoreCraftedMacro(0x3000, 0, 1);       // the record's id field is 0
  StoreCraftedMacro(0x3001, 0, 2);       // so is this one's
  StoreCraftedMacro(0x3002, 0x3003, 0);  // these two say the same id
  StoreCraftedMacro(0x3004, 0x3003, 0);
  for (int k = 0; k < 4; ++k) GiveMacro(KeyLayoutTable[k].position, 0x3000 + (k < 2 ? k : 2 * k - 2));
  Download();
  EXPECT_EQ(recorder_.Results(), (std::vector<UINT>{WM_DOWNLOAD_DONE, WM_CLOSE}));
  EXPECT_EQ(keyboard().DumpField("slots"), "0 1 2 3");
  EXPECT_EQ(KeyHex(KeyLayoutTable[0].position), "080101FF");
  EXPECT_EQ(KeyHex(KeyLayoutTable[1].position), "080202FF");
  EXPECT_EQ(KeyHex(KeyLayoutTable[2].position), "080003FF");
  EXPECT_EQ(KeyHex(KeyLayoutTable[3].position), "080004FF");
  EXPECT_EQ(MacroSlotTable[0].id, 0x3000u);
  EXPECT_EQ(MacroSlotTable[3].id, 0x3004u);
}

TEST_F(DownloadTest, ARefusedSlotWriteFailsTheDownloadBeforeTheMatrix) {
  StoredMacro(0x4000, 0);
  GiveMacro(KeyLayoutTable[0].position, 0x4000);
  // The slot command and two chunks go through; the third chunk is refused.
  ASSERT_TRUE(keyboard().Admin("refuse 1 after 3"));
  Download();
  EXPECT_EQ(recorder_.Results(), (std::vector<UINT>{WM_DOWNLOAD_FAILED, WM_CLOSE}));
  EXPECT_EQ(keyboard().DumpField("slots"), "");
  EXPECT_TRUE(keyboard().LogWith("data=12010280").empty()) << "no matrix write after it";
  EXPECT_EQ(keyboard().DumpField("matrix"), test::ToHex(DefaultMatrix.bytes(), kKeyMatrixBytes));
}

TEST_F(DownloadTest, QueriesDuringADownloadWaitForTheBlockInFlightAndBothSucceed) {
  StoredMacro(0x5000, 0);
  GiveMacro(KeyLayoutTable[0].position, 0x5000);
  ASSERT_TRUE(keyboard().Admin("version 6.4"));
  ASSERT_TRUE(StartDownloadThread(Target(recorder_.hwnd()), recorder_.hwnd()));
  int answered = 0;
  std::uint32_t interval = 0;
  for (int i = 0; i < 4; ++i) {
    test::MessageWindow::PumpUntil(nullptr, 150);  // into the slot, then the matrix
    FirmwareMajor = 0;
    answered += ReadFirmwareVersion() && FirmwareMajor == 6 && FirmwareMinor == 4;
    answered += ReadReportInterval(interval) && interval == 1;
  }
  ASSERT_TRUE(recorder_.WaitForClose());
  EXPECT_EQ(answered, 8);
  EXPECT_EQ(recorder_.Results(), (std::vector<UINT>{WM_DOWNLOAD_DONE, WM_CLOSE}));
  EXPECT_TRUE(keyboard().LogWith("abandoned").empty());
  EXPECT_EQ(keyboard().LogWith("result=refused").size(), 0u);
  EXPECT_EQ(SlotWrites(0), 1u);
}

TEST_F(DownloadTest, RefusedMatrixWriteIsReportedAsAFailure) {
  ASSERT_TRUE(keyboard().Admin("unplug"));
  Download();
  EXPECT_EQ(recorder_.Results(), (std::vector<UINT>{WM_DOWNLOAD_FAILED, WM_CLOSE}));
  EXPECT_EQ(recorder_.Progress().back(), 99u);
  ASSERT_TRUE(keyboard().Admin("plug"));
}

TEST_F(DownloadTest, AnAbsentKeyboardWritesNothingAndFailsButStillClosesTheProgressWindow) {
  share_->presence.deviceAbsent = true;
  Download();
  EXPECT_EQ(recorder_.Results(), (std::vector<UINT>{WM_DOWNLOAD_FAILED, WM_CLOSE}));
  EXPECT_EQ(recorder_.messages.front().wParam, 0u) << "the result names the profile";
  EXPECT_TRUE(recorder_.Progress().empty());
  EXPECT_TRUE(keyboard().LogWith("code=").empty());
}

TEST_F(DownloadTest, WithoutAPageOrItsShareTheProgressWindowIsStillClosed) {
  RunDownload(Target(nullptr), recorder_.hwnd());
  RunDownload({recorder_.hwnd(), nullptr, job_}, recorder_.hwnd());
  ASSERT_TRUE(recorder_.WaitForClose(2000));
  EXPECT_EQ(recorder_.Results(), (std::vector<UINT>{WM_CLOSE, WM_CLOSE}));
  EXPECT_TRUE(keyboard().LogWith("code=").empty());
}

TEST_F(DownloadTest, AWorkerWaitingForTheLockLeavesAPageThatWentAlone) {
  std::optional<Recorder> page(std::in_place);
  std::unique_lock held(share_->lock);
  ASSERT_TRUE(StartDownloadThread(Target(page->hwnd()), recorder_.hwnd()));
  test::MessageWindow::PumpUntil(nullptr, 100);
  // What the page does as it is destroyed, with the worker waiting.
  share_->pageGone = true;
  held.unlock();
  page.reset();
  ASSERT_TRUE(recorder_.WaitForClose(5000));
  EXPECT_EQ(recorder_.Results(), (std::vector<UINT>{WM_CLOSE}));
  EXPECT_TRUE(keyboard().LogWith("code=").empty());
}

TEST_F(DownloadTest, ASecondDownloadWaitsForTheLock) {
  std::unique_lock held(share_->lock);
  ASSERT_TRUE(StartDownloadThread(Target(recorder_.hwnd()), recorder_.hwnd()));
  test::MessageWindow::PumpUntil(nullptr, 300);
  EXPECT_TRUE(recorder_.messages.empty());
  held.unlock();
  ASSERT_TRUE(recorder_.WaitForClose());
  EXPECT_EQ(recorder_.Results(), (std::vector<UINT>{WM_DOWNLOAD_DONE, WM_CLOSE}));
}

}  // namespace
}  // namespace q730x
