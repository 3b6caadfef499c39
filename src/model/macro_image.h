// The keyboard's 512-byte macro image of a stored macro: a header pair with
// the repeat count, then one or two byte pairs per step. Platform-free: the
// encoding is a pure function; sending goes through a writer the caller gives.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "model/macro_record.h"

namespace q730x {

constexpr std::size_t kMacroImageSize = 512;
constexpr unsigned kMacroImagePairs = kMacroImageSize / 2;
using MacroImage = std::array<std::uint8_t, kMacroImageSize>;

// Encodes record into image and returns the pair cursor after the last step
// (pairs used, header included; at least 1).
unsigned EncodeMacroImage(const MacroRecord& record, MacroImage& image);

// Writes a 512-byte image to a keyboard slot (WriteMacroSlot of the device
// layer) and answers whether it was accepted.
using MacroSlotWriter = std::function<bool(unsigned slot, const std::uint8_t* image)>;

// Encodes record and writes the image to slot. Returns 0 without writing when
// there is no record, otherwise the encoder's pair cursor whatever the
// outcome of the write.
unsigned EncodeAndSendMacro(unsigned slot, const MacroRecord* record, const MacroSlotWriter& write);

}  // namespace q730x
