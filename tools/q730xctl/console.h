// Output of q730xctl: UTF-16 on a console, UTF-8 bytes when redirected.
#pragma once

#include <string>
#include <string_view>

namespace q730x::ctl {

std::string ToUtf8(std::wstring_view text);
std::string ToUtf8(std::u16string_view text);
// The system's text for a Win32 error code, in UTF-8, with its number.
std::string SystemMessage(unsigned long error);

// printf-style line to standard output; the text is UTF-8.
void Print(const char* format, ...) __attribute__((format(printf, 1, 2)));
// "q730xctl: " + message on standard error.
void PrintError(const std::string& message);

}  // namespace q730x::ctl
