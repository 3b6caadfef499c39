// Names of platform virtual keys, as the interface shows a captured key or a
// key in a caption.
#pragma once

#include <cstdint>
#include <string>

namespace q730x {

// The fixed name of a virtual key ("Backspace", "Num 7", "LShift"), or null
// when the key has none.
const wchar_t* FixedKeyName(std::uint32_t vk);

// The name of any virtual key: empty for 0 and 255, the fixed name where there
// is one, otherwise the character the key types in the current keyboard layout
// with no modifier held (letters in upper case), or empty when it types none.
std::wstring KeyName(std::uint32_t vk);

}  // namespace q730x
