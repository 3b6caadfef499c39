#include "device/companion_library.h"

#include "model/program_folder.h"

namespace q730x {

UniqueLibrary LoadCompanionLibrary(const wchar_t* fileName) {
  const std::wstring folder = ProgramFolder();
  if (folder.empty()) return UniqueLibrary();
  const std::wstring path = folder + fileName;
  // A full path, and the library's own dependencies looked up from its folder.
  return UniqueLibrary(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

}  // namespace q730x
