#include "model/registry_values.h"

#include <cstring>

namespace q730x {

UniqueRegKey OpenStoreKey(HKEY parent, const std::wstring& path) {
  UniqueRegKey key;
  if (RegOpenKeyExW(parent, path.c_str(), 0, kStoreAccess, key.receive()) != ERROR_SUCCESS)
    key.release();
  return key;
}

UniqueRegKey OpenStoreKeyForReading(HKEY parent, const std::wstring& path) {
  UniqueRegKey key;
  const LSTATUS status = RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, key.receive());
  if (status != ERROR_SUCCESS) {
    key.release();
    SetLastError(DWORD(status));
  }
  return key;
}

UniqueRegKey CreateStoreKey(HKEY parent, const std::wstring& path) {
  UniqueRegKey key;
  if (RegCreateKeyExW(parent, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, kStoreAccess,
                      nullptr, key.receive(), nullptr) != ERROR_SUCCESS)
    key.release();
  return key;
}

bool ReadFixedBinary(HKEY key, const wchar_t* name, void* out, std::size_t size) {
  if (!key) return false;
  // Ask for the type and size first so that a value of another size never
  // touches out, not even partly.
  DWORD type = 0;
  DWORD stored = 0;
  if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &stored) != ERROR_SUCCESS) return false;
  if (type != REG_BINARY || stored != size) return false;
  DWORD got = static_cast<DWORD>(size);
  if (RegQueryValueExW(key, name, nullptr, &type, static_cast<BYTE*>(out), &got) != ERROR_SUCCESS)
    return false;
  return type == REG_BINARY && got == size;
}

bool ReadWholeValue(HKEY key, const wchar_t* name, std::vector<std::uint8_t>& bytes, DWORD& type) {
  bytes.clear();
  if (!key) return false;
  // The value may grow between the size query and the read: retry then.
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    bytes.resize(size);
    DWORD got = size;
    const LONG r = RegQueryValueExW(key, name, nullptr, &type, size ? bytes.data() : nullptr, &got);
    if (r == ERROR_SUCCESS) {
      bytes.resize(got);
      return true;
    }
    if (r != ERROR_MORE_DATA) break;
  }
  bytes.clear();
  return false;
}

bool WriteBinary(HKEY key, const wchar_t* name, const void* data, std::size_t size) {
  if (!key) return false;
  return RegSetValueExW(key, name, 0, REG_BINARY, static_cast<const BYTE*>(data),
                        static_cast<DWORD>(size)) == ERROR_SUCCESS;
}

}  // namespace q730x
