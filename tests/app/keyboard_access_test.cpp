// The utility used without a mouse and read by a screen reader, from
// outside, as assistive software reads it: the edit-and-apply road with keys
// only, and every visible control of each page and dialog with a name.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleacc.h>

#include <functional>
#include <string>
#include <vector>

#include "gui_support.h"
#include "key_input.h"
#include "keyboard_page_fixture.h"
#include "store_test_support.h"
#include "markup/language_table.h"
#include "model/key_caption.h"
#include "model/key_code.h"
#include "model/key_layout_table.h"
#include "model/macro_record.h"
#include "model/profile_buffers.h"

namespace q730x::test {
namespace {

// MinGW's oleacc import library gives a stub in place of the IID's data.
const IID kIAccessible = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

struct ComSession {
  ComSession() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  ~ComSession() { CoUninitialize(); }
};

// What a screen reader reads as the name of a window, through its accessible object.
std::wstring AccessibleName(HWND window) {
  IAccessible* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(window, OBJID_CLIENT, kIAccessible, reinterpret_cast<void**>(&object))) ||
      !object)
    return L"<no accessible object>";
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  std::wstring result;
  if (SUCCEEDED(object->get_accName(self, &name)) && name) result.assign(name, SysStringLen(name));
  SysFreeString(name);
  object->Release();
  return result;
}

// The window that has the keyboard focus in the utility's user-interface thread.
HWND FocusOf(HWND anyWindow) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(anyWindow, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

std::wstring FocusedName(HWND anyWindow) {
  HWND focus = FocusOf(anyWindow);
  return focus ? AccessibleName(focus) : L"<no focus>";
}

// Presses key until the focused control's name satisfies done (at most
// `times` presses); the names heard on the way are collected.
bool PressUntil(HWND anyWindow, WORD key, int times, const std::function<bool(const std::wstring&)>& done,
                std::vector<std::wstring>& heard) {
  for (int i = 0; i <= times; ++i) {
    const std::wstring name = FocusedName(anyWindow);
    heard.push_back(name);
    if (done(name)) return true;
    if (i < times) TapKey(key);
    Pump(150);
  }
  return false;
}

std::wstring Joined(const std::vector<std::wstring>& names) {
  std::wstring all;
  for (const std::wstring& n : names) all += L"[" + n + L"] ";
  return all;
}
std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::wstring FactoryKeyName(int position) { return CaptionOfCode(DefaultMatrix[position], AuxRecord{}, nullptr); }


// The controls a reader meets in a window: its visible children of the
// kinds a user works (buttons, lists, fields, bars) and what it finds unnamed.
// A visible control without a rectangle counts too: readers list it all the
// same. A field is named by the label before it (its own text is its content).
std::vector<std::wstring> UnnamedControls(HWND window) {
  struct Walk {
    std::vector<std::wstring> unnamed;
  } walk;
  EnumChildWindows(
      window,
      [](HWND child, LPARAM data) -> BOOL {
        auto& found = reinterpret_cast<Walk*>(data)->unnamed;
        RECT r;
        GetWindowRect(child, &r);
        if (!IsWindowVisible(child)) return TRUE;
        wchar_t kind[64] = {};
        GetClassNameW(child, kind, 64);
        const std::wstring k = kind;
        std::wstring name;
        if (_wcsicmp(kind, L"Edit") == 0) {
          HWND label = GetWindow(child, GW_HWNDPREV);
          wchar_t labelKind[64] = {};
          if (label) GetClassNameW(label, labelKind, 64);
          if (label && _wcsicmp(labelKind, L"Static") == 0) name = AccessibleName(label);
        } else if (_wcsicmp(kind, L"Button") == 0 || _wcsicmp(kind, L"ListBox") == 0 ||
                   _wcsicmp(kind, L"msctls_progress32") == 0 || _wcsicmp(kind, L"Static") == 0 ||
                   _wcsicmp(kind, L"ScrollBar") == 0) {
          name = AccessibleName(child);
        } else {
          return TRUE;
        }
        if (name.empty() || name[0] == L'<')
          found.push_back(k + L"@" + std::to_wstring(r.left) + L"," + std::to_wstring(r.top));
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&walk));
  return walk.unnamed;
}

// The child of page at exactly this rectangle (page client coordinates).
HWND ChildAt(HWND page, RECT rect) {
  for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&r), 2);
    if (EqualRect(&r, &rect)) return child;
  }
  return nullptr;
}

// The named label (static child) of a box that reads text, or null.
HWND LabelReading(HWND box, const std::wstring& text) {
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t kind[64] = {};
    GetClassNameW(child, kind, 64);
    if (_wcsicmp(kind, L"Static") == 0 && IsWindowVisible(child) && AccessibleName(child) == text) return child;
  }
  return nullptr;
}

// The first visible window of another process with this title that is not `except`.
HWND WaitForTitle(const wchar_t* title, DWORD ms = 5000) { return WaitForWindow(title, ms); }

class KeyboardAccessTest : public KeyboardPageTest {
 protected:
  static void SetUpTestSuite() {
    KeyboardPageTest::SetUpTestSuite();
    BuildDefaultMatrix();
    LoadLanguage(DistFolder() + L"language.xml");  // captions use the texts
  }
  const LanguageTable& texts_ = Language;
  ComSession com_;
};

TEST_F(KeyboardAccessTest, CapsLockGetsCtrlCAndIsAppliedWithKeysOnly) {
  // Opened through a second start, as a user opens the running utility.
  PostMessageW(main_, 0x706, 0, 0);
  ASSERT_TRUE(WaitUntil([](HWND w) { return !IsWindowVisible(w); }, main_));
  {
    Utility second;
    EXPECT_TRUE(second.Ended(15000));
  }
  ASSERT_TRUE(WaitUntil([](HWND w) { return IsWindowVisible(w) != FALSE; }, main_));
  SetForegroundWindow(main_);
  Pump(400);

  std::vector<std::wstring> heard;
  // Tab to the keyboard picture: its first key, the Escape key.
  const std::wstring escape = FactoryKeyName(KeyLayoutTable[0].position);
  ASSERT_TRUE(PressUntil(main_, VK_TAB, 6, [&](const std::wstring& n) { return n == escape; }, heard))
      << Narrow(Joined(heard));
  EXPECT_EQ(GetParent(FocusOf(main_)), page_);
  // The arrows go down the left edge to Caps Lock.
  heard.clear();
  const std::wstring capsLock = FactoryKeyName(17);
  ASSERT_TRUE(PressUntil(main_, VK_DOWN, 5, [&](const std::wstring& n) { return n == capsLock; }, heard))
      << Narrow(Joined(heard));
  // Enter opens the key setting dialog as a click does.
  TapKey(VK_RETURN);
  HWND setting = WaitForWindow(L"KavexQ730XSetting", 5000);
  ASSERT_TRUE(setting);
  Pump(300);
  EXPECT_FALSE(FocusedName(setting).empty());
  // Ctrl on, C captured: Ctrl + C; Alt+O is OK and takes nothing from the capture.
  TapKey(VK_CONTROL);
  TapKey('C');
  HoldKey(VK_MENU);
  Pump(50);
  TapKey('O');
  LetGoKey(VK_MENU);
  ASSERT_TRUE(WaitUntil([](HWND w) { return !IsWindow(w); }, setting, 5000)) << "Alt+O ends the dialog";
  Pump(300);
  const std::wstring ctrlC = CaptionOfCode(MakeKeyCode(0x06, KM_CTRL), AuxRecord{}, nullptr);
  EXPECT_EQ(FocusedName(main_), capsLock + L", " + ctrlC) << "the key reads its new function";
  EXPECT_EQ(KeyboardAt(17), kCapsFactory) << "nothing is downloaded before Apply";

  // Tab on to Apply and press it.
  heard.clear();
  ASSERT_TRUE(PressUntil(main_, VK_TAB, 12, [&](const std::wstring& n) { return n == texts_.str_Apply; }, heard))
      << Narrow(Joined(heard));
  TapKey(VK_RETURN);
  EXPECT_TRUE(keyboard().WaitForDump("attached", "1"));
  ASSERT_TRUE(WaitUntil([](HWND) { return ReadRaw(ProfilePath(0), L"Matrix").bytes.size() > 17 * 4 + 3; },
                        nullptr, 15000));
  ASSERT_TRUE(WaitUntil([](HWND) { return Hex4(ReadRaw(ProfilePath(0), L"Matrix").bytes, 17 * 4) == kCtrlC; },
                        nullptr, 15000));
  EXPECT_EQ(KeyboardAt(17), kCtrlC);
}

// What LB_GETTEXT reads for each entry of a list in another process.
std::vector<std::wstring> EntryStrings(HWND list) {
  std::vector<std::wstring> entries;
  const LRESULT n = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < n; ++i) {
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, i, 0);
    std::wstring text(size_t(length > 0 ? length : 0) + 1, L'\0');
    const LRESULT copied = SendMessageW(list, LB_GETTEXT, i, LPARAM(text.data()));
    text.resize(copied > 0 && copied <= length ? size_t(copied) : 0);
    entries.push_back(text);
  }
  return entries;
}

// The Tab key of profile 1 has Ctrl+C, and a macro (press A, pause 120 ms,
// release A) is stored, before the utility starts.
class NamedControlsTest : public KeyboardAccessTest {
 protected:
  void BeforeStart() override {
    EditStoredProfile(0, [] { buffers::KeyMatrix[9] = MakeKeyCode(0x06, KM_CTRL); });
    MacroRecord macro;
    macro.SetFormat(kMacroFormat);
    macro.SetId(0x100);
    macro.SetRepeatCount(1);
    macro.SetName(u"M");
    macro.AppendEvent(MacroEvent::Make(MacroEvent::kPress, 'A'));
    macro.AppendEvent(MacroEvent::Make(MacroEvent::kPause, 120));
    macro.AppendEvent(MacroEvent::Make(MacroEvent::kRelease, 'A'));
    macro.SetSize(std::uint32_t(macro.bytes().size()));
    WriteRaw(L"Software\\KAVEX\\Q730X\\Macro\\00000100", L"", REG_BINARY, macro.bytes());
  }
};

TEST_F(NamedControlsTest, EveryVisibleControlOfEachPageAndDialogHasAName) {
  auto expectAllNamed = [](HWND window, const char* what) {
    ASSERT_TRUE(window) << what;
    const std::vector<std::wstring> unnamed = UnnamedControls(window);
    std::wstring list;
    for (const std::wstring& u : unnamed) list += u + L" ";
    EXPECT_TRUE(unnamed.empty()) << what << ": " << Narrow(list);
  };

  // The keyboard page: every key reads its name, and a changed key its function too.
  expectAllNamed(main_, "main window with the keyboard page");
  const std::wstring ctrlC = CaptionOfCode(MakeKeyCode(0x06, KM_CTRL), AuxRecord{}, nullptr);
  ASSERT_FALSE(ctrlC.empty());
  for (std::size_t entry = 0; entry < kKeyLayoutUsedEntries; ++entry) {
    const KeyLayoutEntry& key = KeyLayoutTable[entry];
    HWND button = ChildAt(page_, {key.left, key.top, key.right, key.bottom});
    ASSERT_TRUE(button) << "entry " << entry;
    std::wstring expected = FactoryKeyName(key.position);
    if (key.position == 9) expected += L", " + ctrlC;
    EXPECT_EQ(AccessibleName(button), expected) << "entry " << entry;
  }
  EXPECT_EQ(AccessibleName(ChildAt(page_, {722, 411, 799, 447})), texts_.str_Apply);
  EXPECT_EQ(AccessibleName(ChildAt(page_, {693, 0, 793, 27})), texts_.str_rate_title);

  // The macro page.
  ClickAt(main_, kMacroButton);
  Pump(400);
  expectAllNamed(main_, "main window with the macro page");
  // The step list reads each step's direction, which only its icon shows.
  HWND macroPage = FindWindowExW(main_, nullptr, nullptr, L"KavexQ730XMacroManager");
  ASSERT_TRUE(macroPage);
  HWND steps = nullptr;
  EnumChildWindows(
      macroPage,
      [](HWND child, LPARAM found) -> BOOL {
        wchar_t kind[16] = {};
        GetClassNameW(child, kind, 16);
        if (_wcsicmp(kind, L"ListBox") != 0 || GetDlgCtrlID(child) != 257) return TRUE;
        *reinterpret_cast<HWND*>(found) = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&steps));
  ASSERT_TRUE(steps);
  EXPECT_EQ(Narrow(Joined(EntryStrings(steps))), Narrow(Joined({L"A down", L"120  ms pause", L"A up"})));
  ClickAt(main_, kKeyboardButton);
  Pump(300);

  // The key setting dialog and each of its pages.
  ClickAt(page_, kCapsLock);
  HWND setting = WaitForTitle(L"KavexQ730XSetting");
  ASSERT_TRUE(setting);
  Pump(300);
  const POINT tabs[4] = {{55, 50}, {159, 50}, {255, 50}, {358, 50}};
  for (POINT tab : tabs) {
    ClickAt(setting, tab);
    Pump(300);
    expectAllNamed(setting, "key setting dialog");
  }
  ClickAt(setting, {397, 12});
  ASSERT_TRUE(WaitUntil([](HWND w) { return !IsWindow(w); }, setting, 5000));

  // The report rate dialog.
  ClickAt(page_, kRate);
  HWND rate = nullptr;
  for (int i = 0; i < 100 && !rate; ++i, Sleep(50)) rate = OwnedDialog(main_);
  ASSERT_TRUE(rate);
  Pump(300);
  expectAllNamed(rate, "report rate dialog");
  ClickAt(rate, {311, 12});
  ASSERT_TRUE(WaitUntil([](HWND w) { return !IsWindow(w); }, rate, 5000));

  // The about dialog.
  PostMessageW(main_, WM_COMMAND, 0x6002, 0);
  HWND about = WaitForTitle(L"About Box");
  ASSERT_TRUE(about);
  Pump(300);
  expectAllNamed(about, "about dialog");
  ClickAt(about, {411, 12});
  ASSERT_TRUE(WaitUntil([](HWND w) { return !IsWindowVisible(w); }, about, 5000));

  // A message box reads its text.
  ClickAt(page_, kRestore);
  HWND box = WaitForTitle(L"Info Box");
  ASSERT_TRUE(box);
  Pump(300);
  expectAllNamed(box, "message box");
  EXPECT_TRUE(LabelReading(box, texts_.str_msg5)) << "the box's text is readable";
  CloseBox(box);
}

}  // namespace
}  // namespace q730x::test
