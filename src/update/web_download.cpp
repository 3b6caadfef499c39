#include "update/web_download.h"

#include <windows.h>
#include <bcrypt.h>
#include <urlmon.h>
#include <wininet.h>

#include <vector>

#include "model/win_handles.h"

namespace q730x {

bool DownloadFresh(const std::wstring& url, const std::wstring& path) {
  // The description keeps its address while its content changes: a copy in
  // the web cache would hide a new version.
  DeleteUrlCacheEntryW(url.c_str());
  DeleteFileW(path.c_str());
  if (url.empty()) return false;
  return URLDownloadToFileW(nullptr, url.c_str(), path.c_str(), 0, nullptr) == S_OK;
}

namespace {

struct AlgorithmCloser {
  BCRYPT_ALG_HANDLE handle = nullptr;
  ~AlgorithmCloser() {
    if (handle) BCryptCloseAlgorithmProvider(handle, 0);
  }
};
struct HashCloser {
  BCRYPT_HASH_HANDLE handle = nullptr;
  ~HashCloser() {
    if (handle) BCryptDestroyHash(handle);
  }
};

}  // namespace

std::wstring FileSha256(const std::wstring& path) {
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return {};
  AlgorithmCloser algorithm;
  HashCloser hash;
  if (BCryptOpenAlgorithmProvider(&algorithm.handle, BCRYPT_SHA256_ALGORITHM, nullptr, 0) != 0 ||
      BCryptCreateHash(algorithm.handle, &hash.handle, nullptr, 0, nullptr, 0, 0) != 0)
    return {};
  std::vector<UCHAR> buffer(64 * 1024);
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file.get(), buffer.data(), DWORD(buffer.size()), &read, nullptr)) return {};
    if (read == 0) break;
    if (BCryptHashData(hash.handle, buffer.data(), read, 0) != 0) return {};
  }
  UCHAR digest[32];
  if (BCryptFinishHash(hash.handle, digest, sizeof digest, 0) != 0) return {};
  static const wchar_t kDigits[] = L"0123456789abcdef";
  std::wstring hex;
  for (UCHAR byte : digest) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 15];
  }
  return hex;
}

}  // namespace q730x
