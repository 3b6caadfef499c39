// The names the macro manager gives keys in its step list and in its value
// field while a key is captured. A table of its own, shorter than the key
// names of the key captions: keys it does not list show an empty name.
// Platform-free.
#pragma once

#include <cstdint>
#include <string>

namespace q730x {

// The step name of a virtual key (mouse buttons as 1, 2 and 4); empty when
// the table has none.
std::wstring StepKeyName(std::uint32_t virtualKey);

}  // namespace q730x
