// Store commands: init (what the utility does for the store at start),
// show N (the assignments of one profile) and set N P CODE [TEXT] (one key's
// code and its path or address, saved as the utility saves after a download).
#include <windows.h>

#include <cstdlib>
#include <string>

#include "command.h"
#include "console.h"
#include "elevation.h"
#include "markup/language_table.h"
#include "model/key_caption.h"
#include "model/key_code.h"
#include "model/profile_buffers.h"
#include "model/profile_store.h"
#include "model/program_folder.h"
#include "model/registry_values.h"

namespace q730x::ctl {
namespace {

bool ProfileFileComplete(int n) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(ProfileFilePath(n).c_str(), GetFileExInfoStandard, &data)) return false;
  return data.nFileSizeHigh == 0 && data.nFileSizeLow == kProfileFileBytes;
}

int Init(const std::vector<std::wstring>& arguments) {
  if (!arguments.empty()) return kExitUsage;
  if (!MayWriteSettings()) return kExitFailure;
  BuildDefaultMatrix();
  CreateMissingProfiles();
  SyncProfileFiles();
  Print("registry key:   HKEY_LOCAL_MACHINE\\%s\n", ToUtf8(std::wstring_view(kStoreRootPath)).c_str());
  Print("profile folder: %s\n", ToUtf8(ProfileFolder()).c_str());
  int status = kExitOk;
  for (int n = 0; n < kProfileCount; ++n) {
    if (!OpenStoreKey(HKEY_LOCAL_MACHINE, ProfileKeyPath(n))) {
      PrintError("profile " + std::to_string(n + 1) + " could not be created in the registry");
      status = kExitFailure;
    }
    if (!ProfileFileComplete(n)) {
      PrintError("the profile file " + ToUtf8(ProfileFilePath(n)) + " could not be written");
      status = kExitFailure;
    }
  }
  return status;
}

const char* ActionName(unsigned kind) {
  switch (kind) {
    case ACTION_CAPTURE_DESKTOP: return "capture the desktop";
    case ACTION_CAPTURE_WINDOW: return "capture a window";
    case ACTION_CAPTURE_REGION: return "capture a region";
    case ACTION_PLAY_SOUND: return "play a sound";
    case ACTION_OPEN_FILE: return "open a file";
    case ACTION_OPEN_FOLDER: return "open a folder";
    case ACTION_RUN_PROGRAM: return "run a program";
    case ACTION_OPEN_WEB: return "open a web address";
    default: return "unknown action";
  }
}

std::string ModifierNames(unsigned bits) {
  std::string s;
  const std::pair<unsigned, const char*> names[] = {
      {KM_CTRL, "Ctrl"}, {KM_SHIFT, "Shift"}, {KM_ALT, "Alt"}, {KM_WIN, "Win"}};
  for (const auto& [bit, name] : names)
    if (bits & bit) s += std::string(s.empty() ? "" : "+") + name;
  if (bits & 0xF0) s += std::string(s.empty() ? "" : "+") + "other modifiers";
  return s;
}

std::string Hex(unsigned value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, value);
  return text;
}

// The kind of a code in words, with what it carries.
std::string Describe(KeyCode c, const AuxRecord& aux) {
  switch (c.type) {
    case KT_KEY:
      if (IsDoubleClick(c)) return "double click";
      if (IsMouseCode(c)) {
        const char* buttons[] = {"left", "right", "middle", "forward", "back"};
        const unsigned i = c.code - MOUSE_LEFT;
        return std::string("mouse button ") + (i < 5 ? buttons[i] : Hex(c.code, 2).c_str());
      }
      if (IsCombination(c)) return "combination " + ModifierNames(c.modifiers) + " + usage " + Hex(c.code, 2);
      return "key, usage " + Hex(c.code, 2);
    case KT_ACTION: {
      const unsigned kind = ActionKindOf(c);
      std::string s = std::string("software action: ") + ActionName(kind);
      if (ActionUsesAuxText(kind)) s += " \"" + ToUtf8(aux.Text()) + "\"";
      return s;
    }
    case KT_CONSUMER:
      return "consumer control, usage " + Hex(ConsumerUsage(c), 4);
    case KT_MACRO:
      if (IsKeyboardMacroForm(c))
        return "macro in keyboard slot " + std::to_string(MacroSlot(c)) + ", play mode " +
               std::to_string(MacroPlayMode(c));
      return "macro, id " + Hex(aux.MacroId(), 6);
    case KT_LIGHTING:
      if (LightingFunction(c) == 1) return "lighting effect";
      if (LightingFunction(c) == 2) return "lighting level";
      return "lighting function " + std::to_string(LightingFunction(c));
    case KT_DISABLED:
      return "disabled";
    default:
      return "keyboard function of type " + Hex(c.type, 2);
  }
}

int Show(const std::vector<std::wstring>& arguments) {
  if (arguments.size() != 1) return kExitUsage;
  const int n = ParseProfileNumber(arguments[0]);
  if (n < 0) {
    PrintError("profile numbers run from 1 to 5");
    return kExitUsage;
  }
  BuildDefaultMatrix();
  // Read access only: looking needs no administrator, and changes nothing.
  if (!ReadProfile(n)) {
    const DWORD error = GetLastError();
    PrintError("profile " + std::to_string(n + 1) + " could not be read from the registry: " +
               (error == ERROR_FILE_NOT_FOUND ? std::string("it is not there (the utility or \"q730xctl init\" creates it)")
                                              : SystemMessage(error)));
    return kExitFailure;
  }
  Print("profile %d (HKEY_LOCAL_MACHINE\\%s), report rate %u\n", n + 1,
        ToUtf8(ProfileKeyPath(n)).c_str(), buffers::ConfigInfo.reportRate);
  // Captions as the keyboard page shows them, in the utility's language.
  LoadLanguage(ProgramFolder() + L"language.xml");
  Print("  pos  code        changed  function  [caption]\n");
  int changed = 0;
  for (int p = 0; p < kMatrixPositions; ++p) {
    const KeyCode c = buffers::KeyMatrix[p];
    if (IsNoFunction(c)) continue;
    const bool differs = !(c == DefaultMatrix[p]);
    changed += differs;
    const std::wstring caption = KeyCaption(p);
    Print("  %3d  %s  %-7s  %s%s\n", p, Hex(c.Value(), 8).c_str(), differs ? "*" : "",
          Describe(c, buffers::AuxInfo[p]).c_str(), caption.empty() ? "" : ("  [" + ToUtf8(caption) + "]").c_str());
  }
  for (int p = 0; p < kMatrixPositions; ++p)
    if (IsNoFunction(buffers::KeyMatrix[p]) && !IsNoFunction(DefaultMatrix[p])) {
      Print("  %3d  %s  %-7s  no function\n", p, Hex(0, 8).c_str(), "*");
      ++changed;
    }
  Print("%d position%s differ%s from the factory assignment\n", changed, changed == 1 ? "" : "s",
        changed == 1 ? "s" : "");
  return kExitOk;
}

// Sets the code (and the text: a software action's path or address) of one
// key position of profile N and saves the profile to the registry and its
// file, as the utility does after a successful download.
int Set(const std::vector<std::wstring>& arguments) {
  if (arguments.size() != 3 && arguments.size() != 4) return kExitUsage;
  const int n = ParseProfileNumber(arguments[0]);
  wchar_t* end = nullptr;
  const unsigned long position = std::wcstoul(arguments[1].c_str(), &end, 10);
  const bool positionRead = !arguments[1].empty() && *end == L'\0' && position < kMatrixPositions;
  const unsigned long code = std::wcstoul(arguments[2].c_str(), &end, 16);
  const bool codeRead = !arguments[2].empty() && *end == L'\0' && arguments[2].size() <= 8;
  if (n < 0 || !positionRead || !codeRead) {
    PrintError("set N P CODE: profile 1 to 5, position 0 to 159, code in hex digits (00060100)");
    return kExitUsage;
  }
  if (!MayWriteSettings()) return kExitFailure;
  BuildDefaultMatrix();
  CreateMissingProfiles();
  LoadProfile(n);
  buffers::KeyMatrix[position] = KeyCode::FromValue(std::uint32_t(code));
  buffers::AuxInfo[position].Clear();
  if (arguments.size() == 4)
    buffers::AuxInfo[position].SetText(std::u16string(arguments[3].begin(), arguments[3].end()));
  if (!SaveProfile(n)) {
    PrintError("profile " + std::to_string(n + 1) + " could not be saved to the registry");
    return kExitFailure;
  }
  ExportProfileFiles(n);
  Print("profile %d position %lu: %s\n", n + 1, position, Hex(std::uint32_t(code), 8).c_str());
  return kExitOk;
}

constexpr Command kStoreCommands[] = {
    {"init", "", "create missing profiles and synchronise the profile files", Init},
    {"show", "N", "list the assignments of profile N (1 to 5)", Show},
    {"set", "N P CODE [TEXT]", "give key position P of profile N the code CODE (hex) and save it", Set},
};

}  // namespace

int ParseProfileNumber(const std::wstring& text) {
  if (text.size() != 1 || text[0] < L'1' || text[0] > L'5') return -1;
  return text[0] - L'1';
}

std::span<const Command> StoreCommands() { return kStoreCommands; }

}  // namespace q730x::ctl
