#include "capture_folder.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include "model/admin_overrides.h"
#include "model/win_handles.h"

namespace q730x::screenclip {
namespace {

// The most files one second's name can take before giving up.
constexpr unsigned kMostAttempts = 1000;

std::optional<std::wstring> PicturesFolder() {
  PWSTR path = nullptr;
  // KF_FLAG_CREATE makes the folder when the user has none yet.
  const HRESULT result = SHGetKnownFolderPath(FOLDERID_Pictures, KF_FLAG_CREATE, nullptr, &path);
  std::optional<std::wstring> folder;
  if (SUCCEEDED(result) && path) folder = std::wstring(path);
  CoTaskMemFree(path);
  return folder;
}

bool EnsureFolder(const std::wstring& folder) {
  const int result = SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
  return result == ERROR_SUCCESS || result == ERROR_ALREADY_EXISTS || result == ERROR_FILE_EXISTS;
}

}  // namespace

std::optional<std::wstring> CaptureFolder() {
  std::optional<std::wstring> folder = ReadOverride(kCaptureFolderOverride);
  if (!folder) folder = PicturesFolder();
  if (!folder || folder->empty()) return std::nullopt;
  if (!EnsureFolder(*folder)) return std::nullopt;
  if (folder->back() != L'\\') *folder += L'\\';
  return folder;
}

std::optional<std::wstring> ClaimCaptureFile(const std::wstring& folder, const CaptureTime& time) {
  for (unsigned attempt = 1; attempt <= kMostAttempts; ++attempt) {
    const std::wstring path = folder + CaptureFileName(time, attempt);
    // CREATE_NEW fails on an existing file, so two captures in the same
    // second (or two tools at once) never share a name.
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) return path;
    if (GetLastError() != ERROR_FILE_EXISTS) return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace q730x::screenclip
