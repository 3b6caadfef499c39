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

std::string SystemMessage(unsigned long error) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                     FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message(text ? text : L"", n);
  LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L'.'))
    message.pop_back();
  return (message.empty() ? std::string("error") : ToUtf8(message)) + " (" + std::to_string(error) + ")";
}

namespace {

// A console shows UTF-16 through WriteConsoleW whatever its code page, so
// Chinese captions read right; redirected output stays UTF-8 bytes.
void Write(FILE* stream, DWORD handleId, const std::string& text) {
  const HANDLE handle = GetStdHandle(handleId);
  DWORD mode = 0;
  if (handle && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(n > 0 ? n : 0, L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    std::fflush(stream);  // whatever went through the stream before comes first
    DWORD written = 0;
    WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  std::fwrite(text.data(), 1, text.size(), stream);
}

}  // namespace

void Print(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string text(n > 0 ? n : 0, '\0');
  if (n > 0) std::vsnprintf(text.data(), text.size() + 1, format, again);
  va_end(again);
  Write(stdout, STD_OUTPUT_HANDLE, text);
}

void PrintError(const std::string& message) {
  Write(stderr, STD_ERROR_HANDLE, "q730xctl: " + message + "\n");
}

}  // namespace q730x::ctl
