#include "store_snapshot.h"

#include <windows.h>

#include "model/macro_store.h"
#include "model/profile_store.h"
#include "model/registry_values.h"

namespace q730x::ctl {
namespace {

StoredValue ReadValue(HKEY key, const wchar_t* name) {
  StoredValue value;
  DWORD type = 0;
  if (key && ReadWholeValue(key, name, value.bytes, type)) {
    value.present = true;
    value.type = type;
  }
  return value;
}

bool WriteValue(HKEY key, const wchar_t* name, const StoredValue& value) {
  if (!value.present) {
    const LONG r = RegDeleteValueW(key, name);
    return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND;
  }
  return RegSetValueExW(key, name, 0, value.type, value.bytes.empty() ? nullptr : value.bytes.data(),
                        DWORD(value.bytes.size())) == ERROR_SUCCESS;
}

std::wstring MacroRootWithoutSlash() {
  std::wstring path = kMacroRootPath;
  if (!path.empty() && path.back() == L'\\') path.pop_back();
  return path;
}

std::vector<MacroSnapshot> ReadMacros() {
  std::vector<MacroSnapshot> macros;
  UniqueRegKey root;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, MacroRootWithoutSlash().c_str(), 0, KEY_READ, root.receive()) !=
      ERROR_SUCCESS)
    return macros;
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD length = 256;
    if (RegEnumKeyExW(root.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    UniqueRegKey subkey;
    if (RegOpenKeyExW(root.get(), name, 0, KEY_READ, subkey.receive()) != ERROR_SUCCESS) continue;
    macros.push_back({name, ReadValue(subkey.get(), L"")});
  }
  return macros;
}

}  // namespace

StoreSnapshot ReadStoreSnapshot() {
  StoreSnapshot s;
  UniqueRegKey root;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kStoreRootPath, 0, KEY_READ, root.receive()) == ERROR_SUCCESS) {
    s.nCurFile = ReadValue(root.get(), L"nCurFile");
    s.proCfg = ReadValue(root.get(), L"ProCfg");
    s.macroUse = ReadValue(root.get(), L"MacroUse");
  }
  for (int n = 0; n < kProfileCount; ++n) {
    UniqueRegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, ProfileKeyPath(n).c_str(), 0, KEY_READ, key.receive()) !=
        ERROR_SUCCESS)
      continue;
    ProfileSnapshot& p = s.profiles[n];
    p.keyPresent = true;
    p.matrix = ReadValue(key.get(), L"Matrix");
    p.auxInfo = ReadValue(key.get(), L"AuxInfo");
    p.macroUseCount = ReadValue(key.get(), L"MacroUseCount");
    p.configInfo = ReadValue(key.get(), L"ConfigInfo");
  }
  s.macros = ReadMacros();
  return s;
}

bool WriteStoreSnapshot(const StoreSnapshot& s) {
  const UniqueRegKey root = CreateStoreKey(HKEY_LOCAL_MACHINE, kStoreRootPath);
  if (!root) return false;
  if (!WriteValue(root.get(), L"nCurFile", s.nCurFile) || !WriteValue(root.get(), L"ProCfg", s.proCfg) ||
      !WriteValue(root.get(), L"MacroUse", s.macroUse))
    return false;
  for (int n = 0; n < kProfileCount; ++n) {
    const ProfileSnapshot& p = s.profiles[n];
    if (!p.keyPresent) {
      const LONG r = RegDeleteTreeW(HKEY_LOCAL_MACHINE, ProfileKeyPath(n).c_str());
      if (r != ERROR_SUCCESS && r != ERROR_FILE_NOT_FOUND) return false;
      continue;
    }
    const UniqueRegKey key = CreateStoreKey(HKEY_LOCAL_MACHINE, ProfileKeyPath(n));
    if (!key || !WriteValue(key.get(), L"Matrix", p.matrix) || !WriteValue(key.get(), L"AuxInfo", p.auxInfo) ||
        !WriteValue(key.get(), L"MacroUseCount", p.macroUseCount) ||
        !WriteValue(key.get(), L"ConfigInfo", p.configInfo))
      return false;
  }
  for (const MacroSnapshot& m : s.macros) {
    const UniqueRegKey key = CreateStoreKey(HKEY_LOCAL_MACHINE, kMacroRootPath + m.subkey);
    if (!key || !WriteValue(key.get(), L"", m.record)) return false;
  }
  // The files always show what the registry holds.
  ExportProfileFiles(-1);
  return true;
}

void DeleteMacroSubkeys(const std::vector<std::wstring>& subkeys) {
  for (const std::wstring& name : subkeys)
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, (kMacroRootPath + name).c_str());
}

}  // namespace q730x::ctl
