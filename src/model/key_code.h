// Key assignment codes: what one key of the keyboard does, as the four-byte
// code the keyboard itself interprets, and the 160-code matrix of a profile.
// Platform-free: no <windows.h>, so it also builds natively for sanitizer runs.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace q730x {

// Byte 0 of a code: the kind of function.
enum KeyType : std::uint8_t {
  KT_KEY = 0x00,       // a key, a combination or a mouse button
  KT_ACTION = 0x03,    // a software action carried out by this program
  KT_CONSUMER = 0x04,  // a consumer-page usage (media keys, browser keys)
  KT_MACRO = 0x08,     // a stored macro the keyboard plays
  KT_LIGHTING = 0x0E,  // a lighting function of the keyboard
  KT_DISABLED = 0x0F,  // the key does nothing
};

// Modifier bits of a KT_KEY code (byte 1): the left-hand bits of the HID
// keyboard modifier byte.
enum KeyModifier : std::uint8_t {
  KM_CTRL = 0x01,
  KM_SHIFT = 0x02,
  KM_ALT = 0x04,
  KM_WIN = 0x08,
};

// Mouse codes in byte 2 of a KT_KEY code.
enum MouseCode : std::uint8_t {
  MOUSE_LEFT = 0xF0,
  MOUSE_RIGHT = 0xF1,
  MOUSE_MIDDLE = 0xF2,
  MOUSE_NEXT = 0xF3,  // forward side button
  MOUSE_PREV = 0xF4,  // back side button
};

// Software actions of a KT_ACTION code.
enum ActionKind : std::uint8_t {
  ACTION_CAPTURE_DESKTOP = 1,
  ACTION_CAPTURE_WINDOW = 2,
  ACTION_CAPTURE_REGION = 3,
  ACTION_PLAY_SOUND = 4,
  ACTION_OPEN_FILE = 5,
  ACTION_OPEN_FOLDER = 6,
  ACTION_RUN_PROGRAM = 7,
  ACTION_OPEN_WEB = 8,
};

// Actions whose key keeps a path or address in its AuxInfo entry.
constexpr bool ActionUsesAuxText(unsigned kind) {
  return kind >= ACTION_PLAY_SOUND && kind <= ACTION_OPEN_WEB;
}

// One key's function. As a number it is little-endian: byte 0 is the lowest,
// so 0x003D0400 is the bytes 00 04 3D 00.
struct KeyCode {
  std::uint8_t type = 0;
  std::uint8_t modifiers = 0;  // modifier bits, or a type-specific parameter
  std::uint8_t code = 0;
  std::uint8_t extension = 0;

  constexpr std::uint32_t Value() const {
    return std::uint32_t{type} | std::uint32_t{modifiers} << 8 | std::uint32_t{code} << 16 |
           std::uint32_t{extension} << 24;
  }
  static constexpr KeyCode FromValue(std::uint32_t v) {
    return KeyCode{static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                   static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
  }
  friend constexpr bool operator==(KeyCode a, KeyCode b) { return a.Value() == b.Value(); }
};
static_assert(sizeof(KeyCode) == 4);
static_assert(offsetof(KeyCode, type) == 0 && offsetof(KeyCode, modifiers) == 1);
static_assert(offsetof(KeyCode, code) == 2 && offsetof(KeyCode, extension) == 3);

// ---- Makers ----------------------------------------------------------------

// A key (modifiers 0) or a combination: usage * 65536 + modifiers * 256.
constexpr KeyCode MakeKeyCode(std::uint8_t usage, std::uint8_t modifiers = 0) {
  return KeyCode{KT_KEY, modifiers, usage, 0};
}
constexpr KeyCode MakeDoubleClickCode() { return KeyCode{KT_KEY, 0, MOUSE_LEFT, 1}; }
// 0xC0000003 + kind * 0x01000000 + position * 65536.
constexpr KeyCode MakeActionCode(std::uint8_t kind, std::uint8_t position) {
  return KeyCode{KT_ACTION, 0, position, static_cast<std::uint8_t>(0xC0 + kind)};
}
// 4 + usage * 65536.
constexpr KeyCode MakeConsumerCode(std::uint16_t usage) {
  return KeyCode{KT_CONSUMER, 0, static_cast<std::uint8_t>(usage),
                 static_cast<std::uint8_t>(usage >> 8)};
}
// The stored form of a macro key; the macro id lives in the key's AuxInfo entry.
constexpr KeyCode MakeMacroCode() { return KeyCode{KT_MACRO, 0, 0, 0}; }
// The form the keyboard receives: play mode, slot number + 1 (1..30), 0xFF.
constexpr KeyCode MakeKeyboardMacroCode(std::uint8_t playMode, std::uint8_t slot) {
  return KeyCode{KT_MACRO, playMode, static_cast<std::uint8_t>(slot + 1), 0xFF};
}
constexpr KeyCode MakeLightingCode(std::uint8_t function) {
  return KeyCode{KT_LIGHTING, 0, function, 0};
}
constexpr KeyCode MakeDisabledCode() { return KeyCode{KT_DISABLED, 0, 0, 0}; }

// ---- Readers ---------------------------------------------------------------

constexpr bool IsNoFunction(KeyCode c) { return c.Value() == 0; }
constexpr bool IsCombination(KeyCode c) { return c.type == KT_KEY && c.modifiers != 0; }
// Byte 2 values 0xF0..0xFA count as mouse codes; only 0xF0..0xF4 have names.
constexpr bool IsMouseCode(KeyCode c) { return c.type == KT_KEY && c.code >= 0xF0 && c.code <= 0xFA; }
constexpr bool IsDoubleClick(KeyCode c) { return c.Value() == MakeDoubleClickCode().Value(); }

constexpr unsigned ActionKindOf(KeyCode c) { return c.extension >= 0xC0 ? c.extension - 0xC0u : 0u; }
constexpr unsigned ActionPosition(KeyCode c) { return c.code; }
// The word the keyboard reports when a software-action key is pressed:
// bytes 2 and 3 as a little-endian 16-bit number.
constexpr std::uint16_t EventWord(KeyCode c) {
  return static_cast<std::uint16_t>(c.code | c.extension << 8);
}
// An event word is a software action when its two top bits are set.
constexpr bool IsActionEventWord(std::uint16_t word) { return (word & 0xC000) == 0xC000; }
constexpr unsigned EventWordKind(std::uint16_t word) { return (word >> 8) & 0x0F; }
constexpr unsigned EventWordPosition(std::uint16_t word) { return word & 0xFF; }

constexpr std::uint16_t ConsumerUsage(KeyCode c) {
  return static_cast<std::uint16_t>(c.code | c.extension << 8);
}
constexpr bool IsKeyboardMacroForm(KeyCode c) { return c.type == KT_MACRO && c.extension == 0xFF; }
constexpr unsigned MacroPlayMode(KeyCode c) { return c.modifiers; }
// Slot number 0..29 of the keyboard form; only meaningful when code >= 1.
constexpr unsigned MacroSlot(KeyCode c) { return c.code - 1u; }
constexpr unsigned LightingFunction(KeyCode c) { return c.code; }

// ---- Matrix ----------------------------------------------------------------

constexpr int kMatrixPositions = 160;

// One profile's codes, indexed by the keyboard's own matrix position 0..159.
// These 640 bytes are what the registry, the profile file and the keyboard hold.
struct KeyMatrix {
  std::array<KeyCode, kMatrixPositions> codes{};

  KeyCode& operator[](std::size_t position) { return codes[position]; }
  const KeyCode& operator[](std::size_t position) const { return codes[position]; }
  std::uint8_t* bytes() { return &codes[0].type; }
  const std::uint8_t* bytes() const { return &codes[0].type; }
  friend bool operator==(const KeyMatrix&, const KeyMatrix&) = default;
};
static_assert(sizeof(KeyMatrix) == 640);

// Factory assignments; filled by BuildDefaultMatrix once at start-up.
extern KeyMatrix DefaultMatrix;

// Clears DefaultMatrix and writes the factory codes.
void BuildDefaultMatrix();
// The factory matrix as a value, for code that needs it without the global.
KeyMatrix FactoryMatrix();

// ---- Usage table -----------------------------------------------------------

struct UsagePair {
  std::uint8_t usage;
  std::uint8_t virtualKey;
};

constexpr int kUsagePairs = 107;
extern const std::array<UsagePair, kUsagePairs> KeyUsageTable;

// The usage of the first pair with this virtual key, or 0.
std::uint8_t VirtualKeyToUsage(std::uint8_t virtualKey);
// The virtual key of the first pair with this usage, or 0.
std::uint8_t UsageToVirtualKey(std::uint8_t usage);

// ---- Assignment record -----------------------------------------------------

constexpr int kAuxTextUnits = 260;

// How the key setting dialog hands a key's new function back to the keyboard
// page. A code of 0 means that nothing was chosen.
struct KeyAssignment {
  std::int32_t position = 0;
  KeyCode code{};
  char16_t aux[kAuxTextUnits]{};  // path or address, or the macro id in its first 32 bits
};
static_assert(sizeof(KeyAssignment) == 528);
static_assert(offsetof(KeyAssignment, position) == 0);
static_assert(offsetof(KeyAssignment, code) == 4);
static_assert(offsetof(KeyAssignment, aux) == 8);

}  // namespace q730x
