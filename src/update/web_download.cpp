#include "update/web_download.h"

#include <windows.h>
#include <bcrypt.h>
#include <wininet.h>

#include <vector>

#include "model/win_handles.h"

namespace q730x {

namespace {

struct InternetCloser {
  HINTERNET handle = nullptr;
  ~InternetCloser() {
    if (handle) InternetCloseHandle(handle);
  }
};

// Reads the whole answer into `file`; false when the server said anything
// but 200 or the body ended before the length it announced.
bool ReceiveInto(HINTERNET request, HANDLE file) {
  DWORD value = 0, size = sizeof value;
  if (HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr) &&
      value != 200)
    return false;
  DWORD announced = 0;
  size = sizeof announced;
  const bool lengthKnown =
      HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &announced, &size, nullptr);
  unsigned long long received = 0;
  std::vector<char> buffer(64 * 1024);
  for (;;) {
    DWORD read = 0;
    if (!InternetReadFile(request, buffer.data(), DWORD(buffer.size()), &read)) return false;
    if (read == 0) break;
    DWORD written = 0;
    if (!WriteFile(file, buffer.data(), read, &written, nullptr) || written != read) return false;
    received += read;
  }
  return !lengthKnown || received == announced;
}

}  // namespace

// WinINet rather than URLDownloadToFileW: the latter, under Wine, reports a
// 404 page or a body cut off half-way as a successful download.
bool DownloadFresh(const std::wstring& url, const std::wstring& path) {
  DeleteFileW(path.c_str());
  if (url.empty()) return false;
  InternetCloser session{InternetOpenW(L"Q730X", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)};
  if (!session.handle) return false;
  // The description keeps its address while its content changes: never
  // answer from, or fill, the web cache.
  const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                      INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES;
  InternetCloser request{InternetOpenUrlW(session.handle, url.c_str(), nullptr, 0, flags, 0)};
  if (!request.handle) return false;
  // The file appears under its name only when it is whole.
  const std::wstring partial = path + L".part";
  bool whole = false;
  {
    UniqueHandle file(CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    whole = ReceiveInto(request.handle, file.get());
  }
  if (whole && MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
  DeleteFileW(partial.c_str());
  return false;
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
