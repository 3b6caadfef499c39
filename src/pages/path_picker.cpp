#include "pages/path_picker.h"

#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>

namespace q730x {

std::wstring PlatformFilter(const std::wstring& barSeparated) {
  std::wstring filter = barSeparated;
  for (wchar_t& c : filter)
    if (c == L'|') c = L'\0';
  return filter;
}

std::wstring DefaultExtension(const wchar_t* pattern) {
  std::wstring extension = pattern ? pattern : L"";
  if (!extension.empty() && extension.front() == L'.') extension.erase(0, 1);
  extension.erase(std::min(extension.find_first_of(L"*?"), extension.size()));
  return extension;
}

std::optional<std::wstring> PlatformPathPicker::PickFile(const FilePickerRequest& request) {
  return ShowOpenFileDialog(request, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);
}

std::optional<std::wstring> ShowOpenFileDialog(const FilePickerRequest& request, HWND owner, DWORD flags) {
  const std::wstring filter = PlatformFilter(request.filter);
  wchar_t file[MAX_PATH] = {};
  lstrcpynW(file, request.initialName, MAX_PATH);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrInitialDir = request.initialFolder;
  const std::wstring extension = DefaultExtension(request.defaultExtension);
  dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  dialog.Flags = flags | OFN_EXPLORER;
  if (!GetOpenFileNameW(&dialog)) return std::nullopt;
  return std::wstring(file);
}

std::optional<std::wstring> PlatformPathPicker::PickFolder() {
  BROWSEINFOW browse{};
  LPITEMIDLIST chosen = SHBrowseForFolderW(&browse);
  if (!chosen) return std::nullopt;
  wchar_t path[MAX_PATH] = {};
  const bool hasPath = SHGetPathFromIDListW(chosen, path) && path[0] != L'\0';
  CoTaskMemFree(chosen);
  if (!hasPath) return std::nullopt;
  return std::wstring(path);
}

}  // namespace q730x
