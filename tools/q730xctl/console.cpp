#include "console.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

namespace q730x::ctl {

std::string ToUtf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n : 0, '\0');
  if (n > 0)
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
  return out;
}

std::string ToUtf8(std::u16string_view text) {
  return ToUtf8(std::wstring_view(reinterpret_cast<const wchar_t*>(text.data()), text.size()));
}

void Print(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vfprintf(stdout, format, args);
  va_end(args);
}

void PrintError(const std::string& message) {
  std::fprintf(stderr, "q730xctl: %s\n", message.c_str());
}

}  // namespace q730x::ctl
