#include "model/profile_store.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "model/file_io.h"
#include "model/profile_buffers.h"
#include "model/program_folder.h"
#include "model/registry_values.h"

namespace q730x {

const wchar_t kStoreRootPath[] = L"Software\\KAVEX\\Q730X";

namespace {

constexpr wchar_t kMatrixValue[] = L"Matrix";
constexpr wchar_t kAuxInfoValue[] = L"AuxInfo";
constexpr wchar_t kMacroUseCountValue[] = L"MacroUseCount";
constexpr wchar_t kConfigInfoValue[] = L"ConfigInfo";
constexpr wchar_t kMacroUseValue[] = L"MacroUse";
constexpr wchar_t kProCfgValue[] = L"ProCfg";
constexpr wchar_t kCurrentIndexValue[] = L"nCurFile";

bool ValidProfile(int n) { return n >= 0 && n < kProfileCount; }

UniqueRegKey OpenRoot() { return OpenStoreKey(HKEY_LOCAL_MACHINE, kStoreRootPath); }

// What is wrong with a stored value that did not read as good, for the report.
std::wstring StoredValueFault(HKEY key, const wchar_t* name) {
  DWORD type = 0, size = 0;
  if (!key || RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return L"is missing";
  if (type != REG_BINARY) return L"has type " + std::to_wstring(type) + L" instead of binary";
  return L"is " + std::to_wstring(size) + L" bytes long";
}

// Reports a value that was replaced by its default when it was loaded.
void ReportRepair(HKEY key, const std::wstring& where, const wchar_t* name) {
  ReportToDebugger(where + L" " + name + L" " + StoredValueFault(key, name) + L"; its default was stored instead");
}
UniqueRegKey CreateRoot() { return CreateStoreKey(HKEY_LOCAL_MACHINE, kStoreRootPath); }

// The bytes of profile n's file as the registry holds them. A section whose
// value is missing or damaged gets its default; the 120-byte MacroUseCount
// section takes the start of the (normally longer) value.
std::vector<std::uint8_t> ProfileImageFromRegistry(int n) {
  std::vector<std::uint8_t> image(kProfileFileBytes, 0);
  std::memcpy(image.data() + kFileMatrixOffset, DefaultMatrix.bytes(), kMatrixBytes);
  const ConfigInfo defaults = ConfigInfo::Defaults();
  std::memcpy(image.data() + kFileConfigInfoOffset, &defaults, kConfigInfoBytes);

  const UniqueRegKey key = OpenStoreKey(HKEY_LOCAL_MACHINE, ProfileKeyPath(n));
  if (!key) return image;
  ReadFixedBinary(key.get(), kMatrixValue, image.data() + kFileMatrixOffset, kMatrixBytes);
  ReadFixedBinary(key.get(), kAuxInfoValue, image.data() + kFileAuxInfoOffset, kAuxInfoBytes);
  ReadFixedBinary(key.get(), kConfigInfoValue, image.data() + kFileConfigInfoOffset,
                  kConfigInfoBytes);
  std::vector<std::uint8_t> useCount;
  DWORD type = 0;
  if (ReadWholeValue(key.get(), kMacroUseCountValue, useCount, type) && type == REG_BINARY)
    std::copy_n(useCount.begin(), std::min(useCount.size(), kFileMacroUseCountBytes),
                image.begin() + kFileMacroUseCountOffset);
  return image;
}

void WriteProfileFile(int n, const std::vector<std::uint8_t>& image) {
  const std::wstring path = ProfileFilePath(n);
  unsigned long error = 0;
  if (!WriteFileReplacing(path, image.data(), image.size(), &error))
    ReportToDebugger(L"cannot write the profile file " + path + L" (error " +
                     std::to_wstring(error) + L")");
}

void MakeProfileFolder() {
  const std::wstring folder = ProfileFolder();
  unsigned long error = 0;
  if (!EnsureFolder(folder, &error))
    ReportToDebugger(L"cannot create the profile folder " + folder + L" (error " +
                     std::to_wstring(error) + L")");
}

// The settings a profile gets when its key has to be created on load or save:
// only the report rate and the text are reset.
void ResetRateAndText(ConfigInfo& c) {
  c.reportRate = kDefaultReportRate;
  std::fill(std::begin(c.text), std::end(c.text), u'\0');
}

}  // namespace

std::wstring ProfileKeyPath(int profile) {
  return std::wstring(kStoreRootPath) + L"\\Profile\\" + std::to_wstring(profile);
}

std::wstring ProfileFolder() { return ProgramFolder() + L"profile\\"; }

std::wstring ProfileFilePath(int profile) {
  return ProfileFolder() + std::to_wstring(profile + 1) + L".cfg";
}

void CreateMissingProfiles() {
  for (int n = 0; n < kProfileCount; ++n) {
    if (OpenStoreKey(HKEY_LOCAL_MACHINE, ProfileKeyPath(n))) continue;
    const UniqueRegKey key = CreateStoreKey(HKEY_LOCAL_MACHINE, ProfileKeyPath(n));
    buffers::AuxInfo.fill(AuxRecord{});
    buffers::ConfigInfo = ConfigInfo::Defaults();
    buffers::MacroUse.fill(0);
    WriteBinary(key.get(), kMatrixValue, DefaultMatrix.bytes(), kMatrixBytes);
    WriteBinary(key.get(), kAuxInfoValue, buffers::AuxInfo.data(), kAuxInfoBytes);
    WriteBinary(key.get(), kConfigInfoValue, &buffers::ConfigInfo, kConfigInfoBytes);
    WriteBinary(key.get(), kMacroUseCountValue, buffers::MacroUse.data(), kMacroUseBytes);
  }
}

void SyncProfileFiles() {
  MakeProfileFolder();
  std::vector<std::uint8_t> image(kProfileFileBytes);
  for (int n = 0; n < kProfileCount; ++n) {
    switch (ReadFileStart(ProfileFilePath(n), image.data(), image.size())) {
      case FileRead::kOk: {
        // A complete file wins over the registry; bytes past a profile are not read.
        if (const std::uint64_t bytes = FileBytes(ProfileFilePath(n)); bytes > kProfileFileBytes)
          ReportToDebugger(L"the profile file " + ProfileFilePath(n) + L" holds " +
                           std::to_wstring(bytes - kProfileFileBytes) + L" bytes more than a profile; they are ignored");
        const UniqueRegKey key = OpenStoreKey(HKEY_LOCAL_MACHINE, ProfileKeyPath(n));
        if (!key) break;
        WriteBinary(key.get(), kMatrixValue, image.data() + kFileMatrixOffset, kMatrixBytes);
        WriteBinary(key.get(), kAuxInfoValue, image.data() + kFileAuxInfoOffset, kAuxInfoBytes);
        WriteBinary(key.get(), kMacroUseCountValue, image.data() + kFileMacroUseCountOffset,
                    kFileMacroUseCountBytes);
        WriteBinary(key.get(), kConfigInfoValue, image.data() + kFileConfigInfoOffset,
                    kConfigInfoBytes);
        break;
      }
      case FileRead::kShort:
        ReportToDebugger(L"the profile file " + ProfileFilePath(n) +
                         L" is shorter than a profile; it is written again from the registry");
        [[fallthrough]];
      case FileRead::kMissing:
        // A short file holds partial data: the registry's profile is kept and
        // the file is written anew from it, as for a missing one.
        WriteProfileFile(n, ProfileImageFromRegistry(n));
        break;
      case FileRead::kFailed:
        break;  // left alone; this profile is not synchronised
    }
  }
}

void LoadProfile(int n) {
  if (!ValidProfile(n)) return;
  UniqueRegKey key = OpenStoreKey(HKEY_LOCAL_MACHINE, ProfileKeyPath(n));
  if (!key) {
    key = CreateStoreKey(HKEY_LOCAL_MACHINE, ProfileKeyPath(n));
    buffers::KeyMatrix = DefaultMatrix;
    WriteBinary(key.get(), kMatrixValue, buffers::KeyMatrix.bytes(), kMatrixBytes);
    buffers::AuxInfo.fill(AuxRecord{});
    WriteBinary(key.get(), kAuxInfoValue, buffers::AuxInfo.data(), kAuxInfoBytes);
    ResetRateAndText(buffers::ConfigInfo);
    WriteBinary(key.get(), kConfigInfoValue, &buffers::ConfigInfo, kConfigInfoBytes);
    return;
  }
  const std::wstring where = L"profile " + std::to_wstring(n);
  if (!ReadFixedBinary(key.get(), kMatrixValue, buffers::KeyMatrix.bytes(), kMatrixBytes)) {
    ReportRepair(key.get(), where, kMatrixValue);
    buffers::KeyMatrix = DefaultMatrix;
    WriteBinary(key.get(), kMatrixValue, buffers::KeyMatrix.bytes(), kMatrixBytes);
  }
  if (!ReadFixedBinary(key.get(), kAuxInfoValue, buffers::AuxInfo.data(), kAuxInfoBytes)) {
    ReportRepair(key.get(), where, kAuxInfoValue);
    buffers::AuxInfo.fill(AuxRecord{});
    WriteBinary(key.get(), kAuxInfoValue, buffers::AuxInfo.data(), kAuxInfoBytes);
  }
  // MacroUseCount is carried along but never used: the root's MacroUse
  // overwrites the buffer below.
  if (!ReadFixedBinary(key.get(), kMacroUseCountValue, buffers::MacroUse.data(), kMacroUseBytes)) {
    ReportRepair(key.get(), where, kMacroUseCountValue);
    buffers::MacroUse.fill(0);
    WriteBinary(key.get(), kMacroUseCountValue, buffers::MacroUse.data(), kMacroUseBytes);
  }
  if (!ReadFixedBinary(key.get(), kConfigInfoValue, &buffers::ConfigInfo, kConfigInfoBytes)) {
    ReportRepair(key.get(), where, kConfigInfoValue);
    buffers::ConfigInfo = ConfigInfo::Defaults();
    WriteBinary(key.get(), kConfigInfoValue, &buffers::ConfigInfo, kConfigInfoBytes);
  }
  const UniqueRegKey root = OpenRoot();
  if (!ReadFixedBinary(root.get(), kMacroUseValue, buffers::MacroUse.data(), kMacroUseBytes)) {
    // Missing until the first save: only a value that is there but wrong is news.
    if (StoredValueFault(root.get(), kMacroUseValue) != L"is missing")
      ReportRepair(root.get(), L"the store's", kMacroUseValue);
    buffers::MacroUse.fill(0);
    WriteBinary(root.get(), kMacroUseValue, buffers::MacroUse.data(), kMacroUseBytes);
  }
}

bool ReadProfile(int n) {
  if (!ValidProfile(n)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  const UniqueRegKey key = OpenStoreKeyForReading(HKEY_LOCAL_MACHINE, ProfileKeyPath(n));
  if (!key) return false;
  if (!ReadFixedBinary(key.get(), kMatrixValue, buffers::KeyMatrix.bytes(), kMatrixBytes))
    buffers::KeyMatrix = DefaultMatrix;
  if (!ReadFixedBinary(key.get(), kAuxInfoValue, buffers::AuxInfo.data(), kAuxInfoBytes))
    buffers::AuxInfo.fill(AuxRecord{});
  if (!ReadFixedBinary(key.get(), kConfigInfoValue, &buffers::ConfigInfo, kConfigInfoBytes))
    buffers::ConfigInfo = ConfigInfo::Defaults();
  const UniqueRegKey root = OpenStoreKeyForReading(HKEY_LOCAL_MACHINE, kStoreRootPath);
  if (!ReadFixedBinary(root.get(), kMacroUseValue, buffers::MacroUse.data(), kMacroUseBytes))
    buffers::MacroUse.fill(0);
  return true;
}

bool SaveProfile(int n) {
  if (!ValidProfile(n)) return false;
  // A key that vanished is made again and given the buffers as they are: the
  // matrix still points at the actions and macros that AuxInfo names.
  UniqueRegKey key = OpenStoreKey(HKEY_LOCAL_MACHINE, ProfileKeyPath(n));
  if (!key) key = CreateStoreKey(HKEY_LOCAL_MACHINE, ProfileKeyPath(n));
  bool saved = WriteBinary(key.get(), kMatrixValue, buffers::KeyMatrix.bytes(), kMatrixBytes);
  saved = WriteBinary(key.get(), kAuxInfoValue, buffers::AuxInfo.data(), kAuxInfoBytes) && saved;
  saved = WriteBinary(key.get(), kConfigInfoValue, &buffers::ConfigInfo, kConfigInfoBytes) && saved;
  UniqueRegKey root = OpenRoot();
  if (!root) {
    root = CreateRoot();
    buffers::MacroUse.fill(0);
  }
  return WriteBinary(root.get(), kMacroUseValue, buffers::MacroUse.data(), kMacroUseBytes) && saved;
}

void ExportProfileFiles(int n) {
  if (n != -1 && !ValidProfile(n)) return;
  MakeProfileFolder();
  for (int p = 0; p < kProfileCount; ++p)
    if (n == -1 || n == p) WriteProfileFile(p, ProfileImageFromRegistry(p));
}

bool LoadProgramLinks() {
  const UniqueRegKey root = OpenRoot();
  if (ReadFixedBinary(root.get(), kProCfgValue, buffers::ProCfg.data(), kProCfgBytes)) return true;
  if (const std::wstring fault = StoredValueFault(root.get(), kProCfgValue); fault != L"is missing")
    ReportToDebugger(std::wstring(L"the program links ") + kProCfgValue + L" " + fault + L"; ignored");
  return false;
}

void SaveProgramLinks() {
  const UniqueRegKey root = CreateRoot();
  WriteBinary(root.get(), kProCfgValue, buffers::ProCfg.data(), kProCfgBytes);
}

bool LoadCurrentIndex() {
  const UniqueRegKey root = OpenRoot();
  std::int32_t stored = 0;
  if (!ReadFixedBinary(root.get(), kCurrentIndexValue, &stored, sizeof stored)) {
    if (const std::wstring fault = StoredValueFault(root.get(), kCurrentIndexValue); fault != L"is missing")
      ReportToDebugger(std::wstring(L"the current profile ") + kCurrentIndexValue + L" " + fault + L"; ignored");
    return false;
  }
  // The index selects a profile and a profile button: keep it within 0..4.
  if (!ValidProfile(stored))
    ReportToDebugger(L"the current profile nCurFile is " + std::to_wstring(stored) + L"; the first profile is used");
  buffers::nCurFile = ValidProfile(stored) ? stored : 0;
  return true;
}

void SaveCurrentIndex() {
  const UniqueRegKey root = CreateRoot();
  WriteBinary(root.get(), kCurrentIndexValue, &buffers::nCurFile, sizeof buffers::nCurFile);
}

}  // namespace q730x
