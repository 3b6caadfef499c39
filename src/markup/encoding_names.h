// The code page of an encoding name.
#pragma once

#include <cstdint>
#include <string_view>

namespace q730x {

constexpr std::uint32_t kDefaultCodePage = 0;  // the platform's default narrow code page
constexpr std::uint32_t kCodePageUtf16LE = 1200;
constexpr std::uint32_t kCodePageUtf16BE = 1201;
constexpr std::uint32_t kCodePageUtf32LE = 65005;
constexpr std::uint32_t kCodePageUtf32BE = 65006;
constexpr std::uint32_t kCodePageUtf8 = 65001;

// An empty name gives the default code page; a name starting with "UTF-32"
// (exactly so) gives UTF-32; every other name is looked up without regard to
// ASCII letter case. Unknown names, and names of 100 characters or more, give
// the default code page.
std::uint32_t CodePageForEncoding(std::u16string_view name);

}  // namespace q730x
