// Another program throwing messages at the running utility: every message
// from 0x600 to 0x801 with random parameters, WM_COPYDATA with random bytes,
// posted and sent to each of its windows. Only the messages that end the
// program by design are left out: 0x700 and 0x70C, and 0x709, which starts
// the burn tool, whose failure with nothing to burn ends it. The utility
// must still run and answer, and nothing stored may change.
#include <gtest/gtest.h>

#include <windows.h>

#include <random>
#include <vector>

#include "markup/language_table.h"
#include "model/profile_data.h"
#include "model/profile_store.h"
#include "model/program_folder.h"
#include "store_test_support.h"
#include "utility_process.h"
#include "virtual_keyboard_instance.h"

namespace q730x {
namespace {

// The top-level windows of a process and their children.
std::vector<HWND> WindowsOf(DWORD processId) {
  struct Search {
    DWORD process;
    std::vector<HWND> found;
  } search{processId, {}};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != s.process) return TRUE;
        s.found.push_back(window);
        EnumChildWindows(
            window,
            [](HWND child, LPARAM d) -> BOOL {
              reinterpret_cast<std::vector<HWND>*>(d)->push_back(child);
              return TRUE;
            },
            reinterpret_cast<LPARAM>(&s.found));
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Everything the store holds: the profile values, the root values, the files.
std::vector<std::vector<std::uint8_t>> StoredState() {
  std::vector<std::vector<std::uint8_t>> state;
  for (int n = 0; n < kProfileCount; ++n) {
    for (const wchar_t* name : {L"Matrix", L"AuxInfo", L"ConfigInfo"})
      state.push_back(test::ReadRaw(ProfileKeyPath(n), name).bytes);
    state.push_back(test::ReadFileBytes(ProfileFilePath(n)));
  }
  for (const wchar_t* name : {L"ProCfg", L"MacroUse"}) state.push_back(test::ReadRaw(kStoreRootPath, name).bytes);
  return state;
}

class HostileMessagesTest : public test::VirtualKeyboardSuite {
 protected:
  static void SetUpTestSuite() { StartKeyboard("hostile-messages"); }
};

TEST_F(HostileMessagesTest, TheUtilityOutlivesAStormOfForeignMessagesAndLosesNothing) {
  SetProgramFolder(test::DistFolder());
  ASSERT_TRUE(keyboard().Admin("factory"));
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kStoreRootPath);
  LanguageTable texts;
  ASSERT_TRUE(LoadLanguageTable(test::DistFolder() + L"language.xml", texts));
  test::Utility utility;
  HWND main = test::WaitForWindow(texts.str_title);
  ASSERT_TRUE(main);
  ASSERT_TRUE(keyboard().WaitForDump("registered", "1"));
  DWORD process = 0;
  GetWindowThreadProcessId(main, &process);
  const auto before = StoredState();

  std::mt19937 random(0x730);
  std::uniform_int_distribution<UINT> message(0x600, 0x801);
  std::uniform_int_distribution<std::uint64_t> parameter;
  std::uniform_int_distribution<int> length(0, 4096);
  int posted = 0, sent = 0, copies = 0;
  for (int round = 0; round < 40 && !utility.Ended(0); ++round) {
    const std::vector<HWND> windows = WindowsOf(process);
    ASSERT_FALSE(windows.empty()) << "the utility's windows are gone";
    for (int i = 0; i < 60; ++i) {
      HWND target = windows[random() % windows.size()];
      UINT m = message(random);
      // "Exit" and "the firmware update failed" end it by design, and so does
      // "start the burn tool": with no image to burn, the tool reports the failure.
      if (m == 0x700 || m == 0x70C || m == 0x709) continue;
      const WPARAM w = WPARAM(parameter(random));
      const LPARAM l = LPARAM(parameter(random));
      if (i % 4 == 0) {
        SendMessageTimeoutW(target, m, w, l, SMTO_ABORTIFHUNG, 200, nullptr);
        ++sent;
      } else {
        PostMessageW(target, m, w, l);
        ++posted;
      }
    }
    std::vector<std::uint8_t> bytes(std::size_t(length(random)));
    for (auto& b : bytes) b = std::uint8_t(random());
    COPYDATASTRUCT copy{ULONG_PTR(parameter(random)), DWORD(bytes.size()), bytes.data()};
    SendMessageTimeoutW(main, WM_COPYDATA, 0, LPARAM(&copy), SMTO_ABORTIFHUNG, 200, nullptr);
    ++copies;
    // Whatever the storm opened (a message box, the tray menu) is closed, as
    // a user would close it, so that the next round reaches the windows.
    for (HWND window : WindowsOf(process))
      if (window != main && GetParent(window) == nullptr && IsWindowVisible(window))
        PostMessageW(window, WM_CLOSE, 0, 0);
    PostMessageW(main, WM_CANCELMODE, 0, 0);
  }
  std::printf("%d posted, %d sent, %d WM_COPYDATA\n", posted, sent, copies);
  ASSERT_FALSE(utility.Ended(0)) << "the utility ended under foreign messages";
  DWORD_PTR answer = 0;
  EXPECT_TRUE(SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer)) << "it still answers";
  EXPECT_EQ(StoredState(), before) << "nothing stored changed";
  PostMessageW(main, 0x700, 0, 0);  // and it still ends on request
  EXPECT_TRUE(utility.Ended(20000));
}

}  // namespace
}  // namespace q730x
