#include "update/update_address.h"

#include <windows.h>

namespace q730x {

std::wstring UpdateServer() {
  wchar_t value[1024];
  const DWORD n = GetEnvironmentVariableW(L"Q730X_UPDATE_SERVER", value, 1024);
  std::wstring server = n > 0 && n < 1024 ? std::wstring(value, n) : std::wstring();
  while (!server.empty() && server.back() == L'/') server.pop_back();
  return server.empty() ? std::wstring(kDefaultUpdateServer) : server;
}

std::wstring UpdateDescriptionUrl() { return UpdateServer() + kUpdateDescriptionPath; }

}  // namespace q730x
