#include "keyboard_page_fixture.h"

#include <gtest/gtest.h>

#include "gui_support.h"
#include "key_input.h"
#include "markup/language_table.h"
#include "model/key_code.h"
#include "model/macro_record.h"
#include "model/macro_store.h"
#include "model/profile_buffers.h"
#include "model/profile_store.h"
#include "model/program_folder.h"
#include "store_test_support.h"

namespace q730x::test {

std::wstring KeyboardPageTest::title_;

std::wstring ProfilePath(int profile) {
  return std::wstring(kStoreRoot) + L"\\Profile\\" + std::to_wstring(profile);
}

std::string Hex4(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  if (bytes.size() < offset + 4) return "";
  return ToHex(bytes.data() + offset, 4);
}

int StoredCurrentProfile() {
  const RawValue value = ReadRaw(kStoreRoot, L"nCurFile");
  if (value.bytes.size() != 4) return -1;
  return int(value.bytes[0] | value.bytes[1] << 8 | value.bytes[2] << 16 | value.bytes[3] << 24);
}

HWND OwnedDialog(HWND owner) {
  struct Search {
    HWND owner, found;
  } search{owner, nullptr};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(data);
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        if (GetWindow(window, GW_OWNER) != s.owner || !IsWindowVisible(window) ||
            std::wstring(name) != L"#32770")
          return TRUE;
        s.found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void ChooseInOpenFileDialog(HWND owner, const std::wstring& path) {
  HWND dialog = nullptr;
  for (int i = 0; i < 200 && !dialog; ++i, Sleep(50)) dialog = OwnedDialog(owner);
  ASSERT_TRUE(dialog) << "no open-file dialog";
  constexpr int kFileNameBox = 0x47C;  // the dialog's file name combo box
  HWND name = GetDlgItem(dialog, kFileNameBox);
  ASSERT_TRUE(name);
  SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  ASSERT_TRUE(WaitUntil([](HWND w) { return !IsWindow(w); }, dialog, 5000));
}

// Profile 2 (index 1) gives Caps Lock Ctrl+C; the user links it to notepad.

HWND VisibleWindowStartingWith(const std::wstring& prefix) {
  struct Search {
    const std::wstring& prefix;
    HWND found;
  } search{prefix, nullptr};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(data);
        wchar_t title[256] = {};
        GetWindowTextW(window, title, 256);
        if (!IsWindowVisible(window) || std::wstring(title).rfind(s.prefix, 0) != 0) return TRUE;
        s.found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

DWORD RunSettingsTool(const std::wstring& arguments) {
  const std::wstring exe = DistFolder() + L"q730xctl.exe";
  std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                      nullptr, nullptr, &startup, &info))
    return DWORD(-1);
  CloseHandle(info.hThread);
  WaitForSingleObject(info.hProcess, 15000);
  DWORD code = DWORD(-1);
  GetExitCodeProcess(info.hProcess, &code);
  CloseHandle(info.hProcess);
  return code;
}

Notepad::Notepad() {
  wchar_t commandLine[] = L"notepad.exe";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
    return;
  CloseHandle(info.hThread);
  process_.reset(info.hProcess);
  const ULONGLONG end = GetTickCount64() + 20000;
  while (!(window_ = VisibleWindowStartingWith(L"Untitled - Notepad")) && GetTickCount64() < end) Sleep(50);
}

Notepad::~Notepad() {
  if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
  if (process_ && WaitForSingleObject(process_.get(), 5000) != WAIT_OBJECT_0) TerminateProcess(process_.get(), 1);
}

bool Notepad::ToFront() {
  if (!window_) return false;
  SetForegroundWindow(window_);
  return WaitUntil([](HWND w) { return GetForegroundWindow() == w; }, window_, 5000);
}

bool WaitForCurrentProfile(int profile, bool& progressBoxSeen) {
  const ULONGLONG end = GetTickCount64() + 20000;
  while (GetTickCount64() < end) {
    if (VisibleWindowStartingWith(L"ProgressDlg.")) progressBoxSeen = true;
    if (StoredCurrentProfile() == profile) return true;
    Sleep(20);
  }
  return false;
}

void StoreMacro(std::uint32_t id) {
  std::vector<std::uint32_t> steps = {MakeStep(STEP_PRESS, 0x41), MakeStep(STEP_RELEASE, 0x41)};
  MacroBuildInput in;
  in.id = id;
  in.name = u"M";
  std::optional<MacroRecord> record = BuildMacroRecord(steps, in);
  ASSERT_TRUE(record);
  ASSERT_TRUE(WriteMacro(DefaultMacroRoot(), *record));
}

void EditStoredProfile(int profile, const std::function<void()>& change) {
  SetProgramFolder(DistFolder());
  BuildDefaultMatrix();
  CreateMissingProfiles();
  LoadProfile(profile);
  change();
  SaveProfile(profile);
}

void PutMacroOnKey(int profile, int position, std::uint32_t id) {
  buffers::KeyMatrix[position] = MakeMacroCode();
  buffers::AuxInfo[position].Clear();
  buffers::AuxInfo[position].SetMacroId(id);
  buffers::MacroUse[std::size_t(profile) * kMatrixPositions + std::size_t(position)] = id;
}

void LinkStoredProfile(int profile, const std::u16string& program) {
  SetProgramFolder(DistFolder());
  CreateMissingProfiles();
  // A store without links must not inherit an earlier test's links from this process.
  if (!LoadProgramLinks()) buffers::ProCfg = {};
  ProgramLink& link = buffers::ProCfg[profile];
  link = ProgramLink{};
  link.enabled = 1;
  std::copy(program.begin(), program.end(), link.program);
  SaveProgramLinks();
}

void KeyboardPageTest::SetUpTestSuite() {
  StartKeyboard("keyboard-page");
  LanguageTable texts;
  ASSERT_TRUE(LoadLanguageTable(DistFolder() + L"language.xml", texts));
  title_ = texts.str_title;
}

void KeyboardPageTest::SetUp() {
  ASSERT_TRUE(keyboard().Admin("factory"));
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kStoreRoot);
  for (int n = 1; n <= 5; ++n)
    DeleteFileW((DistFolder() + L"profile\\" + std::to_wstring(n) + L".cfg").c_str());
  BeforeStart();
  if (HasFatalFailure()) return;
  utility_ = std::make_unique<Utility>();
  main_ = WaitForWindow(title_);
  ASSERT_TRUE(main_);
  PostMessageW(main_, 0x707, 0, 0);
  ASSERT_TRUE(WaitUntil([](HWND w) { return IsWindowVisible(w) != FALSE; }, main_));
  page_ = FindWindowExW(main_, nullptr, nullptr, L"KavexQ730XKeyboardConfig");
  ASSERT_TRUE(page_);
  SetForegroundWindow(main_);
  ASSERT_TRUE(WaitUntil([](HWND w) { return GetForegroundWindow() == w; }, main_));
  ASSERT_TRUE(QueueHandled(main_));
}

void KeyboardPageTest::TearDown() {
  if (main_ && IsWindow(main_)) PostMessageW(main_, WM_COMMAND, 0x6001, 0);
  if (utility_) {
    EXPECT_TRUE(utility_->Ended(15000));
  }
}

void KeyboardPageTest::SetCapsLockToCtrlC() {
  ClickAt(page_, kCapsLock);
  HWND setting = WaitForWindow(L"KavexQ730XSetting", 5000);
  ASSERT_TRUE(setting);
  ASSERT_TRUE(QueueHandled(setting));
  ClickAt(setting, kCtrlBox);
  TapKey('C');
  ClickAt(setting, kSettingOk);
  ASSERT_TRUE(WaitUntil([](HWND w) { return !IsWindow(w); }, setting, 5000));
}

std::string KeyboardPageTest::KeyboardAt(int position) {
  const std::string matrix = keyboard().DumpField("matrix");
  if (matrix.size() < std::size_t(position + 1) * 8) return "";
  return matrix.substr(std::size_t(position) * 8, 8);
}

void KeyboardPageTest::CloseBox(HWND box) {
  ASSERT_TRUE(QueueHandled(box));
  ClickAt(box, kBoxClose);
  ASSERT_TRUE(WaitUntil([](HWND w) { return !IsWindow(w); }, box, 5000));
}

}  // namespace q730x::test
