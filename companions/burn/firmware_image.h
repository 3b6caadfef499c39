// The stand-in firmware image: a file whose first line reads
// "Q730X firmware <major>.<minor>" (major 1 to 255, minor 0 to 255), followed
// by any bytes. Anything else is a damaged image.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace q730x::burn {

struct FirmwareVersion {
  std::uint8_t major = 0, minor = 0;
};

// The version the image carries, or nothing for a damaged image.
std::optional<FirmwareVersion> ReadFirmwareImage(std::string_view bytes);

}  // namespace q730x::burn
