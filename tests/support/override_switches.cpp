#include "override_switches.h"

#include <windows.h>

#include "model/admin_overrides.h"
#include "model/win_handles.h"

namespace q730x::test {
namespace {

// Removes the switches at the end of a process that set one.
struct RemoveAtExit {
  bool armed = false;
  ~RemoveAtExit() {
    if (armed) RegDeleteTreeW(HKEY_LOCAL_MACHINE, kOverridesKeyPath);
  }
};
RemoveAtExit removeAtExit;

}  // namespace

bool SetOverride(const wchar_t* name, const wchar_t* value) {
  UniqueRegKey key;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kOverridesKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE, nullptr, key.receive(), nullptr) != ERROR_SUCCESS) {
    key.release();
    return false;
  }
  removeAtExit.armed = true;
  if (!value) {
    const LSTATUS status = RegDeleteValueW(key.get(), name);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
  }
  const DWORD bytes = DWORD((wcslen(value) + 1) * sizeof(wchar_t));
  return RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), bytes) == ERROR_SUCCESS;
}

}  // namespace q730x::test
