// Switches that point the utility and its companions somewhere else: the
// virtual keyboard instead of the driver, another update server, another
// capture folder. The utility runs elevated, so they are read only from a
// registry key that only administrators can write (a key under
// HKEY_LOCAL_MACHINE\Software inherits that protection), never from the
// environment, which every program of the user can set for the programs it
// starts. Developers and tests write them with `reg add` or RegSetValueExW.
#pragma once

#include <optional>
#include <string>

namespace q730x {

// HKEY_LOCAL_MACHINE\<this>. Kept beside the settings key rather than under
// it, so that wiping or restoring the settings never touches the switches.
inline constexpr wchar_t kOverridesKeyPath[] = L"Software\\KAVEX\\Q730X-Overrides";

// "virtual": use the virtual keyboard's pipe instead of the driver.
inline constexpr wchar_t kDeviceOverride[] = L"Device";
// The virtual keyboard's pipe name (\\.\pipe\...).
inline constexpr wchar_t kPipeOverride[] = L"VirtualKeyboardPipe";
// The update server's scheme, host and port (http://127.0.0.1:8123).
inline constexpr wchar_t kUpdateServerOverride[] = L"UpdateServer";
// The folder ScreenClip saves captures into.
inline constexpr wchar_t kCaptureFolderOverride[] = L"CaptureFolder";
// "fail": the routes that start a key's program as the desktop user (the
// shell, the shell's token) report failure, as when no desktop answers. Under
// Wine the shell always answers and every token is elevated; this is how
// tests reach the utility's refusal. It can only take launches away.
inline constexpr wchar_t kUserLaunchOverride[] = L"UserLaunch";

// The text of one switch (a REG_SZ value, not empty), or nothing when it is
// not set, not text, or longer than any path or address we use.
std::optional<std::wstring> ReadOverride(const wchar_t* name);

}  // namespace q730x
