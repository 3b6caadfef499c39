// The macro store: one subkey per macro under
// HKEY_LOCAL_MACHINE\Software\KAVEX\Q730X\Macro\, named by the macro id as
// eight lower-case hex digits, with the whole record in its default value
// (REG_BINARY). Macros are shared by all five profiles.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/macro_record.h"

namespace q730x {

// Where the macros live: the macro manager is handed this root; the global
// operations use DefaultMacroRoot().
struct MacroRoot {
  HKEY key = HKEY_LOCAL_MACHINE;
  std::wstring path;  // with a trailing backslash
};
extern const wchar_t kMacroRootPath[];  // Software\KAVEX\Q730X\Macro\ (a trailing backslash)
MacroRoot DefaultMacroRoot();
std::wstring MacroSubkeyName(std::uint32_t id);  // "%08x"

struct MacroListEntry {
  std::u16string name;
  std::uint32_t id = 0;
};

// ---- Global operations ------------------------------------------------------

// The stored record of id, or none when the subkey or its value cannot be
// read, the value is not REG_BINARY, or it is shorter than the 64-byte header.
std::optional<MacroRecord> LoadMacro(std::uint32_t id);
// Rewrites an existing macro (never creates one) with exactly size bytes.
// Rejects a record that is not writable (MacroRecord::IsWritable).
bool SaveMacro(const MacroRecord& record);

// ---- Macro manager operations -----------------------------------------------

// The listable macros in enumeration order, each with its record's name and id.
void ListMacros(const MacroRoot& root, std::vector<MacroListEntry>& list);
std::optional<MacroRecord> ReadMacro(const MacroRoot& root, std::uint32_t id);
// Writes an existing macro, or creates it (and the macro root when missing).
bool WriteMacro(const MacroRoot& root, const MacroRecord& record);
// Deletes the macro's subkey. True when the macro root does not exist.
bool DeleteMacro(const MacroRoot& root, std::uint32_t id);
// A new id from the tick count that no stored macro has.
std::uint32_t MakeNewMacroId(const MacroRoot& root);

}  // namespace q730x
