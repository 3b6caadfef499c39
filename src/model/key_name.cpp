#include "model/key_name.h"

#include <windows.h>

#include <array>
#include <cstdio>

namespace q730x {
namespace {

struct FixedName {
  std::uint8_t vk;
  const wchar_t* name;
};

// Note the asymmetries: the left-hand modifiers have names of their own while
// the right-hand ones share the generic names, and the separator key (0x6C)
// is a single backslash.
constexpr FixedName kFixedNames[] = {
    {0x01, L"Left Button"}, {0x02, L"Right Button"}, {0x04, L"Middle Button"}, {0x08, L"Backspace"},
    {0x09, L"Tab"}, {0x0C, L"Clr"}, {0x0D, L"Enter"}, {0x10, L"Shift"}, {0x11, L"Ctrl"}, {0x12, L"Alt"},
    {0x13, L"Pause"}, {0x14, L"CapsLock"}, {0x1B, L"Esc"}, {0x20, L"Space"}, {0x21, L"PageUp"},
    {0x22, L"PageDown"}, {0x23, L"End"}, {0x24, L"Home"}, {0x25, L"Left"}, {0x26, L"Up"}, {0x27, L"Right"},
    {0x28, L"Down"}, {0x29, L"Select"}, {0x2A, L"Print"}, {0x2B, L"Enter"}, {0x2C, L"PrtScSysRq"},
    {0x2D, L"Insert"}, {0x2E, L"Delete"}, {0x2F, L"Help"}, {0x5B, L"LWin"}, {0x5C, L"Win"}, {0x5D, L"App"},
    {0x60, L"Num 0"}, {0x61, L"Num 1"}, {0x62, L"Num 2"}, {0x63, L"Num 3"}, {0x64, L"Num 4"},
    {0x65, L"Num 5"}, {0x66, L"Num 6"}, {0x67, L"Num 7"}, {0x68, L"Num 8"}, {0x69, L"Num 9"},
    {0x6A, L"Num *"}, {0x6B, L"Num +"}, {0x6C, L"\\"}, {0x6D, L"Num -"}, {0x6E, L"Num Del"},
    {0x6F, L"Num /"}, {0x70, L"F1"}, {0x71, L"F2"}, {0x72, L"F3"}, {0x73, L"F4"}, {0x74, L"F5"},
    {0x75, L"F6"}, {0x76, L"F7"}, {0x77, L"F8"}, {0x78, L"F9"}, {0x79, L"F10"}, {0x7A, L"F11"},
    {0x7B, L"F12"}, {0x90, L"Numlock"}, {0x91, L"Scroll Lock"}, {0xA0, L"LShift"}, {0xA1, L"Shift"},
    {0xA2, L"LCtrl"}, {0xA3, L"Ctrl"}, {0xA4, L"LAlt"}, {0xA5, L"Alt"}, {0xA6, L"Back"},
    {0xA7, L"Forward"}, {0xA8, L"Refresh"}, {0xA9, L"Stop loading"}, {0xAA, L"Search"},
    {0xAB, L"Favorites"}, {0xAC, L"Home"}, {0xAD, L"Mute"}, {0xAE, L"Volume down"}, {0xAF, L"Volume up"},
    {0xB0, L"Next track"}, {0xB1, L"Prev track"}, {0xB2, L"Stop"}, {0xB3, L"Play/Pause"},
    {0xB4, L"Email"}, {0xB5, L"Music"}, {0xDA, L"(Enter)"},
};

}  // namespace

const wchar_t* FixedKeyName(std::uint32_t vk) {
  for (const FixedName& entry : kFixedNames) {
    if (entry.vk == vk) return entry.name;
  }
  return nullptr;
}

std::wstring KeyName(std::uint32_t vk) {
  if (vk == 0 || vk == 255) return std::wstring();
  if (const wchar_t* fixed = FixedKeyName(vk)) return fixed;
  // The character of the key in the current layout, no modifier held.
  const UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
  const BYTE state[256] = {};
  WORD chars[2] = {};
  if (ToAscii(vk, scan, state, chars, 0) <= 0) return std::wstring();
  unsigned c = chars[0] & 0xFF;
  if (c >= 'a' && c <= 'z') c -= 'a' - 'A';
  if (c == 0) return std::wstring();
  return std::wstring(1, static_cast<wchar_t>(c));
}

}  // namespace q730x
