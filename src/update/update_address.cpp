#include "update/update_address.h"

#include "model/admin_overrides.h"

namespace q730x {

std::wstring UpdateServer() {
  std::wstring server = ReadOverride(kUpdateServerOverride).value_or(L"");
  while (!server.empty() && server.back() == L'/') server.pop_back();
  return server.empty() ? std::wstring(kDefaultUpdateServer) : server;
}

std::wstring UpdateDescriptionUrl() { return UpdateServer() + kUpdateDescriptionPath; }

}  // namespace q730x
