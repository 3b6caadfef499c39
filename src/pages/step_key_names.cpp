#include "pages/step_key_names.h"

namespace q730x {

namespace {

struct StepKeyNameEntry {
  std::uint32_t virtualKey;
  const wchar_t* name;
};

// Searched in this order; the first match wins (K, L and Z are listed twice).
constexpr StepKeyNameEntry kStepKeyNames[] = {
    {0x51, L"Q"}, {0x57, L"W"}, {0x45, L"E"}, {0x52, L"R"}, {0x54, L"T"}, {0x59, L"Y"},
    {0x55, L"U"}, {0x49, L"I"}, {0x4F, L"O"}, {0x50, L"P"}, {0x41, L"A"}, {0x53, L"S"},
    {0x44, L"D"}, {0x46, L"F"}, {0x47, L"G"}, {0x48, L"H"}, {0x4A, L"J"}, {0x4B, L"K"},
    {0x4C, L"L"}, {0x5A, L"Z"}, {0x4B, L"K"}, {0x4C, L"L"}, {0x5A, L"Z"}, {0x58, L"X"},
    {0x43, L"C"}, {0x56, L"V"}, {0x42, L"B"}, {0x4E, L"N"}, {0x4D, L"M"},
    {0xC0, L"~"},
    {0x31, L"1"}, {0x32, L"2"}, {0x33, L"3"}, {0x34, L"4"}, {0x35, L"5"}, {0x36, L"6"},
    {0x37, L"7"}, {0x38, L"8"}, {0x39, L"9"}, {0x30, L"0"},
    {0xBD, L"-"}, {0xBB, L"="}, {0x08, L"Backspace"}, {0xDC, L"|"}, {0xDB, L"["}, {0xDD, L"]"},
    {0xBA, L";"}, {0xDE, L"'"}, {0x0D, L"Enter"}, {0xBC, L"<"}, {0xBE, L">"}, {0xBF, L"?"},
    {0x09, L"Tab"}, {0x14, L"Cap"},
    {0xA0, L"L_Shift"}, {0xA2, L"L_Ctrl"}, {0xA4, L"L_Alt"}, {0x5B, L"L_Win"},
    {0xA1, L"R_Shift"}, {0xA3, L"R_Ctrl"}, {0xA5, L"R_Alt"}, {0x5C, L"R_Win"},
    {0x20, L"Space"}, {0x1B, L"ESC"},
    {0x70, L"F1"}, {0x71, L"F2"}, {0x72, L"F3"}, {0x73, L"F4"}, {0x74, L"F5"}, {0x75, L"F6"},
    {0x76, L"F7"}, {0x77, L"F8"}, {0x78, L"F9"}, {0x79, L"F10"}, {0x7A, L"F11"}, {0x7B, L"F12"},
    {0x61, L"NUM 1"}, {0x62, L"NUM 2"}, {0x63, L"NUM 3"}, {0x64, L"NUM 4"}, {0x65, L"NUM 5"},
    {0x66, L"NUM 6"}, {0x67, L"NUM 7"}, {0x68, L"NUM 8"}, {0x69, L"NUM 9"}, {0x60, L"NUM 0"},
    {0x6D, L"NUM -"}, {0x6B, L"NUM +"}, {0x6A, L"NUM *"}, {0x6F, L"NUM /"}, {0x6C, L"NUM Enter"},
    {0x6E, L"NUM Del"}, {0x90, L"NUM Lock"},
    {0x2A, L"Print"}, {0x91, L"Scroll"}, {0x13, L"Pause"}, {0x2D, L"Insert"}, {0x24, L"Home"},
    {0x2E, L"Delete"}, {0x23, L"End"}, {0x21, L"Page Up"}, {0x22, L"Page Down"},
    {0x26, L"UP"}, {0x28, L"DOWN"}, {0x25, L"LEFT"}, {0x27, L"RIGHT"},
    {0x01, L"Left Button"}, {0x02, L"Right Button"}, {0x04, L"Middle Button"},
    {0x1004, L"4 key"}, {0x1005, L"5 key"}, {0x1006, L"Scroll"},
};
static_assert(sizeof kStepKeyNames / sizeof kStepKeyNames[0] == 112);

}  // namespace

std::wstring StepKeyName(std::uint32_t virtualKey) {
  for (const StepKeyNameEntry& entry : kStepKeyNames)
    if (entry.virtualKey == virtualKey) return entry.name;
  return {};
}

}  // namespace q730x
