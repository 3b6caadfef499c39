// Backup commands: export FILE writes every profile, the program links, the
// current profile and every macro to one JSON file; import [--dry-run] FILE
// checks a whole file first, then makes the store hold what it says (or, with
// --dry-run, only tells what would change).
#include <windows.h>

#include <cstring>
#include <string>

#include "backup_format.h"
#include "command.h"
#include "console.h"
#include "elevation.h"
#include "markup/language_table.h"
#include "model/file_io.h"
#include "model/win_handles.h"
#include "model/key_caption.h"
#include "model/key_name.h"
#include "model/program_folder.h"
#include "store_snapshot.h"

namespace q730x::ctl {
namespace {

BackupNames Names() {
  LoadLanguage(ProgramFolder() + L"language.xml");  // captions in the utility's language
  BackupNames names;
  names.key = [](int position) {
    return DefaultMatrix[position].Value() ? CaptionOfCode(DefaultMatrix[position], AuxRecord{}, nullptr)
                                           : std::wstring();
  };
  names.function = [](KeyCode code, const AuxRecord& aux) {
    return CaptionOfCode(code, aux, [](std::uint32_t) { return std::optional<std::wstring>(); });
  };
  names.stepKey = [](std::uint32_t vk) { return vk <= 0xFF ? KeyName(vk) : std::wstring(); };
  return names;
}

bool ReadWholeFile(const std::wstring& path, std::string& text) {
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return false;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > LONGLONG(json::kMaxDocumentBytes) + 1) return false;
  text.resize(std::size_t(size.QuadPart));
  DWORD got = 0;
  return text.empty() || (ReadFile(file.get(), text.data(), DWORD(text.size()), &got, nullptr) && got == text.size());
}

int Export(const std::vector<std::wstring>& arguments) {
  if (arguments.size() != 1) return kExitUsage;
  BuildDefaultMatrix();
  const StoreSnapshot snapshot = ReadStoreSnapshot();
  const std::string text = json::Write(SnapshotToJson(snapshot, Names()));
  // Written aside and moved over: a failed export never replaces a good backup with half of one.
  if (!WriteFileReplacing(arguments[0], reinterpret_cast<const std::uint8_t*>(text.data()), text.size())) {
    PrintError("could not write " + ToUtf8(arguments[0]));
    return kExitFailure;
  }
  Print("wrote 5 profiles and %u macro%s to %s\n", unsigned(snapshot.macros.size()), snapshot.macros.size() == 1 ? "" : "s",
        ToUtf8(arguments[0]).c_str());
  return kExitOk;
}

// ---- What an import changes ---------------------------------------------------

std::string Describe(const StoredValue& v) {
  if (!v.present) return "absent";
  return std::to_string(v.bytes.size()) + " bytes";
}

// One line per value that differs; positions for the per-key tables.
int Differences(const StoreSnapshot& now, const StoreSnapshot& then) {
  int changes = 0;
  const auto value = [&](const std::string& name, const StoredValue& a, const StoredValue& b, std::size_t entry) {
    if (a == b) return;
    ++changes;
    std::string detail;
    if (entry && a.present && b.present && a.bytes.size() == b.bytes.size() && a.type == b.type) {
      std::string positions;
      int count = 0;
      for (std::size_t at = 0; at < a.bytes.size(); at += entry)
        if (std::memcmp(a.bytes.data() + at, b.bytes.data() + at, entry) != 0) {
          if (++count <= 12) positions += (positions.empty() ? "" : ", ") + std::to_string(at / entry % 160);
        }
      detail = ": " + std::to_string(count) + " key" + (count == 1 ? "" : "s") + " (" + positions +
               (count > 12 ? ", ..." : "") + ")";
    } else {
      detail = ": " + Describe(a) + " -> " + Describe(b);
    }
    Print("  change  %s%s\n", name.c_str(), detail.c_str());
  };
  value("nCurFile", now.nCurFile, then.nCurFile, 0);
  value("ProCfg", now.proCfg, then.proCfg, 0);
  value("MacroUse", now.macroUse, then.macroUse, 4);
  for (int n = 0; n < kProfileCount; ++n) {
    const ProfileSnapshot &a = now.profiles[n], &b = then.profiles[n];
    const std::string profile = "profile " + std::to_string(n + 1);
    if (a.keyPresent != b.keyPresent) {
      ++changes;
      Print("  %s  %s\n", b.keyPresent ? "create" : "remove", profile.c_str());
    }
    if (!b.keyPresent) continue;
    value(profile + " Matrix", a.matrix, b.matrix, 4);
    value(profile + " AuxInfo", a.auxInfo, b.auxInfo, sizeof(AuxRecord));
    value(profile + " MacroUseCount", a.macroUseCount, b.macroUseCount, 0);
    value(profile + " ConfigInfo", a.configInfo, b.configInfo, 0);
  }
  for (const MacroSnapshot& m : then.macros) {
    const MacroSnapshot* old = nullptr;
    for (const MacroSnapshot& o : now.macros)
      if (CompareStringOrdinal(o.subkey.c_str(), -1, m.subkey.c_str(), -1, TRUE) == CSTR_EQUAL) old = &o;
    if (old && *old == m) continue;
    ++changes;
    Print("  %s  macro %s\n", old ? "change" : "create", ToUtf8(m.subkey).c_str());
  }
  for (const MacroSnapshot& o : now.macros) {
    bool named = false;
    for (const MacroSnapshot& m : then.macros)
      named = named || CompareStringOrdinal(o.subkey.c_str(), -1, m.subkey.c_str(), -1, TRUE) == CSTR_EQUAL;
    if (!named) Print("  keep    macro %s (not in the backup)\n", ToUtf8(o.subkey).c_str());
  }
  return changes;
}

int Import(const std::vector<std::wstring>& arguments) {
  bool dryRun = false;
  std::wstring path;
  for (const std::wstring& a : arguments) {
    if (a == L"--dry-run" && !dryRun) dryRun = true;
    else if (path.empty() && !a.empty() && a.rfind(L"--", 0) != 0) path = a;
    else return kExitUsage;
  }
  if (path.empty()) return kExitUsage;
  if (!dryRun && !MayWriteSettings()) return kExitFailure;
  std::string text;
  if (!ReadWholeFile(path, text)) {
    PrintError("could not read " + ToUtf8(path) + " (missing, unreadable or larger than 64 MB)");
    return kExitFailure;
  }
  json::ParseError parseError;
  const std::optional<json::Value> document = json::Parse(text, parseError);
  if (!document) {
    PrintError(ToUtf8(path) + ":" + std::to_string(parseError.line) + ":" + std::to_string(parseError.column) +
               ": " + parseError.message + "; nothing was changed");
    return kExitFailure;
  }
  BackupError error;
  const std::optional<StoreSnapshot> wanted = SnapshotFromJson(*document, error);
  if (!wanted) {
    PrintError(ToUtf8(path) + ": " + error.place + " " + error.message + "; nothing was changed");
    return kExitFailure;
  }
  BuildDefaultMatrix();
  const StoreSnapshot before = ReadStoreSnapshot();
  Print("%s %s:\n", dryRun ? "importing would change" : "importing", ToUtf8(path).c_str());
  const int changes = Differences(before, *wanted);
  if (changes == 0) Print("  nothing: the store already holds this backup\n");
  if (dryRun) return kExitOk;

  if (!WriteStoreSnapshot(*wanted)) {
    // Put back what was there: the values, and no macros that were not.
    std::vector<std::wstring> added;
    for (const MacroSnapshot& m : wanted->macros) {
      bool existed = false;
      for (const MacroSnapshot& o : before.macros)
        existed = existed || CompareStringOrdinal(o.subkey.c_str(), -1, m.subkey.c_str(), -1, TRUE) == CSTR_EQUAL;
      if (!existed) added.push_back(m.subkey);
    }
    DeleteMacroSubkeys(added);
    const bool restored = WriteStoreSnapshot(before);
    PrintError(restored ? "the registry refused a write; the store was put back as it was"
                        : "the registry refused a write, and putting the store back failed too");
    return kExitFailure;
  }
  Print("done: %d change%s\n", changes, changes == 1 ? "" : "s");
  return kExitOk;
}

constexpr Command kBackupCommands[] = {
    {"export", "FILE", "write all profiles, program links and macros to FILE (JSON)", Export},
    {"import", "[--dry-run] FILE", "restore a backup made by export (--dry-run: only show the changes)", Import},
};

}  // namespace

std::span<const Command> BackupCommands() { return kBackupCommands; }

}  // namespace q730x::ctl
