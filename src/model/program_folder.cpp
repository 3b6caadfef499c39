#include "model/program_folder.h"

#include <windows.h>

namespace q730x {
namespace {

std::wstring g_folder;
bool g_known = false;

}  // namespace

bool ComputeProgramFolder() {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  // n == MAX_PATH means the path was cut off.
  if (n == 0 || n >= MAX_PATH) return false;
  const std::wstring full(path, n);
  const std::size_t slash = full.find_last_of(L'\\');
  if (slash == std::wstring::npos) return false;
  g_folder = full.substr(0, slash + 1);
  g_known = true;
  return true;
}

const std::wstring& ProgramFolder() {
  if (!g_known) ComputeProgramFolder();
  return g_folder;
}

void SetProgramFolder(const std::wstring& folder) {
  g_folder = folder;
  if (!g_folder.empty() && g_folder.back() != L'\\' && g_folder.back() != L'/') g_folder += L'\\';
  g_known = true;
}

}  // namespace q730x
