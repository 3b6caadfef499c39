#include "model/file_io.h"

#include <windows.h>

#include <mutex>
#include <set>

#include "model/win_handles.h"

namespace q730x {

FileRead ReadFileStart(const std::wstring& path, std::uint8_t* out, std::size_t size) {
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD e = GetLastError();
    return (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) ? FileRead::kMissing
                                                                    : FileRead::kFailed;
  }
  std::size_t done = 0;
  while (done < size) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(size - done);
    if (!ReadFile(file.get(), out + done, want, &got, nullptr)) return FileRead::kFailed;
    if (got == 0) return FileRead::kShort;  // end of file
    done += got;
  }
  return FileRead::kOk;
}

std::uint64_t FileBytes(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return std::uint64_t{data.nFileSizeHigh} << 32 | data.nFileSizeLow;
}

namespace {
// A replacement blocked by a reader of the old file is tried this often, this far apart.
constexpr int kReplaceAttempts = 20;
constexpr DWORD kReplaceRetryMs = 50;
}  // namespace

bool WriteFileReplacing(const std::wstring& path, const std::uint8_t* data, std::size_t size,
                        unsigned long* error) {
  const std::wstring temp = path + L".new";
  auto fail = [&](DWORD e) {
    if (error) *error = e;
    DeleteFileW(temp.c_str());
    return false;
  };
  {
    UniqueFile file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return fail(GetLastError());
    std::size_t done = 0;
    while (done < size) {
      DWORD wrote = 0;
      if (!WriteFile(file.get(), data + done, static_cast<DWORD>(size - done), &wrote, nullptr) ||
          wrote == 0)
        return fail(GetLastError());
      done += wrote;
    }
    if (!FlushFileBuffers(file.get())) return fail(GetLastError());
  }
  // Another program reading the old file for a moment (a virus scanner, a
  // search indexer, a backup) makes the replacement fail with a sharing
  // violation. Giving up would leave the old file, which wins over the
  // registry at the next start, so the replacement is tried for a second.
  for (int attempt = 0;; ++attempt) {
    if (MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    const DWORD e = GetLastError();
    const bool held = e == ERROR_SHARING_VIOLATION || e == ERROR_ACCESS_DENIED || e == ERROR_LOCK_VIOLATION;
    if (!held || attempt == kReplaceAttempts - 1) return fail(e);
    Sleep(kReplaceRetryMs);
  }
}

bool EnsureFolder(const std::wstring& path, unsigned long* error) {
  if (CreateDirectoryW(path.c_str(), nullptr)) return true;
  const DWORD e = GetLastError();
  if (e == ERROR_ALREADY_EXISTS) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return true;
  }
  if (error) *error = e;
  return false;
}

namespace {
std::function<void(const std::wstring&)> g_reportListener;
std::mutex g_reportedLock;
std::set<std::wstring> g_reported;  // what ReportOnceToDebugger said already
}  // namespace

void ReportToDebugger(const std::wstring& text) {
  OutputDebugStringW((L"Q730X: " + text + L"\n").c_str());
  if (g_reportListener) g_reportListener(text);
}

void ReportOnceToDebugger(const std::wstring& text) {
  {
    std::lock_guard hold(g_reportedLock);
    if (!g_reported.insert(text).second) return;
  }
  ReportToDebugger(text);
}

void SetReportListener(std::function<void(const std::wstring&)> listener) {
  g_reportListener = std::move(listener);
  std::lock_guard hold(g_reportedLock);
  g_reported.clear();
}

}  // namespace q730x
