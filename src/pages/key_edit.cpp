#include "pages/key_edit.h"

#include <set>

#include "device/key_event_actions.h"
#include "model/macro_store.h"
#include "model/profile_buffers.h"

namespace q730x {

namespace {

std::uint32_t* ProfileMacroUse(int profile) {
  return &buffers::MacroUse[std::size_t(profile) * kMatrixPositions];
}

std::uint32_t FirstWord(const char16_t* text) { return std::uint32_t(text[0]) | std::uint32_t(text[1]) << 16; }

// Distinct macros the profile's keys use, leaving out the key being edited
// (its macro is given up when the key takes another one).
std::size_t MacrosInUseBesides(const std::uint32_t* use, int position) {
  std::set<std::uint32_t> ids;
  for (int p = 0; p < kMatrixPositions; ++p)
    if (p != position && use[p] != 0) ids.insert(use[p]);
  return ids.size();
}

bool UsedBy(const std::uint32_t* use, std::uint32_t id) {
  for (int p = 0; p < kMatrixPositions; ++p)
    if (use[p] == id) return true;
  return false;
}

}  // namespace

KeyEditResult ApplyKeyAssignment(const KeyAssignment& assignment, int profile) {
  const int p = assignment.position;
  if (p < 0 || p >= kMatrixPositions || profile < 0 || profile >= kProfileCount)
    return KeyEditResult::Unchanged;
  KeyCode& key = buffers::KeyMatrix[p];
  AuxRecord& aux = buffers::AuxInfo[p];
  std::uint32_t* use = ProfileMacroUse(profile);
  const KeyCode chosen = assignment.code;

  // Decide first, so that a refused macro leaves the key exactly as it was.
  std::optional<MacroRecord> macro;
  const std::uint32_t macroId = FirstWord(assignment.aux);
  if (chosen.type == KT_MACRO) {
    macro = LoadMacro(macroId);
    if (!macro) return KeyEditResult::Unchanged;
    if (!UsedBy(use, macroId) && MacrosInUseBesides(use, p) >= kMaxMacrosPerProfile)
      return KeyEditResult::MacroLimit;
  }

  // The key gives up the macro it played.
  if (key.type == KT_MACRO) {
    if (std::optional<MacroRecord> old = LoadMacro(aux.MacroId())) {
      use[p] = 0;
      SaveMacro(*old);
    }
  }

  if (macro) {
    SaveMacro(*macro);
    // Keyed by the id the macro is stored under, which is also what AuxInfo keeps.
    use[p] = macroId;
    aux.SetMacroId(macroId);
  } else {
    aux.SetText(AuxRecordText(assignment.aux));
  }
  key = chosen;
  return KeyEditResult::Changed;
}

bool DropMissingMacro(int position, int profile,
                      const std::function<bool(std::uint32_t macroId)>& macroStored) {
  KeyCode& key = buffers::KeyMatrix[position];
  if (key.type != KT_MACRO) return false;
  const std::uint32_t id = buffers::AuxInfo[position].MacroId();
  if (macroStored ? macroStored(id) : LoadMacro(id).has_value()) return false;
  key = DefaultMatrix[position];
  std::uint32_t* use = ProfileMacroUse(profile);
  for (int p = 0; p < kMatrixPositions; ++p)
    if (use[p] == id) {
      use[p] = 0;
      break;
    }
  return true;
}

}  // namespace q730x
