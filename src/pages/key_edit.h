// What the keyboard page does to the profile buffers when the key setting
// dialog answers OK for a key, and the macro check of every refresh. Both
// work on the process-wide buffers of the profile being shown and use the
// macro store to see whether a key's macro still exists.
#pragma once

#include <cstdint>
#include <functional>

#include "model/key_code.h"

namespace q730x {

// A profile's keys may play at most this many distinct macros: the keyboard has 30 slots.
constexpr int kMaxMacrosPerProfile = 30;

enum class KeyEditResult {
  Changed,     // KeyMatrix (and AuxInfo, MacroUse) now hold the new function
  Unchanged,   // the chosen macro is no longer stored
  MacroLimit,  // the profile already uses 30 other macros
};

// Gives the key at assignment.position the function the dialog chose, in
// profile (0..4). A macro function records its id in AuxInfo and MacroUse;
// any other function takes the dialog's text (a path or address) as AuxInfo.
KeyEditResult ApplyKeyAssignment(const KeyAssignment& assignment, int profile);

// A macro key whose macro is gone gets its factory function back, and the
// profile forgets that macro. Answers whether the key changed. macroStored
// answers whether a macro id is stored; without it the store is asked.
bool DropMissingMacro(int position, int profile,
                      const std::function<bool(std::uint32_t macroId)>& macroStored = nullptr);

}  // namespace q730x
