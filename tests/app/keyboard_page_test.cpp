// The keyboard page of the running utility, used as a user uses it: editing
// and applying, Restore, the report rate, a refused download, a driver that
// opens late, and key events that run actions.
#include <gtest/gtest.h>

#include <windows.h>

#include "gui_support.h"
#include "key_input.h"
#include "keyboard_page_fixture.h"
#include "model/admin_overrides.h"
#include "model/profile_buffers.h"
#include "override_switches.h"
#include "store_test_support.h"

namespace q730x::test {
namespace {

std::string RegistryAt(int position) { return Hex4(ReadRaw(ProfilePath(0), L"Matrix").bytes, position * 4); }
bool RegistryHasCtrlC(HWND) { return RegistryAt(17) == kCtrlC; }
// The file is written from the registry right after it.
bool FileHasCtrlC(HWND) { return Hex4(ReadFileBytes(DistFolder() + L"profile\\1.cfg"), 17 * 4) == kCtrlC; }
bool StoredRateIs125(HWND) {
  const auto config = ReadRaw(ProfilePath(0), L"ConfigInfo").bytes;
  return config.size() >= 4 && config[0] == 125 && config[1] == 0;
}

TEST_F(KeyboardPageTest, CapsLockGetsCtrlCAndApplyPutsItOnTheKeyboardAndInTheStore) {
  SetCapsLockToCtrlC();
  EXPECT_EQ(KeyboardAt(17), kCapsFactory) << "nothing is downloaded before Apply";
  ClickAt(page_, kApply);
  EXPECT_TRUE(keyboard().WaitForDump("attached", "1"));
  ASSERT_TRUE(WaitUntil(&RegistryHasCtrlC, nullptr, 15000));
  EXPECT_EQ(KeyboardAt(17), kCtrlC);
  EXPECT_FALSE(keyboard().LogWith("kind=32").empty()) << "the set-up request after the open";
  EXPECT_EQ(StoredCurrentProfile(), 0);
  EXPECT_TRUE(WaitUntil(&FileHasCtrlC, nullptr, 2000));

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
  PressOk(box);
  ASSERT_TRUE(WaitUntil([](HWND w) { return !IsWindow(w); }, box, 5000));
  EXPECT_EQ(KeyboardAt(17), kCapsFactory);
  // The edit is gone from memory too: the next Apply downloads the old matrix
  // and saves it (the profile file is written last, after the registry).
  const FileRewrite saved(DistFolder() + L"profile\\1.cfg");
  ClickAt(page_, kApply);
  ASSERT_TRUE(saved.Wait());
  EXPECT_EQ(FindWindowW(nullptr, L"Info Box"), nullptr);
  EXPECT_EQ(KeyboardAt(17), kCapsFactory);
  EXPECT_EQ(RegistryAt(17), kCapsFactory);
}

TEST_F(KeyboardPageTest, RestoreAsksFirstAndOnlyOkRestores) {
  const std::size_t writesBefore = keyboard().LogWith("key matrix written").size();
  ClickAt(page_, kRestore);
  HWND box = WaitForWindow(L"Info Box", 5000);
  ASSERT_TRUE(box);
  CloseBox(box);
  EXPECT_EQ(keyboard().LogWith("key matrix written").size(), writesBefore) << "closed without OK";

  ClickAt(page_, kRestore);
  box = WaitForWindow(L"Info Box", 5000);
  ASSERT_TRUE(box);
  PressOk(box);
  // Restore sets the profile's report rate to 125 and saves after the download.
  // Had the closed box restored too, its download would have come first: one
  // matrix write in all says it did not.
  ASSERT_TRUE(WaitUntil(&StoredRateIs125, nullptr, 15000));
  EXPECT_EQ(keyboard().LogWith("key matrix written").size(), writesBefore + 1) << "closed without OK";
}

// Profile 1 has a text, a link and a macro on Esc (key position 11).
class RefusedRestoreTest : public KeyboardPageTest {
 protected:
  void BeforeStart() override {
    StoreMacro(0x7300);
    EditStoredProfile(0, [] {
      buffers::ConfigInfo.text[0] = u'x';
      PutMacroOnKey(0, 11, 0x7300);
    });
    LinkStoredProfile(0, u"game.exe");
  }
};

TEST_F(RefusedRestoreTest, ARefusedRestoreChangesNothingInMemoryOrAfterTheNextApply) {
  ClickAt(page_, kRestore);
  HWND box = WaitForWindow(L"Info Box", 5000);
  ASSERT_TRUE(box);
  ASSERT_TRUE(keyboard().Admin("refuse 1"));
  PressOk(box);
  ASSERT_TRUE(WaitUntil([](HWND w) { return !IsWindow(w); }, box, 5000));
  box = WaitForWindow(L"Info Box", 15000);
  ASSERT_TRUE(box) << "Setting Error";
  PressOk(box);
  ASSERT_TRUE(WaitUntil([](HWND w) { return !IsWindow(w); }, box, 5000));
  Pump(300);
  wchar_t text[16] = {};
  GetDlgItemTextW(page_, 1000, text, 16);
  EXPECT_STREQ(text, L"x");
  EXPECT_TRUE(IsWindowVisible(ChildWindowFromPoint(page_, {470, 414}))) << "the program name: still linked";

  const FileRewrite saved(DistFolder() + L"profile\\1.cfg");
  ClickAt(page_, kApply);
  ASSERT_TRUE(saved.Wait()) << "the Apply saves the profile";
  EXPECT_EQ(KeyboardAt(11).substr(0, 2), "08") << "Esc plays its macro";
  const std::vector<std::uint8_t> config = ReadRaw(ProfilePath(0), L"ConfigInfo").bytes;
  ASSERT_GE(config.size(), 6u);
  EXPECT_EQ(Hex4(config, 0), "E8030000") << "rate 1000, not 125";
  EXPECT_EQ(config[4], 'x');
  EXPECT_EQ(Hex4(ReadRaw(kStoreRoot, L"MacroUse").bytes, 11 * 4), "00730000") << "the macro is still in use";
  EXPECT_EQ(FindWindowW(nullptr, L"Info Box"), nullptr);
}

TEST_F(KeyboardPageTest, Rate125SendsInterval8TheUtilitySurvivesTheReplugAndApplyStoresIt) {
  ClickAt(page_, kRate);
  // The dialog runs modally, owned by the main window.
  HWND dialog = nullptr;
  for (int i = 0; i < 100 && !dialog; ++i, Sleep(50)) dialog = OwnedDialog(main_);
  ASSERT_TRUE(dialog);
  Pump(300);
  const std::size_t rejoins = keyboard().Rejoins();
  ClickAt(dialog, kRate125);
  ClickAt(dialog, kRateOk);
  EXPECT_TRUE(keyboard().WaitForDump("interval", "8"));
  ASSERT_TRUE(keyboard().WaitForRejoin(rejoins));
  // On the arrival the utility reads the firmware version: by then it has
  // handled the removal before it too.
  EXPECT_TRUE(keyboard().WaitForLogAfter(keyboard().kRejoined, " reply="));
  ASSERT_FALSE(utility_->Ended(0)) << "an expected removal";
  EXPECT_FALSE(StoredRateIs125(nullptr)) << "nothing is stored before Apply";
  ClickAt(page_, kApply);
  EXPECT_TRUE(WaitUntil(&StoredRateIs125, nullptr, 15000));
}

// Esc (key position 11) of profile 1 plays a macro.
constexpr int kEsc = 11;
constexpr std::uint32_t kMacroId = 0x51A7;

class MacroKeyPageTest : public KeyboardPageTest {
 protected:
  void BeforeStart() override {
    StoreMacro(kMacroId);
    EditStoredProfile(0, [] { PutMacroOnKey(0, kEsc, kMacroId); });
  }
};

TEST_F(MacroKeyPageTest, ARefusedMacroSlotWriteSaysSoAndTheOldMatrixComesBack) {
  SetCapsLockToCtrlC();
  ASSERT_TRUE(keyboard().Admin("refuse 1"));  // the slot write command comes first
  ClickAt(page_, kApply);
  HWND box = WaitForWindow(L"Info Box", 15000);
  ASSERT_TRUE(box) << "Setting Error";
  PressOk(box);
  ASSERT_TRUE(WaitUntil([](HWND w) { return !IsWindow(w); }, box, 5000));
  EXPECT_EQ(keyboard().LogWith("injected fault").size(), 1u);
  EXPECT_EQ(keyboard().DumpField("slots"), "") << "no slot written";
  EXPECT_EQ(KeyboardAt(17), kCapsFactory) << "no matrix written after the refused slot";
  EXPECT_EQ(RegistryAt(17), kCapsFactory);

  // The old matrix is back in memory: the next Apply writes the macro key,
  // pointing at slot 0, and Caps Lock as it was.
  ClickAt(page_, kApply);
  ASSERT_TRUE(WaitUntil([](HWND) { return RegistryAt(kEsc) == "080001FF"; }, nullptr, 15000));
  EXPECT_EQ(KeyboardAt(kEsc), "080001FF");
  EXPECT_EQ(KeyboardAt(17), kCapsFactory);
  EXPECT_EQ(RegistryAt(17), kCapsFactory);
  EXPECT_EQ(keyboard().DumpField("slots"), "0");
}

// The driver refuses the first open and the first two retries.
class LateDriverPageTest : public KeyboardPageTest {
 protected:
  void BeforeStart() override { ASSERT_TRUE(keyboard().Admin("refuse-opens 3")); }
};

TEST_F(LateDriverPageTest, ADriverThatOpensOnTheThirdRetryWorks) {
  ASSERT_TRUE(keyboard().WaitForDump("registered", "1", 15000));
  const auto registrations = keyboard().LogWith("kind=1 dir");
  ASSERT_EQ(registrations.size(), 4u);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(registrations[i].Has("does not open"));
  EXPECT_TRUE(registrations[3].Has("result=ok")) << registrations[3].text;
  // Retries come 500 ms apart.
  EXPECT_GE(registrations[3].t - registrations[0].t, 1300.0);

  SetCapsLockToCtrlC();
  ClickAt(page_, kApply);
  ASSERT_TRUE(WaitUntil(&RegistryHasCtrlC, nullptr, 15000));
  EXPECT_EQ(KeyboardAt(17), kCtrlC);
  EXPECT_EQ(FindWindowW(nullptr, L"Info Box"), nullptr) << "no driver message";
  EXPECT_EQ(keyboard().LogWith("kind=1 dir").size(), 4u) << "no retries after the open";
  EXPECT_FALSE(utility_->Ended(0));
}

// Key position 5 runs notepad.exe (kind 7), 6 opens a file in a folder with
// a space in its name (kind 5), 7 opens a file but has no path. The file's
// type is one of the test's own, opened by notepad: the prefix maps no
// extension to a program by default.
class KeyEventTest : public KeyboardPageTest {
 protected:
  static std::wstring NoteFile() { return TestFolder() + L"key files\\key note.q730xnote"; }
  static void SetUpTestSuite() {
    KeyboardPageTest::SetUpTestSuite();
    RegSetValueW(HKEY_CLASSES_ROOT, L".q730xnote", REG_SZ, L"Q730XTestNote", 0);
    const wchar_t command[] = L"\"C:\\windows\\system32\\notepad.exe\" \"%1\"";
    RegSetValueW(HKEY_CLASSES_ROOT, L"Q730XTestNote\\shell\\open\\command", REG_SZ, command, 0);
  }
  static void TearDownTestSuite() {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L".q730xnote");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Q730XTestNote");
    KeyboardPageTest::TearDownTestSuite();
  }
  void BeforeStart() override {
    CreateDirectoryW((TestFolder() + L"key files").c_str(), nullptr);
    WriteFileBytes(NoteFile(), {'h', 'i', '\r', '\n'});
    ASSERT_EQ(RunSettingsTool(L"set 1 5 C7050003 notepad.exe"), 0u);
    ASSERT_EQ(RunSettingsTool(L"set 1 6 C5060003 \"" + NoteFile() + L"\""), 0u);
    ASSERT_EQ(RunSettingsTool(L"set 1 7 C5070003"), 0u);
  }
  // Apply puts the action codes on the keyboard; then the window is hidden.
  void ApplyAndHide() {
    ClickAt(page_, kApply);
    const ULONGLONG end = GetTickCount64() + 15000;
    while (KeyboardAt(7) != "030007C5" && GetTickCount64() < end) Sleep(100);
    ASSERT_EQ(KeyboardAt(5), "030005C7");
    ASSERT_EQ(KeyboardAt(6), "030006C5");
    ASSERT_EQ(KeyboardAt(7), "030007C5");
    PostMessageW(main_, 0x706, 0, 0);
    ASSERT_TRUE(WaitUntil([](HWND w) { return !IsWindowVisible(w); }, main_));
  }
  // Waits for a window whose title starts with prefix and closes it.
  // Whether a window whose title starts with prefix opens; it is closed
  // again, and gone before this returns, so that no later look finds it.
  static bool Opened(const std::wstring& prefix) {
    HWND window = nullptr;
    const ULONGLONG end = GetTickCount64() + 20000;
    while (!(window = VisibleWindowStartingWith(prefix)) && GetTickCount64() < end) Sleep(10);
    if (!window) return false;
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([](HWND w) { return !IsWindow(w); }, window, 10000)) << "closed again";
    return true;
  }
};

TEST_F(KeyEventTest, AKeyThatRunsAProgramRunsItWithTheWindowHidden) {
  ApplyAndHide();
  ASSERT_TRUE(keyboard().Admin("press 5"));
  EXPECT_TRUE(Opened(L"Untitled - Notepad"));
}

TEST_F(KeyEventTest, AKeyThatOpensAFileOpensAPathWithASpaceWithTheWindowHidden) {
  ApplyAndHide();
  ASSERT_TRUE(keyboard().Admin("press 6"));
  EXPECT_TRUE(Opened(L"key note.q730xnote")) << "notepad with the file";
}

// Profile 2 opens the note file at the same key as profile 1's notepad.
class HeldProfileKeyEventTest : public KeyEventTest {
 protected:
  void BeforeStart() override {
    KeyEventTest::BeforeStart();
    ASSERT_EQ(RunSettingsTool(L"set 2 5 C5050003 \"" + NoteFile() + L"\""), 0u);
  }
};

TEST_F(HeldProfileKeyEventTest, AKeyRunsTheActionOfTheProfileTheKeyboardHoldsNotOfTheTabShown) {
  ApplyAndHide();
  PostMessageW(main_, WM_COMMAND, 0x6000, 0);  // open again, as from the tray
  ASSERT_TRUE(WaitUntil([](HWND w) { return IsWindowVisible(w) != FALSE; }, main_));
  Pump(300);
  ClickAt(page_, kProfileTab[1]);  // returns once the utility has handled the click
  ASSERT_TRUE(keyboard().Admin("press 5"));
  EXPECT_TRUE(Opened(L"Untitled - Notepad")) << "profile 1's program";
  EXPECT_EQ(VisibleWindowStartingWith(L"key note"), nullptr) << "not profile 2's file";
}

// The download reports its result 300 ms after the keyboard took the new
// matrix; a key pressed in between already has profile 2's function, and
// must run profile 2's action.
TEST_F(HeldProfileKeyEventTest, AKeyPressedJustAfterTheMatrixIsWrittenRunsTheNewProfilesAction) {
  ApplyAndHide();
  PostMessageW(main_, WM_COMMAND, 0x6000, 0);
  ASSERT_TRUE(WaitUntil([](HWND w) { return IsWindowVisible(w) != FALSE; }, main_));
  Pump(300);
  ClickAt(page_, kProfileTab[1]);
  Pump(500);
  ClickAt(page_, kApply);
  const ULONGLONG end = GetTickCount64() + 15000;
  while (KeyboardAt(5) != "030005C5" && GetTickCount64() < end) Sleep(5);
  ASSERT_EQ(KeyboardAt(5), "030005C5") << "profile 2's key is on the keyboard";
  ASSERT_TRUE(keyboard().Admin("press 5"));
  EXPECT_TRUE(Opened(L"key note.q730xnote")) << "profile 2's file";
  EXPECT_EQ(VisibleWindowStartingWith(L"Untitled - Notepad"), nullptr) << "not profile 1's program";
}

// When neither the desktop's shell nor the desktop user's token can start a
// key's program, the utility must not start it with its own, elevated
// token: nothing starts, and the utility goes on. The switch makes only the
// user routes fail (under Wine the shell always answers).
TEST_F(KeyEventTest, WithoutTheUsersRoutesAProgramIsNotStartedWithTheUtilitysRights) {
  ApplyAndHide();
  ASSERT_TRUE(SetOverride(kUserLaunchOverride, L"fail"));
  ASSERT_TRUE(keyboard().Admin("press 5"));
  ASSERT_TRUE(keyboard().Admin("press 6"));
  const ULONGLONG end = GetTickCount64() + 4000;
  bool started = false;
  while (GetTickCount64() < end && !started) {
    started = VisibleWindowStartingWith(L"Untitled - Notepad") || VisibleWindowStartingWith(L"key note");
    Sleep(50);
  }
  ASSERT_TRUE(SetOverride(kUserLaunchOverride, nullptr));
  EXPECT_FALSE(started) << "started with the utility's own token";
  DWORD_PTR answer = 0;
  EXPECT_TRUE(SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer));
  ASSERT_TRUE(keyboard().Admin("press 5"));
  EXPECT_TRUE(Opened(L"Untitled - Notepad")) << "with the routes back, it starts as the user";
}

TEST_F(KeyEventTest, ThreeThousandIgnoredEventsLeaveItAnsweringAndWorking) {
  ApplyAndHide();
  // An open-file key without a path, and words that are no action events.
  std::string reply;
  ASSERT_TRUE(keyboard().Admin("press 7 1500", &reply));
  EXPECT_EQ(reply, "queued 1500 events for 1 clients");
  ASSERT_TRUE(keyboard().Admin("event 16384 1500", &reply));  // 0x4000 onwards: bit 15 clear
  EXPECT_EQ(reply, "queued 1500 events for 1 clients");
  DWORD_PTR answer = 0;
  EXPECT_TRUE(SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer));
  // Events are handled in their order: this one comes after the flood.
  ASSERT_TRUE(keyboard().Admin("press 5"));
  EXPECT_TRUE(Opened(L"Untitled - Notepad"));
  EXPECT_FALSE(utility_->Ended(0));
  EXPECT_EQ(VisibleWindowStartingWith(L"key note"), nullptr) << "nothing else was opened";
}

}  // namespace
}  // namespace q730x::test
