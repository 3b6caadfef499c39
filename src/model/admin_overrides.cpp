#include "model/admin_overrides.h"

#include <windows.h>

#include "model/win_handles.h"

namespace q730x {

// Longer than any pipe name, folder or server address a switch names.
constexpr DWORD kMostChars = 2048;

std::optional<std::wstring> ReadOverride(const wchar_t* name) {
  UniqueRegKey key;
  // Query rights only: the switches are read by unelevated programs too.
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kOverridesKeyPath, 0, KEY_QUERY_VALUE, key.receive()) != ERROR_SUCCESS) {
    key.release();
    return std::nullopt;
  }
  wchar_t value[kMostChars];
  DWORD bytes = sizeof value;
  // RegGetValueW checks the type and always ends the text.
  if (RegGetValueW(key.get(), nullptr, name, RRF_RT_REG_SZ, nullptr, value, &bytes) != ERROR_SUCCESS)
    return std::nullopt;
  std::wstring text(value);
  if (text.empty()) return std::nullopt;
  return text;
}

}  // namespace q730x
