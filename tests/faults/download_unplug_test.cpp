// The keyboard pulled out at each request of a download the running utility
// makes after Apply (a macro slot, then the key matrix): the utility takes
// the absent-device road and ends, after "Setting Error" or without it, and
// never hangs; the registry and the profile file hold either the old
// profile or the whole new one, and agree; the keyboard keeps its old matrix.
// Under CI a spread of the requests is tried, otherwise every one.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "gui_support.h"
#include "key_input.h"
#include "keyboard_page_fixture.h"
#include "store_test_support.h"

namespace q730x::test {
namespace {

constexpr int kEsc = 11;  // carries a macro, so the download writes a slot first
constexpr std::uint32_t kMacroId = 0x51A7;
// A clean download: the slot's command and 16 chunks, the matrix's command and 20 chunks.
constexpr int kDownloadRequests = 38;

// 0 is the clean download that counts the requests; n unplugs as request n comes.
std::vector<int> RequestsToUnplugAt() {
  std::vector<int> requests = {0};
  if (std::getenv("CI")) {
    // The slot's command, the matrix's command (the removal then raced "Setting Error"),
    // the matrix's first and last chunks.
    for (int n : {1, 18, 19, kDownloadRequests}) requests.push_back(n);
  } else {
    for (int n = 1; n <= kDownloadRequests; ++n) requests.push_back(n);
  }
  return requests;
}

struct Tally {
  int tried = 0, survived = 0, dataLost = 0;
};
Tally tally;

class DownloadUnplugTest : public KeyboardPageTest, public ::testing::WithParamInterface<int> {
 protected:
  static void TearDownTestSuite() {
    std::printf("unplugged during a download: %d tried, %d survived, %d lost data\n", tally.tried,
                tally.survived, tally.dataLost);
    KeyboardPageTest::TearDownTestSuite();
  }
  void BeforeStart() override {
    StoreMacro(kMacroId);
    EditStoredProfile(0, [] { PutMacroOnKey(0, kEsc, kMacroId); });
  }
  void TearDown() override {
    KeyboardPageTest::TearDown();
    keyboard().Admin("plug");
  }

  static std::vector<std::uint8_t> StoredMatrix() { return ReadRaw(ProfilePath(0), L"Matrix").bytes; }
  static std::vector<std::uint8_t> ProfileFile() { return ReadFileBytes(DistFolder() + L"profile\\1.cfg"); }
};

TEST_P(DownloadUnplugTest, TheUtilityEndsCleanlyAndTheProfileIsOldOrWhollyNew) {
  const int unplugAt = GetParam();
  const std::vector<std::uint8_t> oldMatrix = StoredMatrix(), oldFile = ProfileFile();
  ASSERT_FALSE(oldMatrix.empty());
  std::vector<std::uint8_t> newMatrix = oldMatrix, newFile = oldFile;
  const std::vector<std::uint8_t> ctrlC = FromHex(kCtrlC);
  std::copy(ctrlC.begin(), ctrlC.end(), newMatrix.begin() + 17 * 4);
  if (newFile.size() >= 18 * 4) std::copy(ctrlC.begin(), ctrlC.end(), newFile.begin() + 17 * 4);
  const std::string oldKeyboard = keyboard().DumpField("matrix");

  SetCapsLockToCtrlC();
  ASSERT_TRUE(keyboard().Admin("log clear"));
  if (unplugAt > 0) {
    ASSERT_TRUE(keyboard().Admin("unplug after " + std::to_string(unplugAt - 1)));
  }
  ClickAt(page_, kApply);

  if (unplugAt == 0) {
    ASSERT_TRUE(WaitUntil([](HWND) { return Hex4(ReadRaw(ProfilePath(0), L"Matrix").bytes, 17 * 4) == kCtrlC; },
                          nullptr, 15000));
    const std::size_t requests = keyboard().LogWith("kind=8 ").size() + keyboard().LogWith("kind=256 ").size();
    EXPECT_EQ(requests, std::size_t(kDownloadRequests)) << "the unplugging cases count on it";
    EXPECT_TRUE(WaitUntil([](HWND) { return Hex4(ReadFileBytes(DistFolder() + L"profile\\1.cfg"), 17 * 4) == kCtrlC; },
                          nullptr, 5000));
    return;
  }

  ++tally.tried;
  // The removal ends the program; a "Setting Error" box on the way is closed by the exit itself.
  const bool ended = utility_->Ended(20000);
  EXPECT_TRUE(ended) << "the utility still runs 20 s after the keyboard went; its main window "
                     << (SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 3000, nullptr) ? "answers"
                                                                                                   : "does not answer")
                     << (VisibleWindowStartingWith(L"Info Box") ? ", a message box is open" : "");
  const DWORD exitCode = utility_->ExitCode();
  EXPECT_LT(exitCode, 0xC0000000u) << "a crash";
  const std::vector<std::uint8_t> matrix = StoredMatrix(), file = ProfileFile();
  const bool registryWhole = matrix == oldMatrix || matrix == newMatrix;
  const bool fileWhole = file == oldFile || file == newFile;
  const bool agree = (matrix == oldMatrix) == (file == oldFile);
  EXPECT_TRUE(registryWhole && fileWhole && agree) << "a half-written profile";
  EXPECT_EQ(keyboard().DumpField("matrix"), oldKeyboard) << "the keyboard got half a profile";
  std::printf("unplug at request %2d: %s, exit code %lu, store %s\n", unplugAt, ended ? "ended" : "HUNG",
              exitCode, matrix == oldMatrix ? "old" : "new");
  tally.survived += ended && exitCode < 0xC0000000u;
  tally.dataLost += !(registryWhole && fileWhole && agree);
}

INSTANTIATE_TEST_SUITE_P(EachRequest, DownloadUnplugTest, ::testing::ValuesIn(RequestsToUnplugAt()),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return info.param == 0 ? std::string("Clean") : "Request" + std::to_string(info.param);
                         });

}  // namespace
}  // namespace q730x::test
