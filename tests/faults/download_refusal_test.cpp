// A keyboard that refuses request N of a download, for every N: the download
// reports failure (never success), closes its progress window, and the
// keyboard keeps the matrix it had; refusing nothing of it succeeds.
#include <gtest/gtest.h>

#include "device/configuration_download.h"
#include "device/driver_link.h"
#include "model/key_layout_table.h"
#include "model/macro_store.h"
#include "model/profile_buffers.h"
#include "model/profile_store.h"
#include "message_window.h"
#include "virtual_keyboard_instance.h"

namespace q730x {
namespace {

class DownloadRefusalTest : public test::VirtualKeyboardSuite {
 protected:
  static void SetUpTestSuite() { StartKeyboard("download-refusal"); }
  void SetUp() override {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kStoreRootPath);
    BuildDefaultMatrix();
    std::vector<std::uint32_t> steps = {MakeStep(STEP_PRESS, 0x41), MakeStep(STEP_RELEASE, 0x41)};
    MacroBuildInput in;
    in.id = 0x7777;
    in.name = u"m";
    MacroRecord record = *BuildMacroRecord(steps, in);
    ASSERT_TRUE(WriteMacro(DefaultMacroRoot(), record));
  }
  void TearDown() override { RegDeleteTreeW(HKEY_LOCAL_MACHINE, kStoreRootPath); }

  // One download of a profile with a changed key and a macro key, on the
  // calling thread; answers the result message (0 when none came).
  UINT Download() {
    buffers::ClearAll();
    buffers::KeyMatrix = DefaultMatrix;
    buffers::KeyMatrix[17] = MakeKeyCode(0x06, KM_CTRL);
    buffers::KeyMatrix[KeyLayoutTable[0].position] = MakeMacroCode();
    buffers::AuxInfo[KeyLayoutTable[0].position].SetMacroId(0x7777);
    UINT result = 0;
    bool closed = false;
    test::MessageWindow window([&](UINT message, WPARAM, LPARAM, LRESULT&) {
      if (message == WM_DOWNLOAD_DONE || message == WM_DOWNLOAD_FAILED) result = result ? UINT(-1) : message;
      if (message == WM_CLOSE) closed = true;
      return message == WM_CLOSE;
    });
    CUSBDriver link;
    link.StartLink(nullptr);
    EXPECT_TRUE(OpenDriver());
    EXPECT_TRUE(keyboard().Admin("log clear"));
    if (!refusal_.empty()) {
      EXPECT_TRUE(keyboard().Admin(refusal_));
    }
    auto job = std::make_shared<DownloadJob>();
    job->snapshot = SnapshotOfBuffers(0);
    RunDownload({window.hwnd(), std::make_shared<DownloadShare>(), job}, window.hwnd());
    test::MessageWindow::PumpUntil([&] { return closed && result; }, 5000);
    EXPECT_TRUE(closed) << "the progress window is always closed";
    link.StopLink();
    return result;
  }

  std::string refusal_;
};

TEST_F(DownloadRefusalTest, EveryRefusedRequestFailsTheDownloadAndKeepsTheKeyboardsMatrix) {
  ASSERT_TRUE(keyboard().Admin("factory"));
  const std::string factory = keyboard().DumpField("matrix");
  // Counted from a clean run: the slot's command and 16 chunks, the matrix's
  // command and 20 chunks.
  ASSERT_EQ(Download(), WM_DOWNLOAD_DONE);
  const std::size_t requests = keyboard().LogWith("kind=8 ").size() + keyboard().LogWith("kind=256 ").size();
  ASSERT_EQ(requests, 38u);
  int tried = 0, failed = 0;
  for (std::size_t n = 1; n <= requests; ++n) {
    ASSERT_TRUE(keyboard().Admin("factory"));
    refusal_ = "refuse 1 after " + std::to_string(n - 1);
    const UINT result = Download();
    ++tried;
    failed += result == WM_DOWNLOAD_FAILED;
    EXPECT_EQ(result, UINT(WM_DOWNLOAD_FAILED)) << "request " << n << " refused";
    EXPECT_EQ(keyboard().DumpField("matrix"), factory) << "request " << n << " refused";
  }
  std::printf("refused request N of %zu: %d tried, %d failed as they should\n", requests, tried, failed);
  // A refusal after the last request touches nothing of the download.
  ASSERT_TRUE(keyboard().Admin("factory"));
  refusal_ = "refuse 1 after " + std::to_string(requests);
  EXPECT_EQ(Download(), UINT(WM_DOWNLOAD_DONE));
}

}  // namespace
}  // namespace q730x
