#include "app/tray_hint.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "model/profile_store.h"
#include "model/registry_values.h"

namespace q730x {

namespace {
constexpr wchar_t kValueName[] = L"TrayHintVersion";
// The program's version, as in its version resource.
constexpr wchar_t kProgramVersion[] = L"" Q730X_PROGRAM_VERSION;
}  // namespace

bool TrayHintDue() {
  UniqueRegKey key = OpenStoreKey(HKEY_LOCAL_MACHINE, kStoreRootPath);
  if (!key) return true;
  std::vector<std::uint8_t> bytes;
  DWORD type = 0;
  if (!ReadWholeValue(key.get(), kValueName, bytes, type) || type != REG_SZ) return true;
  std::wstring shown(bytes.size() / sizeof(wchar_t), L'\0');
  if (!shown.empty()) std::memcpy(shown.data(), bytes.data(), shown.size() * sizeof(wchar_t));
  while (!shown.empty() && shown.back() == L'\0') shown.pop_back();
  return shown != kProgramVersion;
}

void RememberTrayHintShown() {
  UniqueRegKey key = CreateStoreKey(HKEY_LOCAL_MACHINE, kStoreRootPath);
  if (!key) return;
  RegSetValueExW(key.get(), kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(kProgramVersion),
                 DWORD(sizeof kProgramVersion));
}

}  // namespace q730x
