// What the virtual keyboard remembers, as the keyboard's own memory would:
// the key matrix, the macro slots, the report interval, the firmware version,
// and whether it is attached, in its firmware loader and ready for HID.
// Kept in a state file of fixed layout so that it survives restarts.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "device/driver_records.h"
#include "model/key_code.h"

namespace q730x::vkb {

constexpr unsigned kMacroSlots = kHighestMacroSlot + 1;  // 0..30
using MacroImage = std::array<std::uint8_t, kMacroImageBytes>;

struct KeyboardState {
  KeyMatrix matrix;
  std::array<MacroImage, kMacroSlots> slots{};
  std::uint32_t slotsWritten = 0;  // bit s: slot s has been written
  std::uint8_t intervalMs = 1;
  std::uint8_t versionMajor = 1;
  std::uint8_t versionMinor = 2;
  bool attached = true;
  bool loaderMode = false;
  bool hidReady = true;

  friend bool operator==(const KeyboardState&, const KeyboardState&) = default;
};

// As the keyboard leaves the factory: the default matrix, empty slots,
// 1 ms, firmware 1.2, attached and ready.
KeyboardState FactoryState();

// The state file: "Q7VKSTAT", u32 format 1, interval, major, minor, flags,
// u32 written-slot bits, 640 matrix bytes, 31 x 512 slot bytes.
constexpr std::size_t kStateFileBytes = 8 + 4 + 4 + 4 + kKeyMatrixBytes + kMacroSlots * kMacroImageBytes;
std::vector<std::uint8_t> SerializeState(const KeyboardState& state);
// False, with the reason, when the bytes are not a state file of this format.
bool ParseState(const std::vector<std::uint8_t>& bytes, KeyboardState& state, std::string& reason);

// Loads the file; a missing file gives the factory state. A damaged file is
// kept as <path>.damaged, the factory state is used and note says so.
KeyboardState LoadStateFile(const std::wstring& path, std::string& note);
// Writes the whole file through a temporary, so a crash never leaves half.
bool SaveStateFile(const std::wstring& path, const KeyboardState& state);

// The folder %LOCALAPPDATA%\Q730X\ file used when none is chosen.
std::wstring DefaultStatePath();

}  // namespace q730x::vkb
