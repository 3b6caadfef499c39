// Captions of key functions: what a key's tooltip on the keyboard page and
// the current-assignment line of the key setting dialog say it does.
// Most captions are language texts; key names, a few shortcuts and the
// joining words are fixed English texts.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "model/key_code.h"
#include "model/profile_data.h"

namespace q730x {

// The name of the stored macro with this id, or nothing when there is none.
using MacroNameLookup = std::function<std::optional<std::wstring>(std::uint32_t macroId)>;

// The caption of one code. aux is the key's AuxInfo entry (software action
// paths, macro ids); macroName finds macro names (may be empty: no names).
std::wstring CaptionOfCode(KeyCode code, const AuxRecord& aux, const MacroNameLookup& macroName);

// A macro key shows the name of its stored macro; none when it no longer loads.
std::optional<std::wstring> StoredMacroName(std::uint32_t macroId);

// Where KeyCaption finds macro names: the macro store unless another lookup
// is set (an empty one sets the store again).
void SetMacroNameLookup(MacroNameLookup lookup);

// The caption of the function the current key matrix holds at a position;
// empty for positions of 160 and more.
std::wstring KeyCaption(int position);
// The same with macro names from macroName.
std::wstring KeyCaption(int position, const MacroNameLookup& macroName);

}  // namespace q730x
