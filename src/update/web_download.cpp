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
  InternetCloser() = default;
  explicit InternetCloser(HINTERNET h) : handle(h) {}
  InternetCloser(const InternetCloser&) = delete;
  InternetCloser& operator=(const InternetCloser&) = delete;
  ~InternetCloser() { reset(); }
  void reset(HINTERNET h = nullptr) {
    if (handle) InternetCloseHandle(handle);
    handle = h;
  }
};

// One answer of a server: the connection and the request on it. The request
// is closed first: it belongs to the connection.
struct Answer {
  InternetCloser connection, request;
  void reset() {
    request.reset();
    connection.reset();
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

// Every blocking call on this handle, and on those made from it, waits at most ms.
void SetNetworkTimeouts(HINTERNET handle, DWORD ms) {
  for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                       INTERNET_OPTION_RECEIVE_TIMEOUT})
    InternetSetOptionW(handle, option, &ms, sizeof ms);
}

// Sends a GET of an http or https address and receives the answer's headers,
// each call waiting at most waitMs. The time-outs are set on the connection
// and the request themselves: Wine takes a session's receive time-out for
// neither, and a server that never answers would hold the call for ever.
bool Get(HINTERNET session, const std::wstring& url, DWORD waitMs, Answer& answer) {
  wchar_t host[256] = {}, path[2048] = {}, extra[2048] = {};
  URL_COMPONENTSW parts{};
  parts.dwStructSize = sizeof parts;
  parts.lpszHostName = host;
  parts.dwHostNameLength = 256;
  parts.lpszUrlPath = path;
  parts.dwUrlPathLength = 2048;
  parts.lpszExtraInfo = extra;
  parts.dwExtraInfoLength = 2048;
  if (!InternetCrackUrlW(url.c_str(), 0, 0, &parts)) return false;
  if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return false;
  answer.connection.reset(
      InternetConnectW(session, host, parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
  if (!answer.connection.handle) return false;
  SetNetworkTimeouts(answer.connection.handle, waitMs);
  // The description keeps its address while its content changes: never
  // answer from, or fill, the web cache. Redirects are followed by the
  // caller, so that a circle of them is counted.
  DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_AUTO_REDIRECT;
  if (parts.nScheme == INTERNET_SCHEME_HTTPS) flags |= INTERNET_FLAG_SECURE;
  const std::wstring object = std::wstring(path) + extra;
  answer.request.reset(HttpOpenRequestW(answer.connection.handle, L"GET", object.empty() ? L"/" : object.c_str(),
                                        nullptr, nullptr, nullptr, flags, 0));
  if (!answer.request.handle) return false;
  SetNetworkTimeouts(answer.request.handle, waitMs);
  return HttpSendRequestW(answer.request.handle, nullptr, 0, nullptr, 0);
}

// The HTTP status of an answer; 0 when it has none.
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

// Gets url and follows its redirects, within the limits; false unless it
// ends with an answer that is no redirect.
bool GetFollowingRedirects(HINTERNET session, std::wstring url, const DownloadLimits& limits,
                           const Deadline& deadline, Answer& answer) {
  for (unsigned hop = 0; hop <= limits.maxRedirects && !deadline.passed(); ++hop) {
    answer.reset();
    if (!Get(session, url, deadline.leftMs(), answer)) return false;
    if (!IsRedirect(StatusCode(answer.request.handle))) return true;
    url = RedirectTarget(answer.request.handle, url);
    if (url.empty()) return false;
  }
  return false;
}

// Reads the whole answer into `file`; false when the server said anything
// but 200, the body ended before the length it announced, or it went past
// the limits. Each read takes only what has arrived, so that a trickling
// server is seen against the deadline.
bool ReceiveInto(HINTERNET request, HANDLE file, const DownloadLimits& limits, const Deadline& deadline) {
  if (StatusCode(request) != 200) return false;
  DWORD announced = 0, size = sizeof announced;
  const bool lengthKnown =
      HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &announced, &size, nullptr);
  if (lengthKnown && announced > limits.maxBytes) return false;
  std::uint64_t received = 0;
  std::vector<char> buffer(64 * 1024);
  for (;;) {
    if (deadline.passed()) return false;
    SetNetworkTimeouts(request, deadline.leftMs());
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
// 404 page or a body cut off half-way as a successful download. Only http
// and https addresses are fetched.
bool DownloadFresh(const std::wstring& url, const std::wstring& path, const DownloadLimits& limits) {
  DeleteFileW(path.c_str());
  if (url.empty()) return false;
  const Deadline deadline(limits.timeLimitMs);
  InternetCloser session{InternetOpenW(L"Q730X", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)};
  if (!session.handle) return false;
  Answer answer;
  if (!GetFollowingRedirects(session.handle, url, limits, deadline, answer)) return false;
  // The file appears under its name only when it is whole.
  const std::wstring partial = path + L".part";
  bool whole = false;
  {
    UniqueHandle file(CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    whole = ReceiveInto(answer.request.handle, file.get(), limits, deadline);
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
