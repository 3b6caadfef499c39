#include "device/companion_library.h"

#include <vector>

namespace q730x {

std::wstring ProgramFileFolder() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return std::wstring();
    if (n < buffer.size()) {
      std::wstring path(buffer.data(), n);
      const std::size_t slash = path.find_last_of(L"\\/");
      return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
    }
    buffer.resize(buffer.size() * 2);  // a long path: try again with room for it
  }
}

UniqueLibrary LoadCompanionLibrary(const wchar_t* fileName) {
  const std::wstring folder = ProgramFileFolder();
  if (folder.empty()) return UniqueLibrary();
  const std::wstring path = folder + fileName;
  // A full path, and the library's own dependencies looked up from its folder.
  return UniqueLibrary(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

}  // namespace q730x
