#include "firmware_image.h"

namespace q730x::burn {

namespace {

// A decimal number of 1 to 3 digits up to 255, all of `text`.
std::optional<unsigned> SmallNumber(std::string_view text) {
  if (text.empty() || text.size() > 3) return std::nullopt;
  unsigned value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + unsigned(c - '0');
  }
  if (value > 255) return std::nullopt;
  return value;
}

}  // namespace

std::optional<FirmwareVersion> ReadFirmwareImage(std::string_view bytes) {
  constexpr std::string_view kHeader = "Q730X firmware ";
  std::string_view line = bytes.substr(0, bytes.find('\n'));
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.substr(0, kHeader.size()) != kHeader) return std::nullopt;
  line.remove_prefix(kHeader.size());
  const std::size_t dot = line.find('.');
  if (dot == std::string_view::npos) return std::nullopt;
  const auto major = SmallNumber(line.substr(0, dot));
  const auto minor = SmallNumber(line.substr(dot + 1));
  if (!major || !minor || *major == 0) return std::nullopt;
  return FirmwareVersion{std::uint8_t(*major), std::uint8_t(*minor)};
}

}  // namespace q730x::burn
