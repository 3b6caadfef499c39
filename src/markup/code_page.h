// Conversion of a byte text in a code page to UTF-16.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace q730x {

// Replaces out with the UTF-16 form of bytes. UTF-8 and UTF-32 are decoded
// here; every other code page goes to the platform's converter. Returns false
// (out empty) when the platform does not know the code page.
bool ConvertToUtf16(std::uint32_t codePage, std::string_view bytes, std::u16string& out);

}  // namespace q730x
