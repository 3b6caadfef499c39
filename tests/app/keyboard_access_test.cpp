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

}  // namespace
}  // namespace q730x::test
