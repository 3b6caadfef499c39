#include "update/web_download.h"

#include <windows.h>
#include <bcrypt.h>
#include <wininet.h>

#include <algorithm>
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

// The time left until a deadline; at least 1 ms, as 0 means no time-out at all to WinINet.
class Deadline {
 public:
  explicit Deadline(unsigned limitMs) : end_(GetTickCount64() + limitMs) {}
  bool passed() const { return GetTickCount64() >= end_; }
  DWORD leftMs() const {
    const ULONGLONG now = GetTickCount64();
    return now >= end_ ? 1 : DWORD(end_ - now);
  }

 private:
  ULONGLONG end_;
};

// Every blocking call on handles made from this session waits at most ms.
void SetNetworkTimeouts(HINTERNET session, DWORD ms) {
  for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                       INTERNET_OPTION_RECEIVE_TIMEOUT})
    InternetSetOptionW(session, option, &ms, sizeof ms);
}

// The HTTP status of an answer; 0 when it has none (not an HTTP address).
DWORD StatusCode(HINTERNET request) {
  DWORD value = 0, size = sizeof value;
  if (!HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr))
    return 0;
  return value;
}

bool IsRedirect(DWORD status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// The address a redirect points at, made whole against the address that
// answered with it; empty when there is none.
std::wstring RedirectTarget(HINTERNET request, const std::wstring& from) {
  wchar_t location[2048] = {};
  DWORD size = sizeof location;
  if (!HttpQueryInfoW(request, HTTP_QUERY_LOCATION, location, &size, nullptr) || !location[0]) return {};
  wchar_t combined[2048] = {};
  DWORD length = 2048;
  if (!InternetCombineUrlW(from.c_str(), location, combined, &length, ICU_NO_ENCODE)) return {};
  return std::wstring(combined, length);
}

// Opens url and follows its redirects, within the limits; the answer that is
// no redirect, or nothing.
HINTERNET OpenFollowingRedirects(HINTERNET session, std::wstring url, const DownloadLimits& limits,
                                 const Deadline& deadline) {
  // The description keeps its address while its content changes: never
  // answer from, or fill, the web cache. Redirects are followed here, so
  // that a circle of them is counted.
  const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                      INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_AUTO_REDIRECT;
  for (unsigned hop = 0; hop <= limits.maxRedirects && !deadline.passed(); ++hop) {
    SetNetworkTimeouts(session, deadline.leftMs());
    HINTERNET request = InternetOpenUrlW(session, url.c_str(), nullptr, 0, flags, 0);
    if (!request) return nullptr;
    if (!IsRedirect(StatusCode(request))) return request;
    url = RedirectTarget(request, url);
    InternetCloseHandle(request);
    if (url.empty()) return nullptr;
  }
  return nullptr;
}

// Reads the whole answer into `file`; false when the server said anything
// but 200, the body ended before the length it announced, or it went past
// the limits. Each read takes only what has arrived, so that a trickling
// server is seen against the deadline.
bool ReceiveInto(HINTERNET request, HANDLE file, const DownloadLimits& limits, const Deadline& deadline) {
  if (const DWORD status = StatusCode(request); status != 0 && status != 200) return false;
  DWORD announced = 0, size = sizeof announced;
  const bool lengthKnown =
      HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &announced, &size, nullptr);
  if (lengthKnown && announced > limits.maxBytes) return false;
  std::uint64_t received = 0;
  std::vector<char> buffer(64 * 1024);
  for (;;) {
    if (deadline.passed()) return false;
    DWORD available = 0;
    if (!InternetQueryDataAvailable(request, &available, 0, 0)) return false;
    if (available == 0) break;
    DWORD read = 0;
    if (!InternetReadFile(request, buffer.data(), std::min<DWORD>(available, DWORD(buffer.size())), &read))
      return false;
    if (read == 0) break;
    received += read;
    if (received > limits.maxBytes) return false;
    DWORD written = 0;
    if (!WriteFile(file, buffer.data(), read, &written, nullptr) || written != read) return false;
  }
  return !lengthKnown || received == announced;
}

}  // namespace

// WinINet rather than URLDownloadToFileW: the latter, under Wine, reports a
// 404 page or a body cut off half-way as a successful download.
bool DownloadFresh(const std::wstring& url, const std::wstring& path, const DownloadLimits& limits) {
  DeleteFileW(path.c_str());
  if (url.empty()) return false;
  const Deadline deadline(limits.timeLimitMs);
  InternetCloser session{InternetOpenW(L"Q730X", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)};
  if (!session.handle) return false;
  InternetCloser request{OpenFollowingRedirects(session.handle, url, limits, deadline)};
  if (!request.handle) return false;
  // The file appears under its name only when it is whole.
  const std::wstring partial = path + L".part";
  bool whole = false;
  {
    UniqueHandle file(CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    whole = ReceiveInto(request.handle, file.get(), limits, deadline);
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
