#include "model/macro_store.h"

#include <cstdio>

#include "model/file_io.h"
#include "model/registry_values.h"

namespace q730x {

const wchar_t kMacroRootPath[] = L"Software\\KAVEX\\Q730X\\Macro\\";

namespace {

// Reads the record of one macro subkey. A record that is not one is ignored,
// and one whose size or event count lies is read as far as its bytes go; both
// are reported once.
std::optional<MacroRecord> ReadRecord(HKEY key, const std::wstring& subkey) {
  std::vector<std::uint8_t> bytes;
  DWORD type = 0;
  if (!ReadWholeValue(key, L"", bytes, type)) return std::nullopt;
  const std::wstring where = L"the macro " + subkey + L" ";
  if (type != REG_BINARY) {
    ReportOnceToDebugger(where + L"is not a binary value; ignored");
    return std::nullopt;
  }
  const std::size_t held = bytes.size();
  std::optional<MacroRecord> record = MacroRecord::FromBytes(std::move(bytes));
  if (!record) {
    ReportOnceToDebugger(where + L"holds " + std::to_wstring(held) + L" bytes, less than its header; ignored");
    return std::nullopt;
  }
  if (record->size() != held || record->eventCountField() != record->EventCount())
    ReportOnceToDebugger(where + L"claims " + std::to_wstring(record->size()) + L" bytes and " +
                         std::to_wstring(record->eventCountField()) + L" events but holds " +
                         std::to_wstring(held) + L" bytes; only the events held are used");
  return record;
}

bool WriteRecord(HKEY key, const MacroRecord& record) {
  return WriteBinary(key, L"", record.bytes().data(), record.size());
}

UniqueRegKey OpenMacroKey(const MacroRoot& root, std::uint32_t id) {
  return OpenStoreKey(root.key, root.path + MacroSubkeyName(id));
}

using DeleteKeyEx = LONG(WINAPI*)(HKEY, LPCWSTR, REGSAM, DWORD);

// RegDeleteKeyExW is looked up once per run: older systems lack it.
DeleteKeyEx ExtendedDeletion() {
  static const DeleteKeyEx function = [] {
    HMODULE advapi = GetModuleHandleW(L"advapi32.dll");
    return advapi ? reinterpret_cast<DeleteKeyEx>(
                        reinterpret_cast<void*>(GetProcAddress(advapi, "RegDeleteKeyExW")))
                  : nullptr;
  }();
  return function;
}

}  // namespace

MacroRoot DefaultMacroRoot() { return {HKEY_LOCAL_MACHINE, kMacroRootPath}; }

std::wstring MacroSubkeyName(std::uint32_t id) {
  wchar_t name[16];
  std::swprintf(name, 16, L"%08x", static_cast<unsigned>(id));
  return name;
}

std::optional<MacroRecord> ReadMacro(const MacroRoot& root, std::uint32_t id) {
  const UniqueRegKey key = OpenMacroKey(root, id);
  if (!key) return std::nullopt;
  return ReadRecord(key.get(), MacroSubkeyName(id));
}

std::optional<MacroRecord> LoadMacro(std::uint32_t id) { return ReadMacro(DefaultMacroRoot(), id); }

bool SaveMacro(const MacroRecord& record) {
  if (!record.IsWritable()) return false;
  const UniqueRegKey key = OpenMacroKey(DefaultMacroRoot(), record.id());
  return key && WriteRecord(key.get(), record);
}

void ListMacros(const MacroRoot& root, std::vector<MacroListEntry>& list) {
  list.clear();
  const UniqueRegKey macros = OpenStoreKey(root.key, root.path);
  if (!macros) return;
  for (DWORD index = 0;; ++index) {
    wchar_t name[261];
    DWORD length = 261;
    if (RegEnumKeyExW(macros.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    const UniqueRegKey key = OpenStoreKey(macros.get(), name);
    if (!key) continue;
    const std::optional<MacroRecord> record = ReadRecord(key.get(), name);
    if (record && record->IsListable()) list.push_back({record->name(), record->id()});
  }
}

bool WriteMacro(const MacroRoot& root, const MacroRecord& record) {
  if (!record.IsWritable()) return false;
  if (const UniqueRegKey key = OpenMacroKey(root, record.id())) return WriteRecord(key.get(), record);
  // A new macro keeps the play mode it was built with: the mode button the
  // user chose is what the keyboard plays from the first download on.
  UniqueRegKey macros = OpenStoreKey(root.key, root.path);
  if (!macros) macros = CreateStoreKey(root.key, root.path);
  if (!macros) return false;
  const UniqueRegKey created = CreateStoreKey(macros.get(), MacroSubkeyName(record.id()));
  return created && WriteRecord(created.get(), record);
}

bool DeleteMacro(const MacroRoot& root, std::uint32_t id) {
  const UniqueRegKey macros = OpenStoreKey(root.key, root.path);
  if (!macros) return true;
  const std::wstring name = MacroSubkeyName(id);
  const LONG result = ExtendedDeletion() ? ExtendedDeletion()(macros.get(), name.c_str(), 0, 0)
                                         : RegDeleteKeyW(macros.get(), name.c_str());
  return result == ERROR_SUCCESS;
}

std::uint32_t MakeNewMacroId(const MacroRoot& root) {
  return NewMacroId(GetTickCount(), [&](std::uint32_t id) {
    return static_cast<bool>(OpenMacroKey(root, id));
  });
}

}  // namespace q730x
