// Program links of the running utility: a profile linked to a program is
// switched in and downloaded, without a progress box, when that program comes
// to the foreground; the link's name must match with its letter case; a
// switch waits for a running Apply and keeps unapplied edits; a new link is
// refused only for a name another profile links; and the utility ends
// cleanly when told to exit during such a download.
#include <gtest/gtest.h>

#include <windows.h>
#include <wtsapi32.h>

#include "gui_support.h"
#include "key_input.h"
#include "keyboard_page_fixture.h"
#include "model/key_code.h"
#include "model/key_layout_table.h"
#include "model/profile_buffers.h"
#include "model/profile_store.h"
#include "store_test_support.h"

namespace q730x::test {
namespace {

// Profile 2 (index 1) gives Caps Lock Ctrl+C; the user links it to notepad.
class ProgramLinkTest : public KeyboardPageTest {
 protected:
  void BeforeStart() override { ASSERT_EQ(RunSettingsTool(L"set 2 17 00060100"), 0u); }
};

TEST_F(ProgramLinkTest, TheLinkedProgramInFrontDownloadsItsProfileWithoutABox) {
  ASSERT_EQ(KeyboardAt(17), kCapsFactory);
  // The link is made on the page: profile 2, the link box, the file dialog.
  ClickAt(page_, kProfileTab[1]);
  Pump(300);
  ClickAt(page_, kLinkBox);
  ChooseInOpenFileDialog(main_, L"C:\\windows\\notepad.exe");
  ASSERT_TRUE(WaitUntil(
      [](HWND) {
        LoadProgramLinks();
        const std::u16string_view program = buffers::ProCfg[1].Program();
        return buffers::ProCfg[1].enabled == 1 && program == u"notepad.exe";
      },
      nullptr, 5000))
      << "the chosen program is stored as profile 2's link";
  // Back on profile 1, the linked program's coming to the front switches.
  ClickAt(page_, kProfileTab[0]);
  Pump(300);

  Notepad notepad;
  ASSERT_TRUE(notepad.ToFront());
  bool boxSeen = false;
  ASSERT_TRUE(WaitForCurrentProfile(1, boxSeen));
  EXPECT_FALSE(boxSeen) << "a program-link download shows no progress box";
  EXPECT_EQ(KeyboardAt(17), kCtrlC);
  EXPECT_EQ(Hex4(ReadFileBytes(DistFolder() + L"profile\\2.cfg"), 17 * 4), kCtrlC);
}

// Profile 2 is linked to NOTEPAD.EXE, profile 3 (index 2) to notepad.exe;
// profile 3 gives Caps Lock Ctrl+C.
class ProgramLinkCaseTest : public KeyboardPageTest {
 protected:
  void BeforeStart() override {
    ASSERT_EQ(RunSettingsTool(L"set 3 17 00060100"), 0u);
    LinkStoredProfile(1, u"NOTEPAD.EXE");
    LinkStoredProfile(2, u"notepad.exe");
  }
};

TEST_F(ProgramLinkCaseTest, TheLettersOfTheLinkMustMatchTheProgramsExactly) {
  Notepad notepad;
  ASSERT_TRUE(notepad.ToFront());
  bool boxSeen = false;
  // The first link in profile order that matches with its case wins.
  ASSERT_TRUE(WaitForCurrentProfile(2, boxSeen));
  EXPECT_EQ(KeyboardAt(17), kCtrlC);
}

// While the session is locked or switched away from, the keyboard serves
// whoever sits at it: a linked program in front of the locked session does
// not switch the keyboard's profile. The switch comes once it is unlocked.
TEST_F(ProgramLinkCaseTest, NoSwitchWhileTheSessionIsLockedAndTheSwitchComesAfter) {
  PostMessageW(main_, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0);
  Notepad notepad;
  ASSERT_TRUE(notepad.ToFront());
  Pump(4000);  // three ticks of the link timer
  EXPECT_NE(StoredCurrentProfile(), 2);
  EXPECT_EQ(KeyboardAt(17), kCapsFactory);
  PostMessageW(main_, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 0);
  bool boxSeen = false;
  ASSERT_TRUE(WaitForCurrentProfile(2, boxSeen));
  EXPECT_EQ(KeyboardAt(17), kCtrlC);
}

// Profile 1 (held) has a macro on Esc; profile 2, linked to notepad, has two
// other macros, on F1 and F2. The keyboard refuses the switch's second slot,
// after its first macro has overwritten slot 0, where profile 1's Esc points.
class FailedLinkSwitchTest : public KeyboardPageTest {
 protected:
  void BeforeStart() override {
    for (std::uint32_t id : {0x7301u, 0x7302u, 0x7303u}) StoreMacro(id);
    EditStoredProfile(0, [] { PutMacroOnKey(0, 11, 0x7301); });
    EditStoredProfile(1, [] {
      PutMacroOnKey(1, 22, 0x7302);
      PutMacroOnKey(1, 30, 0x7303);
    });
    LinkStoredProfile(1, u"notepad.exe");
  }
  std::size_t SlotZeroWrites() { return keyboard().LogWith("macro slot 0 written").size(); }
};

TEST_F(FailedLinkSwitchTest, TheHeldProfileComesBackWholeWithoutABoxAndTheSwitchIsNotRepeated) {
  ClickAt(page_, kApply);
  const ULONGLONG applied = GetTickCount64() + 15000;
  while (KeyboardAt(11).substr(0, 2) != "08" && GetTickCount64() < applied) Sleep(50);
  ASSERT_EQ(KeyboardAt(11).substr(0, 2), "08") << "profile 1's macro key is on the keyboard";
  Pump(1000);
  const std::string slotZero = keyboard().DumpField("slot 0"), esc = KeyboardAt(11), f1 = KeyboardAt(22);
  const std::size_t writesBefore = SlotZeroWrites();

  // A slot write is its command and 16 chunks: the second slot's command is refused.
  ASSERT_TRUE(keyboard().Admin("refuse 1 after 17"));
  Notepad notepad;
  ASSERT_TRUE(notepad.ToFront());
  // Slot 0 is written twice: by the switch, then by the held profile's return.
  const ULONGLONG end = GetTickCount64() + 15000;
  while (SlotZeroWrites() < writesBefore + 2 && GetTickCount64() < end) Sleep(50);
  ASSERT_EQ(SlotZeroWrites(), writesBefore + 2);
  Pump(1500);
  EXPECT_EQ(keyboard().LogWith("result=refused").size(), 1u);
  EXPECT_EQ(keyboard().DumpField("slot 0"), slotZero) << "profile 1's macro is back in its slot";
  EXPECT_EQ(KeyboardAt(11), esc);
  EXPECT_EQ(KeyboardAt(22), f1);
  EXPECT_EQ(StoredCurrentProfile(), 0) << "profile 1 stays current";
  EXPECT_EQ(FindWindowW(nullptr, L"Info Box"), nullptr) << "a background switch opens no box";

  // While notepad stays in front, the failed switch is not tried again ...
  const std::size_t commands = keyboard().LogWith("code=").size();
  Pump(4000);
  EXPECT_EQ(keyboard().LogWith("code=").size(), commands) << "no retry while the same program is in front";
  EXPECT_EQ(StoredCurrentProfile(), 0);
  // ... but when it comes to the front again.
  SetForegroundWindow(main_);
  Pump(2000);
  ASSERT_TRUE(notepad.ToFront());
  bool boxSeen = false;
  EXPECT_TRUE(WaitForCurrentProfile(1, boxSeen));
}

// Profile 2, linked to notepad, has five macro keys: its download takes about
// two seconds.
class ExitDuringLinkDownloadTest : public KeyboardPageTest {
 protected:
  static constexpr int kMacroKeys[] = {11, 22, 30, 25, 27};  // the top row's first keys
  void BeforeStart() override {
    for (std::uint32_t id = 1; id <= 5; ++id) StoreMacro(0x7100 + id);
    EditStoredProfile(1, [] {
      for (int i = 0; i < 5; ++i) PutMacroOnKey(1, kMacroKeys[i], 0x7101 + std::uint32_t(i));
    });
    LinkStoredProfile(1, u"notepad.exe");
  }
};

TEST_F(ExitDuringLinkDownloadTest, ExitWhileTheWorkerWritesEndsCleanlyAndLeavesTheStoreWhole) {
  const wchar_t* const values[] = {L"Matrix", L"AuxInfo", L"MacroUseCount", L"ConfigInfo"};
  std::vector<RawValue> before;
  for (const wchar_t* name : values) before.push_back(ReadRaw(ProfilePath(1), name));
  const std::vector<std::uint8_t> fileBefore = ReadFileBytes(DistFolder() + L"profile\\2.cfg");
  ASSERT_EQ(fileBefore.size(), 84500u);

  Notepad notepad;
  ASSERT_TRUE(notepad.ToFront());
  const ULONGLONG end = GetTickCount64() + 15000;
  while (keyboard().LogWith("macro slot").empty() && GetTickCount64() < end) Sleep(10);
  ASSERT_FALSE(keyboard().LogWith("macro slot").empty()) << "the download has begun";
  PostMessageW(main_, WM_COMMAND, 0x6001, 0);
  ASSERT_TRUE(utility_->Ended(15000)) << "no hang";
  EXPECT_EQ(utility_->ExitCode(), 0u) << "no crash";
  main_ = nullptr;

  EXPECT_NE(StoredCurrentProfile(), 1) << "the switch was never completed";
  for (std::size_t i = 0; i < before.size(); ++i)
    EXPECT_EQ(ReadRaw(ProfilePath(1), values[i]).bytes, before[i].bytes) << i;
  EXPECT_EQ(ReadFileBytes(DistFolder() + L"profile\\2.cfg"), fileBefore);
}

// The text of the profile tab at a page point ("Profile 1", marked "Profile 1 *").
std::wstring TabText(HWND page, POINT at) {
  wchar_t text[64] = {};
  GetWindowTextW(ChildWindowFromPoint(page, at), text, 64);
  return text;
}

bool FileHasCtrlCInProfile1(HWND) {
  return Hex4(ReadFileBytes(DistFolder() + L"profile\\1.cfg"), 17 * 4) == kCtrlC;
}

// Profile 1 has ten macro keys (its Apply takes seconds); profile 2 is linked
// to notepad and keeps Caps Lock's factory function.
class LinkDuringApplyTest : public KeyboardPageTest {
 protected:
  void BeforeStart() override {
    EditStoredProfile(0, [] {
      for (int i = 0; i < 10; ++i) {  // the first ten keys of the picture
        StoreMacro(0x7200 + std::uint32_t(i));
        PutMacroOnKey(0, KeyLayoutTable[std::size_t(i)].position, 0x7200 + std::uint32_t(i));
      }
    });
    LinkStoredProfile(1, u"notepad.exe");
  }
};

TEST_F(LinkDuringApplyTest, ASwitchWaitsForTheApplyWhichStoresItsOwnProfile) {
  SetCapsLockToCtrlC();
  const std::size_t matrixWrites = keyboard().LogWith("key matrix written").size();
  ClickAt(page_, kApply);
  const ULONGLONG end = GetTickCount64() + 15000;
  while (keyboard().LogWith("macro slot").empty() && GetTickCount64() < end) Sleep(10);
  ASSERT_FALSE(keyboard().LogWith("macro slot").empty()) << "the Apply has begun";
  Notepad notepad;
  ASSERT_TRUE(notepad.ToFront());
  // All settled: the Apply's matrix, then the switch's own.
  ASSERT_TRUE(keyboard().WaitForLogCount("key matrix written", matrixWrites + 2, 20000));
  bool boxSeen = false;
  ASSERT_TRUE(WaitForCurrentProfile(1, boxSeen));
  ASSERT_TRUE(WaitUntil(&FileHasCtrlCInProfile1, nullptr, 5000));
  ASSERT_TRUE(QueueHandled(main_)) << "the utility has taken the downloads' ends";
  EXPECT_EQ(StoredCurrentProfile(), 1);
  EXPECT_EQ(Hex4(ReadRaw(ProfilePath(0), L"Matrix").bytes, 17 * 4), kCtrlC) << "profile 1's edit stored";
  EXPECT_TRUE(FileHasCtrlCInProfile1(nullptr));
  EXPECT_EQ(Hex4(ReadRaw(ProfilePath(1), L"Matrix").bytes, 17 * 4), kCapsFactory) << "not in profile 2";
  EXPECT_EQ(KeyboardAt(17), kCapsFactory) << "the keyboard holds profile 2";
  EXPECT_EQ(KeyboardAt(11), Hex4(ReadRaw(ProfilePath(1), L"Matrix").bytes, 11 * 4)) << "no macro of profile 1";
  EXPECT_EQ(FindWindowW(nullptr, L"Info Box"), nullptr) << "no error";
}

// An edit survives a refused tab switch and a program-link switch, and its
// tab is marked meanwhile.
class UnappliedEditTest : public KeyboardPageTest {
 protected:
  void BeforeStart() override { LinkStoredProfile(1, u"notepad.exe"); }
};

TEST_F(UnappliedEditTest, ClosingTheQuestionOrALinkSwitchKeepsTheEdit) {
  SetCapsLockToCtrlC();
  // The page marks the tab after the dialog has gone.
  EXPECT_TRUE(WaitUntil([](HWND page) { return TabText(page, kProfileTab[0]) == L"Profile 1 *"; }, page_, 5000));
  ClickAt(page_, kProfileTab[1]);
  HWND box = WaitForWindow(L"Info Box", 5000);
  ASSERT_TRUE(box) << "the question about the unapplied edit";
  CloseBox(box);
  ASSERT_TRUE(WaitUntil([](HWND w) { return !IsWindow(w); }, box, 5000));
  {
    Notepad notepad;
    ASSERT_TRUE(notepad.ToFront());
    bool boxSeen = false;
    ASSERT_TRUE(WaitForCurrentProfile(1, boxSeen));
    Pump(500);
    EXPECT_EQ(TabText(page_, kProfileTab[0]), L"Profile 1 *") << "kept for profile 1";
  }
  SetForegroundWindow(main_);
  Pump(500);
  ClickAt(page_, kProfileTab[0]);
  Pump(500);
  EXPECT_EQ(FindWindowW(nullptr, L"Info Box"), nullptr) << "profile 2 had nothing unapplied";
  ClickAt(page_, kApply);
  EXPECT_TRUE(WaitUntil(&FileHasCtrlCInProfile1, nullptr, 15000)) << "the edit came back with its profile";
  EXPECT_EQ(KeyboardAt(17), kCtrlC);
  // The mark goes once the stored profile is shown again, just after its file is written.
  EXPECT_TRUE(WaitUntil([](HWND page) { return TabText(page, kProfileTab[0]) == L"Profile 1"; },
                        page_, 5000));
}

// Profile 2 is linked to game.exe; the user links profile 4 to me.exe.
class LinkNameTest : public KeyboardPageTest {
 protected:
  void BeforeStart() override {
    LinkStoredProfile(1, u"game.exe");
    WriteFileBytes(TestFolder() + L"me.exe", {'M', 'Z'});
  }
};

TEST_F(LinkNameTest, ANameThatAnotherLinkOnlyContainsIsAccepted) {
  ClickAt(page_, kProfileTab[3]);
  Pump(300);
  ClickAt(page_, kLinkBox);
  ChooseInOpenFileDialog(main_, TestFolder() + L"me.exe");
  EXPECT_TRUE(WaitUntil(
      [](HWND) {
        LoadProgramLinks();
        return buffers::ProCfg[3].enabled == 1 && buffers::ProCfg[3].Program() == u"me.exe";
      },
      nullptr, 5000));
  EXPECT_EQ(FindWindowW(nullptr, L"Info Box"), nullptr) << "no claim that it is linked already";
}

}  // namespace
}  // namespace q730x::test
