// The running utility with its keyboard page open, for tests that use the
// page as a user does: the real pointer clicks keys and buttons at their
// places in the picture, real keys go through the key hook library, and the
// results are read from the virtual keyboard, the registry and the profile
// files. Each test starts the utility afresh on a factory keyboard and an
// empty registry tree; BeforeStart prepares the store or the keyboard first.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "utility_process.h"
#include "virtual_keyboard_instance.h"

namespace q730x::test {

// Main window client points: the hide button and the keyboard and macro page buttons.
inline constexpr POINT kHide{804, 17}, kKeyboardButton{63, 74}, kMacroButton{107, 74};
// Page client points: Caps Lock (key position 17), Tab (position 9), Restore,
// Apply, the report rate button, the program link box and the five profile tabs.
inline constexpr POINT kCapsLock{105, 222}, kTab{104, 185}, kRestore{682, 429}, kApply{760, 429}, kRate{743, 13};
inline constexpr POINT kLinkBox{460, 393};
inline constexpr POINT kProfileTab[5] = {{150, 358}, {260, 357}, {372, 357}, {484, 357}, {596, 357}};
// The macro page: its record button and the new macro button.
inline constexpr POINT kRecord{625, 56}, kNew{110, 314};
// The key setting dialog: the Ctrl box of its combination page, its macro tab, and OK.
inline constexpr POINT kCtrlBox{86, 125}, kMacroTab{159, 50}, kSettingOk{354, 271};
// The report rate dialog: 125 per second, and OK.
inline constexpr POINT kRate125{85, 86}, kRateOk{262, 154};
// The message box's close button.
inline constexpr POINT kBoxClose{315, 12};

inline const wchar_t kStoreRoot[] = L"Software\\KAVEX\\Q730X";
inline const std::string kCapsFactory = "00003900";  // key usage 0x39
inline const std::string kCtrlC = "00010600";         // 0x00060100, little-endian

// Registry path of profile index 0..4.
std::wstring ProfilePath(int profile);
// Four bytes of a stored value or file as hex digits, or "".
std::string Hex4(const std::vector<std::uint8_t>& bytes, std::size_t offset);
// The stored nCurFile, or -1.
int StoredCurrentProfile();
// A visible dialog window owned by owner, or null.
HWND OwnedDialog(HWND owner);
// Answers the platform's open-file dialog that owner shows with path, as a
// user types a file name and presses Open.
void ChooseInOpenFileDialog(HWND owner, const std::wstring& path);
// A visible top-level window whose title starts with prefix, or null.
HWND VisibleWindowStartingWith(const std::wstring& prefix);
// Runs q730xctl with arguments and answers its exit code.
DWORD RunSettingsTool(const std::wstring& arguments);

// Notepad, started as a user starts it, brought to the foreground on request.
class Notepad {
 public:
  Notepad();
  ~Notepad();
  Notepad(const Notepad&) = delete;
  Notepad& operator=(const Notepad&) = delete;
  bool ToFront();

 private:
  UniqueHandle process_;
  HWND window_ = nullptr;
};

// Waits until the stored nCurFile is profile, noting whether a progress box
// was seen meanwhile.
bool WaitForCurrentProfile(int profile, bool& progressBoxSeen);

// The store as the utility finds it at its start, prepared by this process
// through the store's own code (the registry; the utility copies the files).
// A two-step macro stored under id.
void StoreMacro(std::uint32_t id);
// Loads profile index 0..4 (created when missing), lets change edit the
// process-wide buffers, and saves it.
void EditStoredProfile(int profile, const std::function<void()>& change);
// Gives the key at position the macro id in the buffers of profile.
void PutMacroOnKey(int profile, int position, std::uint32_t id);
// Links profile index 0..4 to a program file name.
void LinkStoredProfile(int profile, const std::u16string& program);

class KeyboardPageTest : public VirtualKeyboardSuite {
 protected:
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;
  // Runs after the store and keyboard are reset, before the utility starts.
  virtual void BeforeStart() {}

  // Caps Lock gets Ctrl+C through the key setting dialog.
  void SetCapsLockToCtrlC();
  // The code at a key position on the virtual keyboard, as hex digits.
  std::string KeyboardAt(int position);
  // Closes an open message box without OK.
  void CloseBox(HWND box);

  static std::wstring title_;
  std::unique_ptr<Utility> utility_;
  HWND main_ = nullptr, page_ = nullptr;
};

}  // namespace q730x::test
