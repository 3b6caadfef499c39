// The binding of the key hook library KeyTap.dll: its eight entry points,
// bound by name at start-up. The utility records macros and captures keys
// with it; the library posts 0x40A (virtual key, low-level flags) to the
// window last given to SetParentWindow while reporting is on.
#pragma once

#include <windows.h>

#include <string>

namespace q730x {

constexpr UINT kKeyTapReportMessage = 0x40A;
// lParam bits of a report.
constexpr LPARAM kKeyTapExtended = 0x01;
constexpr LPARAM kKeyTapInjected = 0x10;
constexpr LPARAM kKeyTapAltDown = 0x20;
constexpr LPARAM kKeyTapRelease = 0x80;

class KeyTapBinding {
 public:
  // All take 32-bit arguments and are caller-cleaned.
  using InstallHookFn = int(__cdecl*)(int, int);
  using RemoveHookFn = int(__cdecl*)();
  using SetHookStatusFn = int(__cdecl*)(int, int);
  using SetFilterKeyFn = int(__cdecl*)(int);
  using SetHookMoveFn = int(__cdecl*)(int);
  using SetParentWindowFn = int(__cdecl*)(int);
  using IsHookedFn = int(__cdecl*)();
  using SetDebugFn = int(__cdecl*)(int);

  // Loads the library from its full path and binds the eight exports. False
  // when the library does not load or InstallHook, RemoveHook, SetHookStatus
  // or SetParentWindow is missing; the binding then stays empty. The library
  // is never unloaded: its hook thread may run until the process ends.
  bool Bind(const std::wstring& libraryPath);
  bool Bound() const { return installHook_ != nullptr; }

  // Calls; a missing optional export is skipped (IsHooked then answers 0).
  void InstallHook() const;
  void RemoveHook() const;
  void SetHookStatus(bool reporting) const;
  void SetFilterKey(int value) const;
  void SetHookMove(int value) const;
  void SetParentWindow(HWND window) const;
  int IsHooked() const;
  void SetDebug(int value) const;

  bool HasSetFilterKey() const { return setFilterKey_ != nullptr; }
  bool HasSetHookMove() const { return setHookMove_ != nullptr; }
  bool HasIsHooked() const { return isHooked_ != nullptr; }
  bool HasSetDebug() const { return setDebug_ != nullptr; }

 private:
  InstallHookFn installHook_ = nullptr;
  RemoveHookFn removeHook_ = nullptr;
  SetHookStatusFn setHookStatus_ = nullptr;
  SetFilterKeyFn setFilterKey_ = nullptr;
  SetHookMoveFn setHookMove_ = nullptr;
  SetParentWindowFn setParentWindow_ = nullptr;
  IsHookedFn isHooked_ = nullptr;
  SetDebugFn setDebug_ = nullptr;
};

// The process-wide binding, made by start-up.
extern KeyTapBinding KeyTap;

// Binds KeyTap from "KeyTap.dll" in the program's own folder, never through
// the general search path: the utility runs with administrator rights.
// False means start-up shows "Load KeyTap.dll failed" and ends.
bool BindKeyTap();

}  // namespace q730x
