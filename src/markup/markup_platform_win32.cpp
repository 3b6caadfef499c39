// Windows side of the markup reader: files through CreateFileW, code pages
// through MultiByteToWideChar.
#include <windows.h>

#include <iterator>

#include "markup/markup_platform.h"
#include "markup/markup_text.h"

namespace q730x {
namespace {

std::u16string SystemMessage(DWORD error) {
  wchar_t buffer[512] = {};
  DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                error, 0, buffer, static_cast<DWORD>(std::size(buffer)), nullptr);
  std::u16string text;
  for (DWORD i = 0; i < length && buffer[i] != L'\r' && buffer[i] != L'\n'; ++i) {
    text.push_back(static_cast<char16_t>(buffer[i]));
  }
  if (text.empty()) {
    text = u"Error ";
    AppendNumber(text, error);
  }
  return text;
}

class FileHandle {
 public:
  explicit FileHandle(HANDLE h) : handle_(h) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

}  // namespace

bool ReadFileBytes(const std::filesystem::path& path, std::string& bytes, std::u16string& errorText) {
  bytes.clear();
  FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) {
    errorText = SystemMessage(GetLastError());
    return false;
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) {
    errorText = SystemMessage(GetLastError());
    return false;
  }
  if (static_cast<std::uintmax_t>(size.QuadPart) > kMaxMarkupFileBytes) {
    errorText = u"File too large";
    return false;
  }
  bytes.resize(static_cast<std::size_t>(size.QuadPart));
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD got = 0;
    if (!ReadFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &got, nullptr)) {
      errorText = SystemMessage(GetLastError());
      bytes.clear();
      return false;
    }
    if (got == 0) break;  // the file shrank while we read it
    done += got;
  }
  bytes.resize(done);
  return true;
}

bool PlatformConvertCodePage(std::uint32_t codePage, std::string_view bytes, std::u16string& out) {
  out.clear();
  const int count = static_cast<int>(bytes.size());
  int length = MultiByteToWideChar(codePage, 0, bytes.data(), count, nullptr, 0);
  if (length <= 0) return false;
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  length = MultiByteToWideChar(codePage, 0, bytes.data(), count, wide.data(), length);
  if (length <= 0) return false;
  out.assign(wide.begin(), wide.begin() + length);
  return true;
}

}  // namespace q730x
