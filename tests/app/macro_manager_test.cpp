// The macro manager of the running utility, used as a user uses it: the real
// pointer clicks its buttons and lists at their places, keys go through
// SendInput to the key hook library, and what was saved is read from the
// registry, and what the keyboard would play from the virtual keyboard.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "gui_support.h"
#include "key_input.h"
#include "keyboard_page_fixture.h"
#include "markup/language_table.h"
#include "model/macro_record.h"
#include "store_test_support.h"
#include "utility_process.h"
#include "virtual_keyboard_instance.h"
#include "window_driver.h"

namespace q730x {
namespace {

using test::ClickAt;
using test::WaitForWindow;

// The main window's page buttons, the macro page's record and new buttons,
// Caps Lock (position 17), Tab (position 9) and Apply of the keyboard page,
// the key setting dialog's macro tab and OK, the message box's close button.
using test::kApply, test::kBoxClose, test::kCapsLock, test::kKeyboardButton, test::kMacroButton,
    test::kMacroTab, test::kNew, test::kRecord, test::kSettingOk, test::kTab;
// Macro page (client points of the page).
constexpr POINT kDelete{137, 314}, kInsert{330, 314}, kDeleteStep{357, 314}, kModify{384, 314},
    kSkipPauses{570, 89}, kKeyOption{571, 199}, kPauseOption{571, 219}, kOk{698, 250},
    kMouseLeft{637, 324}, kRepeatField{700, 123};
constexpr POINT kModeButtons[3] = {{570, 123}, {570, 143}, {570, 165}};

const wchar_t kMacroRoot[] = L"Software\\KAVEX\\Q730X\\Macro";
const wchar_t kProfile0[] = L"Software\\KAVEX\\Q730X\\Profile\\0";
constexpr int kEntryHeight = 18;

constexpr std::uint32_t Press(std::uint32_t vk) { return 0xC0000000u | vk; }
constexpr std::uint32_t Release(std::uint32_t vk) { return 0xE0000000u | vk; }
constexpr bool IsPause(std::uint32_t e) { return (e >> 24) == 0xA0; }

using test::Eventually;

std::wstring MacroKey(std::uint32_t id) {
  wchar_t name[64];
  std::swprintf(name, 64, L"%ls\\%08x", kMacroRoot, id);
  return name;
}

std::optional<MacroRecord> Stored(std::uint32_t id) {
  const test::RawValue raw = test::ReadRaw(MacroKey(id), L"");
  if (!raw.exists) return std::nullopt;
  return MacroRecord::FromBytes(raw.bytes);
}

std::vector<std::uint32_t> Events(const MacroRecord& r) {
  std::vector<std::uint32_t> out;
  for (std::size_t i = 0; i < r.EventCount(); ++i) out.push_back(r.Event(i).word);
  return out;
}

// The key events of a record without its pauses.
std::vector<std::uint32_t> Keys(const MacroRecord& r) {
  std::vector<std::uint32_t> out;
  for (std::uint32_t e : Events(r))
    if (!IsPause(e)) out.push_back(e);
  return out;
}

HWND FindList(HWND page, int id) {
  struct Search {
    int id;
    HWND found;
  } search{id, nullptr};
  EnumChildWindows(
      page,
      [](HWND window, LPARAM data) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(data);
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        if (_wcsicmp(name, L"ListBox") != 0 || GetDlgCtrlID(window) != s.id) return TRUE;
        s.found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::wstring WindowText(HWND window) {
  wchar_t text[256] = {};
  SendMessageW(window, WM_GETTEXT, 256, LPARAM(text));
  return text;
}

class MacroManagerTest : public test::VirtualKeyboardSuite {
 protected:
  static void SetUpTestSuite() {
    StartKeyboard("macro-manager");
    ASSERT_TRUE(LoadLanguageTable(test::DistFolder() + L"language.xml", texts_));
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\KAVEX\\Q730X");
    BeforeStart();
    utility_ = new test::Utility();
    main_ = WaitForWindow(texts_.str_title);
    ASSERT_TRUE(main_);
    PostMessageW(main_, 0x707, 0, 0);
    ASSERT_TRUE(Eventually([] { return IsWindowVisible(main_) != FALSE; }));
    page_ = FindWindowExW(main_, nullptr, nullptr, L"KavexQ730XMacroManager");
    ASSERT_TRUE(page_);
    macros_ = FindList(page_, 256);
    steps_ = FindList(page_, 257);
    ASSERT_TRUE(macros_ && steps_);
    HWND record = ChildWindowFromPointEx(page_, kRecord, CWP_SKIPINVISIBLE);
    ASSERT_TRUE(record && record != page_);
    recordButton_ = record;
  }
  static void BeforeStart() {}
  static void TearDownTestSuite() {
    if (main_) PostMessageW(main_, WM_COMMAND, 0x6001, 0);
    if (utility_) {
      EXPECT_TRUE(utility_->Ended(15000));
    }
    delete utility_;
    utility_ = nullptr;
    main_ = nullptr;
    VirtualKeyboardSuite::TearDownTestSuite();
  }
  // Every test starts on the macro page with no stored macros.
  void SetUp() override {
    ASSERT_TRUE(main_);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kMacroRoot);
    if (!IsWindowVisible(main_)) {
      PostMessageW(main_, 0x707, 0, 0);
      ASSERT_TRUE(Eventually([] { return IsWindowVisible(main_) != FALSE; }));
    }
    SetForegroundWindow(main_);
    ClickAt(main_, kKeyboardButton);
    ClickAt(main_, kMacroButton);
    ASSERT_TRUE(Eventually([] { return IsWindowVisible(page_) && MacroCount() == 0; }));
  }

  static int MacroCount() { return int(SendMessageW(macros_, LB_GETCOUNT, 0, 0)); }
  static int StepCount() { return int(SendMessageW(steps_, LB_GETCOUNT, 0, 0)); }
  static std::uint32_t SelectedMacroId() {
    const LRESULT i = SendMessageW(macros_, LB_GETCURSEL, 0, 0);
    return i < 0 ? 0 : std::uint32_t(SendMessageW(macros_, LB_GETITEMDATA, i, 0));
  }
  static bool Recording() { return WindowText(recordButton_) == texts_.str_macro_end; }

  void Click(POINT at) { ClickAt(page_, at); }
  void ClickStep(int index) {
    SendMessageW(steps_, LB_SETTOPINDEX, 0, 0);
    ClickAt(steps_, {60, index * kEntryHeight + kEntryHeight / 2});
    ASSERT_TRUE(Eventually([&] { return SendMessageW(steps_, LB_GETCURSEL, 0, 0) == index; }, 3000));
  }
  // New macro, named by typing into the list's editor (a space with the
  // real Space key) and kept with Enter; answers its id.
  std::uint32_t NewMacro(const std::wstring& name) {
    const int before = MacroCount();
    Click(kNew);
    EXPECT_TRUE(Eventually([&] { return MacroCount() == before + 1; }, 3000));
    test::Pump(200);
    std::size_t start = 0;
    for (std::size_t space = name.find(L' '); space != std::wstring::npos; space = name.find(L' ', start)) {
      test::InjectText(name.substr(start, space - start));
      test::Pump(100);
      test::TapKey(VK_SPACE);
      start = space + 1;
    }
    test::InjectText(name.substr(start));
    test::Pump(200);
    test::TapKey(VK_RETURN);
    return SelectedMacroId();
  }
  void StartRecording() {
    Click(kRecord);
    ASSERT_TRUE(Eventually(&Recording, 3000));
  }
  void StopRecording() {
    Click(kRecord);
    ASSERT_TRUE(Eventually([] { return !Recording(); }, 3000));
  }
  // A tap with pauses on each side long enough to be recorded: the pauses
  // are what the recorder measures, so they are real time. The recorder
  // times a step when the utility's thread handles its report, which on a
  // busy machine can come up to about 100 ms late, so a pause is recorded
  // as at least kTapMs - 100.
  static constexpr DWORD kTapMs = 250;
  static void SlowTap(WORD vk) {
    test::HoldKey(vk);
    Sleep(kTapMs);
    test::LetGoKey(vk);
    Sleep(kTapMs);
  }
  // Records A and B, each pressed and released, into a new macro.
  std::uint32_t RecordAB(const std::wstring& name) {
    const std::uint32_t id = NewMacro(name);
    StartRecording();
    SlowTap('A');
    SlowTap('B');
    test::WaitUntilInputHandled();  // B's release is recorded before the stop
    StopRecording();
    EXPECT_TRUE(Eventually([&] { return Stored(id).has_value(); }));
    return id;
  }
  static HWND WaitForBox() { return WaitForWindow(L"Info Box", 5000); }
  static void CloseBox(HWND box) {
    test::Pump(300);
    ClickAt(box, kBoxClose);
    ASSERT_TRUE(Eventually([&] { return !IsWindow(box); }, 5000));
  }
  static void OkBox(HWND box) {
    test::PressOk(box);
    ASSERT_TRUE(Eventually([&] { return !IsWindow(box); }, 5000));
  }

  static LanguageTable texts_;
  static test::Utility* utility_;
  static HWND main_, page_, macros_, steps_, recordButton_;
};
LanguageTable MacroManagerTest::texts_;
test::Utility* MacroManagerTest::utility_ = nullptr;
HWND MacroManagerTest::main_ = nullptr;
HWND MacroManagerTest::page_ = nullptr;
HWND MacroManagerTest::macros_ = nullptr;
HWND MacroManagerTest::steps_ = nullptr;
HWND MacroManagerTest::recordButton_ = nullptr;

TEST_F(MacroManagerTest, ANewMacroIsNamedAndRecordedWithPausesBetweenItsStepsOnly) {
  const std::uint32_t id = RecordAB(L"My Seq");
  const std::optional<MacroRecord> r = Stored(id);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->name(), u"My Seq") << "a space is typed into a name";
  EXPECT_EQ(r->id(), id);
  EXPECT_EQ(r->repeatCount(), 1u);
  EXPECT_EQ(r->playMode(), 0u);
  const std::vector<std::uint32_t> events = Events(*r);
  ASSERT_EQ(events.size(), 7u);
  EXPECT_EQ(Keys(*r), (std::vector<std::uint32_t>{Press('A'), Release('A'), Press('B'), Release('B')}));
  for (std::size_t i = 1; i < events.size(); i += 2) {
    EXPECT_TRUE(IsPause(events[i])) << i;
    EXPECT_GE(events[i] & 0xFFFFFF, kTapMs - 100) << "a pause as long as the key was held";
  }
  EXPECT_EQ(StepCount(), 7);

  // With the skip box on, the same keys record no pauses; the on-screen
  // left button records a press and a release.
  // The mode chosen before the first save is the one stored.
  const std::uint32_t quick = NewMacro(L"Quick");
  Click(kModeButtons[2]);
  Click(kSkipPauses);
  StartRecording();
  SlowTap('A');
  Click(kMouseLeft);
  test::Pump(200);
  StopRecording();
  Click(kSkipPauses);
  ASSERT_TRUE(Eventually([&] { return Stored(quick).has_value(); }));
  EXPECT_EQ(Events(*Stored(quick)),
            (std::vector<std::uint32_t>{Press('A'), Release('A'), Press(1), Release(1)}));
  EXPECT_EQ(Stored(quick)->playMode(), 1u);
}

TEST_F(MacroManagerTest, StepEditsAreStoredAtOnceAndNeverLeaveAPauseFirst) {
  const std::uint32_t id = RecordAB(L"Edit");
  ASSERT_EQ(StepCount(), 7);  // A down, pause, A up, pause, B down, pause, B up

  // Insert a key (captured from the keyboard) before the first step.
  ClickStep(0);
  Click(kInsert);
  Click(kKeyOption);
  test::Pump(200);
  test::TapKey('C');
  Click(kOk);
  ASSERT_TRUE(Eventually([&] { return Events(*Stored(id)).size() == 9; }));
  EXPECT_EQ(Keys(*Stored(id)).front(), Press('C'));
  EXPECT_EQ(Keys(*Stored(id))[1], Release('C'));

  // Insert a pause of 250 ms before A's press (now the third step).
  ClickStep(2);
  Click(kInsert);
  Click(kPauseOption);
  test::InjectText(L"250");
  test::Pump(200);
  Click(kOk);
  ASSERT_TRUE(Eventually([&] { return Events(*Stored(id)).size() == 10; }));
  EXPECT_EQ(Events(*Stored(id))[2], 0xA00000FAu);

  // Modify that pause to 300 ms.
  ClickStep(2);
  Click(kModify);
  test::Pump(200);
  test::InjectText(L"300");
  test::Pump(200);
  Click(kOk);
  ASSERT_TRUE(Eventually([&] { return Events(*Stored(id))[2] == 0xA000012Cu; }));

  // Delete C's press: the list then begins with C's release and the pause.
  ClickStep(0);
  Click(kDeleteStep);
  ASSERT_TRUE(Eventually([&] { return Events(*Stored(id)).size() == 9; }));
  // Deleting C's release now would put the pause first: refused.
  ClickStep(0);
  Click(kDeleteStep);
  HWND box = WaitForBox();
  ASSERT_TRUE(box) << "str_macro_msg2";
  OkBox(box);
  EXPECT_EQ(StepCount(), 9);
  // So is a pause inserted before the first step.
  ClickStep(0);
  Click(kInsert);
  Click(kPauseOption);
  test::InjectText(L"40");
  Click(kOk);
  box = WaitForBox();
  ASSERT_TRUE(box) << "str_macro_msg2";
  OkBox(box);
  test::Pump(300);
  const std::vector<std::uint32_t> events = Events(*Stored(id));
  ASSERT_EQ(events.size(), 9u);
  EXPECT_EQ(events[0], Release('C'));
  EXPECT_EQ(events[1], 0xA000012Cu);
}

TEST_F(MacroManagerTest, TheRepeatFieldAndTheModeButtonsAreSavedAsTheyChange) {
  const std::uint32_t id = RecordAB(L"Rep");
  HWND field = GetDlgItem(page_, 1001);
  ASSERT_TRUE(field);
  auto type = [&](const std::wstring& text) {
    Click(kRepeatField);
    SendMessageW(field, EM_SETSEL, 0, -1);
    if (text.empty()) test::InjectKeyTap(VK_DELETE);
    else test::InjectText(text);
  };
  auto repeatIs = [&](std::uint32_t n) { return Eventually([&] { return Stored(id)->repeatCount() == n; }); };
  type(L"7");
  EXPECT_TRUE(repeatIs(7));
  type(L"0");
  EXPECT_TRUE(repeatIs(1));
  EXPECT_TRUE(Eventually([&] { return WindowText(field) == L"1"; }));
  type(L"7");
  EXPECT_TRUE(repeatIs(7));
  type(L"");
  EXPECT_TRUE(repeatIs(1));
  EXPECT_TRUE(Eventually([&] { return WindowText(field) == L"1"; }));
  type(L"65535");
  EXPECT_TRUE(repeatIs(65533));
  EXPECT_TRUE(Eventually([&] { return WindowText(field) == L"65534"; }));
  // Typed, a leading 0 turns into "1" at once; pasted whole, "010" reads as
  // octal 8 for the field's check and is stored as the decimal it shows.
  SendMessageW(field, WM_SETTEXT, 0, LPARAM(L"010"));
  EXPECT_TRUE(repeatIs(10));
  EXPECT_EQ(WindowText(field), L"010");

  Click(kModeButtons[1]);
  EXPECT_TRUE(Eventually([&] { return Stored(id)->playMode() == 2; }));
  Click(kModeButtons[2]);
  EXPECT_TRUE(Eventually([&] { return Stored(id)->playMode() == 1; }));
  Click(kModeButtons[0]);
  EXPECT_TRUE(Eventually([&] { return Stored(id)->playMode() == 0; }));
}

TEST_F(MacroManagerTest, TheStepLimitIsShownOncePerRecordingAndKeysLeftDownAreLetGoAtTheEnd) {
  const std::uint32_t id = NewMacro(L"Full");
  Click(kSkipPauses);
  StartRecording();
  // 80 taps fill the recording; more follow until the box shows, since on a
  // busy machine the system may skip the key hook for a key now and then.
  HWND box = nullptr;
  for (int i = 0; i < 200 && !box; ++i) {
    test::HoldKey(i % 2 ? 'A' : 'B');
    test::LetGoKey(i % 2 ? 'A' : 'B');
    Sleep(15);
    if (i >= 79) box = FindWindowW(nullptr, L"Info Box");
  }
  if (!box) box = WaitForBox();
  ASSERT_TRUE(box) << "str_macro_msg3";
  OkBox(box);
  SlowTap('A');
  SlowTap('B');
  test::WaitUntilInputHandled();  // a second box would be open by now
  EXPECT_EQ(FindWindowW(nullptr, L"Info Box"), nullptr) << "shown once per recording";
  StopRecording();
  Click(kSkipPauses);
  ASSERT_TRUE(Eventually([&] { return Stored(id).has_value(); }));
  EXPECT_EQ(Events(*Stored(id)).size(), 160u);

  // Keys still down when a recording stops are let go at its end.
  const std::uint32_t held = NewMacro(L"Held");
  Click(kSkipPauses);
  StartRecording();
  test::HoldKey(VK_LSHIFT);
  SlowTap('A');
  StopRecording();
  test::LetGoKey(VK_LSHIFT);
  Click(kSkipPauses);
  ASSERT_TRUE(Eventually([&] { return Stored(held).has_value(); }));
  EXPECT_EQ(Events(*Stored(held)),
            (std::vector<std::uint32_t>{Press(VK_LSHIFT), Press('A'), Release('A'), Release(VK_LSHIFT)}));
}

TEST_F(MacroManagerTest, SwitchingPagesOrHidingTheWindowEndsTheRecordingAndSavesIt) {
  const std::uint32_t id = NewMacro(L"Stop");
  StartRecording();
  SlowTap('A');
  ClickAt(main_, kKeyboardButton);
  ASSERT_TRUE(Eventually([&] { return Stored(id).has_value(); }));
  EXPECT_EQ(Keys(*Stored(id)), (std::vector<std::uint32_t>{Press('A'), Release('A')}));
  EXPECT_FALSE(Recording());

  ClickAt(main_, kMacroButton);
  ASSERT_TRUE(Eventually([] { return IsWindowVisible(page_) != FALSE; }));
  ASSERT_TRUE(Eventually([&] { return SelectedMacroId() == id; })) << "the macro shown stays selected";
  StartRecording();
  SlowTap('B');
  PostMessageW(main_, 0x706, 0, 0);
  ASSERT_TRUE(Eventually([&] { return Keys(*Stored(id)).size() == 2 && Keys(*Stored(id))[0] == Press('B'); }));
  EXPECT_FALSE(Recording());

  // With two macros, the first listed one selected: coming back to the page
  // keeps it and its steps, whichever the list would select by itself.
  PostMessageW(main_, 0x707, 0, 0);
  ASSERT_TRUE(Eventually([] { return IsWindowVisible(main_) != FALSE; }));
  RecordAB(L"Other");
  ClickAt(macros_, {60, kEntryHeight / 2});
  const std::uint32_t first = std::uint32_t(SendMessageW(macros_, LB_GETITEMDATA, 0, 0));
  ASSERT_TRUE(Eventually([&] { return SelectedMacroId() == first; }));
  const int steps = int(Events(*Stored(first)).size());
  ASSERT_TRUE(Eventually([&] { return StepCount() == steps; }));
  ClickAt(main_, kKeyboardButton);
  ClickAt(main_, kMacroButton);
  test::Pump(500);
  EXPECT_EQ(SelectedMacroId(), first);
  EXPECT_EQ(StepCount(), steps);
}

TEST_F(MacroManagerTest, AMacroOnTwoKeysIsPlayedFromOneSlotAndDeletingItAsksForEachKey) {
  const std::uint32_t id = RecordAB(L"Keys");
  Click(kModeButtons[1]);  // play mode 2
  ASSERT_TRUE(Eventually([&] { return Stored(id)->playMode() == 2; }));
  const MacroRecord recorded = *Stored(id);

  // Caps Lock and Tab get the macro on the keyboard page, then Apply.
  ClickAt(main_, kKeyboardButton);
  HWND keyboardPage = FindWindowExW(main_, nullptr, nullptr, L"KavexQ730XKeyboardConfig");
  ASSERT_TRUE(Eventually([&] { return IsWindowVisible(keyboardPage) != FALSE; }));
  for (POINT key : {kCapsLock, kTab}) {
    ClickAt(keyboardPage, key);
    HWND setting = WaitForWindow(L"KavexQ730XSetting", 5000);
    ASSERT_TRUE(setting);
    test::Pump(300);
    ClickAt(setting, kMacroTab);
    test::Pump(300);
    ClickAt(setting, kSettingOk);  // the only listed macro is selected
    ASSERT_TRUE(Eventually([&] { return !IsWindow(setting); }, 5000));
  }
  ClickAt(keyboardPage, kApply);
  ASSERT_TRUE(Eventually(
      [&] {
        const auto m = test::ReadRaw(kProfile0, L"Matrix").bytes;
        return m.size() >= 80 && m[17 * 4] == 0x08 && m[17 * 4 + 2] == 1;
      },
      20000));
  const std::string matrix = keyboard().DumpField("matrix");
  EXPECT_EQ(matrix.substr(17 * 8, 8), "080201FF") << "slot 0 + 1, play mode 2";
  EXPECT_EQ(matrix.substr(9 * 8, 8), "080201FF") << "the same slot";
  EXPECT_EQ(keyboard().DumpField("slots"), "0");
  // What the keyboard plays: the recorded keys with the recorded pauses
  // (to 10 ms), repeat count 1.
  std::string expected = "0 repeat 1";
  for (std::uint32_t e : Events(recorded)) {
    char token[16];
    if (IsPause(e)) std::snprintf(token, sizeof token, " w%u", (e & 0xFFFFFF) / 10 * 10);
    else std::snprintf(token, sizeof token, " %c%02X", (e >> 24) == 0xC0 ? '+' : '-', (e & 0xFF) - 'A' + 4);
    expected += token;
  }
  EXPECT_EQ(keyboard().DumpField("play"), expected);

  // Deleting the macro asks once for each key that uses it; OK keeps it.
  ClickAt(main_, kMacroButton);
  ASSERT_TRUE(Eventually([] { return IsWindowVisible(page_) && SelectedMacroId() != 0; }));
  Click(kDelete);
  HWND box = WaitForBox();
  ASSERT_TRUE(box);
  OkBox(box);
  test::Pump(300);
  EXPECT_TRUE(Stored(id).has_value());
  EXPECT_EQ(StepCount(), 7) << "the kept macro still shows its steps";
  Click(kDelete);
  for (int asked = 0; asked < 2; ++asked) {
    box = WaitForBox();
    ASSERT_TRUE(box) << "question " << asked + 1;
    CloseBox(box);
  }
  EXPECT_TRUE(Eventually([&] { return !Stored(id).has_value(); }));
  EXPECT_EQ(MacroCount(), 0);

  // Back on the keyboard page both keys have their own functions again, and
  // Apply puts those on the keyboard and in the store.
  ClickAt(main_, kKeyboardButton);
  ASSERT_TRUE(Eventually([&] { return IsWindowVisible(keyboardPage) != FALSE; }));
  ClickAt(keyboardPage, kApply);
  ASSERT_TRUE(Eventually([&] { return keyboard().DumpField("matrix").substr(17 * 8, 8) == "00003900"; }, 20000));
  EXPECT_EQ(keyboard().DumpField("matrix").substr(9 * 8, 8), "00002B00") << "Tab";
  EXPECT_TRUE(Eventually(
      [&] {
        const auto m = test::ReadRaw(kProfile0, L"Matrix").bytes;
        return m.size() >= 80 && m[17 * 4] == 0x00 && m[17 * 4 + 2] == 0x39;
      },
      10000))
      << "the store keeps Caps Lock's own function";
}

// A suite of its own: its one test ends the utility the suite started.
class MacroExitTest : public MacroManagerTest {};

// The program ends without taking its windows down one by one; the page's
// end must still save a running recording.
TEST_F(MacroExitTest, TheProgramEndingMidRecordingKeepsTheStepsSoFar) {
  const std::uint32_t id = NewMacro(L"Exit");
  StartRecording();
  SlowTap('A');
  PostMessageW(main_, 0x700, 0, 0);  // the exit command, as the tray menu's Exit runs it
  ASSERT_TRUE(utility_->Ended(10000));
  EXPECT_EQ(utility_->ExitCode(), 0u);
  ASSERT_TRUE(Stored(id).has_value());
  EXPECT_EQ(Keys(*Stored(id)), (std::vector<std::uint32_t>{Press('A'), Release('A')}));
}

// 30 macros already on keys of the first profile: a 31st is refused.
class MacroLimitTest : public test::VirtualKeyboardSuite {
 protected:
  static void SetUpTestSuite() { StartKeyboard("macro-limit"); }
};

MacroRecord StoredSample(std::uint32_t id) {
  MacroRecord r;
  r.SetFormat(kMacroFormat);
  r.SetId(id);
  r.SetRepeatCount(1);
  r.SetName(u"M");
  r.AppendEvent(MacroEvent::Make(MacroEvent::kPress, 'A'));
  r.AppendEvent(MacroEvent::Make(MacroEvent::kRelease, 'A'));
  r.SetSize(std::uint32_t(r.bytes().size()));
  return r;
}

TEST_F(MacroLimitTest, AThirtyFirstDistinctMacroIsRefused) {
  LanguageTable texts;
  ASSERT_TRUE(LoadLanguageTable(test::DistFolder() + L"language.xml", texts));
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\KAVEX\\Q730X");
  std::vector<std::uint8_t> use(3200, 0);
  for (std::uint32_t k = 0; k < 30; ++k) {
    const std::uint32_t id = 0x100 + k;
    test::WriteRaw(MacroKey(id), L"", REG_BINARY, StoredSample(id).bytes());
    // Keys 100 to 129 of the first profile use them.
    for (int b = 0; b < 4; ++b) use[(100 + k) * 4 + b] = std::uint8_t(id >> (8 * b));
  }
  // The 31st, listed last, so the assignment page selects it.
  test::WriteRaw(MacroKey(0xFFFFF0), L"", REG_BINARY, StoredSample(0xFFFFF0).bytes());
  test::WriteRaw(L"Software\\KAVEX\\Q730X", L"MacroUse", REG_BINARY, use);

  test::Utility utility;
  HWND main = WaitForWindow(texts.str_title);
  ASSERT_TRUE(main);
  PostMessageW(main, 0x707, 0, 0);
  ASSERT_TRUE(Eventually([&] { return IsWindowVisible(main) != FALSE; }));
  HWND keyboardPage = FindWindowExW(main, nullptr, nullptr, L"KavexQ730XKeyboardConfig");
  SetForegroundWindow(main);
  test::Pump(300);
  ClickAt(keyboardPage, kCapsLock);
  HWND setting = WaitForWindow(L"KavexQ730XSetting", 5000);
  ASSERT_TRUE(setting);
  test::Pump(300);
  ClickAt(setting, kMacroTab);
  test::Pump(300);
  ClickAt(setting, kSettingOk);
  HWND box = WaitForWindow(L"Info Box", 5000);
  ASSERT_TRUE(box) << "str_macrolimit";
  test::PressOk(box);
  ASSERT_TRUE(Eventually([&] { return !IsWindow(box); }, 5000));
  PostMessageW(main, WM_COMMAND, 0x6001, 0);
  EXPECT_TRUE(utility.Ended(15000));
}

}  // namespace
}  // namespace q730x
