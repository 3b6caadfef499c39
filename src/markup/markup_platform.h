// The two things the markup reader needs from the platform: reading a file
// and converting a code page. One implementation per platform
// (markup_platform_win32.cpp, markup_platform_posix.cpp); the rest of the
// reader is platform-free.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace q730x {

// Largest file the reader accepts; offsets in the element table are 32-bit.
constexpr std::uintmax_t kMaxMarkupFileBytes = 1u << 30;

// Reads the whole file. On failure returns false and errorText holds the
// platform's message for the error, cut at its first line break.
bool ReadFileBytes(const std::filesystem::path& path, std::string& bytes, std::u16string& errorText);

// Converts bytes in a code page (0: the platform's default narrow code page)
// to UTF-16 into out. False when the code page is unknown to the platform.
bool PlatformConvertCodePage(std::uint32_t codePage, std::string_view bytes, std::u16string& out);

}  // namespace q730x
