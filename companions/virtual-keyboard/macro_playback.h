// What the keyboard plays from a macro slot: the 512-byte image read back
// into timed key presses and releases, the way the keyboard walks it. Pair 0
// is the repeat count (high byte first); then each pair is a key pair (bit 7
// of its first byte: release, bits 0..6: tens of milliseconds to wait after
// it, second byte: key code), a long pause (0x00 and unit 1, 2 or 3 for 20,
// 50 or 100 ms, then the 16-bit count in the next pair), or a blank pair.
// Platform-free.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace q730x::vkb {

struct PlaybackAction {
  enum Kind { Press, Release, Wait } kind = Wait;
  std::uint8_t code = 0;  // key code of a press or release
  std::uint32_t ms = 0;   // length of a wait
  friend bool operator==(const PlaybackAction&, const PlaybackAction&) = default;
};

struct MacroPlayback {
  std::uint16_t repeat = 0;
  // Presses and releases in order, with the waits between them summed into
  // one; a key pair with code 0 plays no key, only its wait.
  std::vector<PlaybackAction> actions;
  // A long pause whose count pair lies beyond the image: the keyboard would
  // read past its slot.
  bool truncated = false;
  // Key codes pressed and not released by the end.
  std::vector<std::uint8_t> held;
};

MacroPlayback DecodeMacroImage(const std::array<std::uint8_t, 512>& image);

// One line: "repeat N" then "+04" (press), "-04" (release), "w1000" (wait in
// ms), hexadecimal key codes; "truncated" and "held 04 05" when they apply.
std::string PlaybackText(const MacroPlayback& playback);

}  // namespace q730x::vkb
