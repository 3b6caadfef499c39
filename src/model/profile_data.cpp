#include "model/profile_data.h"

#include <algorithm>
#include <cstring>

namespace q730x {
namespace {

std::u16string_view TextOf(const char16_t (&units)[kAuxTextUnits]) {
  std::size_t n = 0;
  while (n < kAuxTextUnits && units[n] != 0) ++n;
  return {units, n};
}

}  // namespace

std::u16string_view AuxRecord::Text() const { return TextOf(text); }

void AuxRecord::SetText(std::u16string_view value) {
  Clear();
  const std::size_t n = std::min<std::size_t>(value.size(), kAuxTextUnits - 1);
  std::copy_n(value.data(), n, text);
}

std::uint32_t AuxRecord::MacroId() const {
  return std::uint32_t{static_cast<std::uint16_t>(text[0])} |
         std::uint32_t{static_cast<std::uint16_t>(text[1])} << 16;
}

void AuxRecord::SetMacroId(std::uint32_t id) {
  text[0] = static_cast<char16_t>(id & 0xFFFF);
  text[1] = static_cast<char16_t>(id >> 16);
}

ConfigInfo ConfigInfo::Defaults() {
  ConfigInfo c;
  c.reportRate = kDefaultReportRate;
  return c;
}

std::u16string_view ConfigInfo::Text() const { return TextOf(text); }

std::u16string_view ProgramLink::Program() const { return TextOf(program); }

}  // namespace q730x
